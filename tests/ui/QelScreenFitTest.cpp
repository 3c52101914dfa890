// Stored window rectangles against screens: hostile edges, oversized
// windows, several monitors.

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <climits>

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
    // Against this desktop's own screens.
    const QRect first = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(qel::FitRectToDesktop(first.left() + 10, first.top() + 10, first.left() + 110, first.top() + 60),
              QRect(first.left() + 10, first.top() + 10, 100, 50));
}
