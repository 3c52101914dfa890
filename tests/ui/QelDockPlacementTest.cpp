#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QWidget>

#include "QelDockPlacement.h"

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
        EXPECT_EQ(docked, c.docked) << c.owner.y() << "+" << c.owner.height();
        EXPECT_FALSE(docked.intersects(c.owner));
    }
    // A screen that does not start at 0 (a second monitor below the first).
    EXPECT_EQ(qel::DockedRect(QRect(0, 1300, 500, 300), QRect(0, 800, 1280, 800), 250), QRect(0, 1050, 500, 250));
}

TEST(QelDockPlacement, AWindowIsDockedByTheFreeAreaOfItsScreen) {
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    QWidget owner;
    owner.setGeometry(area.left() + 10, area.bottom() - 150, 300, 100);  // too little room below
    owner.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner));
    EXPECT_EQ(qel::DockedRect(&owner, 400).bottom(), owner.frameGeometry().top() - 1);
}
