// Where windows land: stored rectangles against screens (hostile edges, oversized windows, several
// monitors) and a result or job log window docked by its owner.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QWidget>
#include <climits>

#include "QelDockPlacement.h"
#include "QelScreenFit.h"

TEST(QelScreenFit, StoredRectanglesLandWhollyOnOneScreen) {
    // A 1920x1080 monitor with a 1280x1024 one to its right.
    const QList<QRect> screens = {QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};
    const struct {
        const char* what;
        long long left, top, right, bottom;
        std::optional<QRect> expected;
    } cases[] = {
        {"fits as it is", 100, 50, 600, 350, QRect(100, 50, 500, 300)},
        {"on the second screen", 2000, 100, 2400, 400, QRect(2000, 100, 400, 300)},
        {"mostly on the second: pulled onto it", 1800, 0, 2600, 500, QRect(1920, 0, 800, 500)},
        {"larger than its screen: shrunk to it", 1920, 0, 3920, 2000, QRect(1920, 0, 1280, 1024)},
        {"the whole 32-bit range", INT_MIN, INT_MIN, INT_MAX, INT_MAX, QRect(0, 0, 1920, 1080)},
        {"from the origin to the end", 0, 0, INT_MAX, INT_MAX, QRect(0, 0, 1920, 1080)},
        {"hanging off the bottom right", 1700, 900, 2100, 1200, QRect(1520, 780, 400, 300)},
        {"zero size", 100, 100, 100, 400, std::nullopt},
        {"negative size", 600, 350, 100, 50, std::nullopt},
        {"inverted extremes", INT_MAX, INT_MAX, INT_MIN, INT_MIN, std::nullopt},
        {"on no screen", 5000, 5000, 5500, 5300, std::nullopt},
        {"left of every screen", -900, 10, -400, 300, std::nullopt},
        {"one column on the first screen", -499, 10, 1, 310, QRect(0, 10, 500, 300)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(qel::FitRectToScreens(c.left, c.top, c.right, c.bottom, screens), c.expected) << c.what;
    EXPECT_EQ(qel::FitRectToScreens(0, 0, 100, 100, {}), std::nullopt);
    EXPECT_EQ(qel::FitRectToScreens(0, 0, 100, 100, {QRect(0, 0, 0, 0)}), std::nullopt);
}

TEST(QelDockPlacement, BelowThenShorterThenAboveNeverOverTheOwner) {
    const QRect screen(0, 0, 1280, 800);
    const struct { QRect owner, docked; } cases[] = {
        {QRect(100, 50, 600, 300), QRect(100, 350, 600, 400)},    // room below
        {QRect(100, 200, 600, 300), QRect(100, 500, 600, 300)},   // 300 left below: shorter
        {QRect(100, 300, 600, 300), QRect(100, 600, 600, 200)},   // exactly the shortest
        {QRect(100, 301, 600, 300), QRect(100, 0, 600, 301)},     // not even 200 below: above, as tall as fits
        {QRect(100, 500, 600, 290), QRect(100, 100, 600, 400)},   // above with room to spare
        {QRect(100, 120, 600, 600), QRect(100, -80, 600, 200)},   // nowhere: above at the shortest
        {QRect(-50, 50, 600, 300), QRect(-50, 350, 600, 400)},    // the owner's left edge and width, as they are
    };
    for (const auto& c : cases) {
        const QRect docked = qel::DockedRect(c.owner, screen, 400);
        EXPECT_TRUE(docked == c.docked && !docked.intersects(c.owner)) << c.owner.y() << "+" << c.owner.height();
    }
    // A screen that does not start at 0 (a second monitor below the first).
    EXPECT_EQ(qel::DockedRect(QRect(0, 1300, 500, 300), QRect(0, 800, 1280, 800), 250), QRect(0, 1050, 500, 250));
}

// Against this desktop's own screen: the free area, and the owner's frame.
TEST(QelWindowPlacement, ThisDesktopsFreeAreaIsUsed) {
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(qel::FitRectToDesktop(area.left() + 10, area.top() + 10, area.left() + 110, area.top() + 60),
              QRect(area.left() + 10, area.top() + 10, 100, 50));
    QWidget owner;
    owner.setGeometry(area.left() + 10, area.bottom() - 150, 300, 100);  // too little room below
    owner.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner));
    EXPECT_EQ(qel::DockedRect(&owner, 400).bottom(), owner.frameGeometry().top() - 1);
}
