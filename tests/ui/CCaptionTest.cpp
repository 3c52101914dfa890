// The caption strip: colours, frame, text margin and the optional tooltip.
#include <gtest/gtest.h>

#include <QHelpEvent>
#include <QTest>
#include <QToolTip>
#include <tuple>

#include "CCaption.h"
#include "QelPixels.h"

namespace {
const QelColorRef kFill = QelRGB(0x3C, 0x3F, 0x41);
const QelColorRef kLight = QelRGB(0x55, 0x55, 0x55);
const QelColorRef kDark = QelRGB(0x30, 0x33, 0x34);
const QelColorRef kText = QelRGB(0x71, 0xA7, 0xC7);

void AskForTip(CCaption& caption) {
    QHelpEvent help(QEvent::ToolTip, QPoint(20, 9), caption.mapToGlobal(QPoint(20, 9)));
    QApplication::sendEvent(&caption, &help);
}
}  // namespace

TEST(CCaption, DarkStripWithThreeDFrameMarginedTextAndATooltipOnlyWithTheTooltipStyle) {
    CCaption caption, plain;
    caption.Create(CCaption::kStyleVisible | CCaption::kStyleToolTip, QRect(0, 0, 300, 18), nullptr, 5001);
    plain.Create(CCaption::kStyleVisible, QRect(0, 40, 200, 18), nullptr, 5002);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&caption) && QTest::qWaitForWindowExposed(&plain));
    QImage img = Grab(caption);
    const std::tuple<int, int, QelColorRef> pixels[] = {
        {150, 0, kLight}, {0, 10, kLight}, {299, 10, kDark}, {150, 17, kDark}, {0, 17, kDark}, {150, 9, kFill},
    };
    for (const auto& [x, y, color] : pixels) EXPECT_EQ(PixelAt(img, x, y), color) << x << "," << y;
    EXPECT_EQ(CountColor(img, kText), 0);

    caption.SetCaption(Blocks(3));
    img = Grab(caption);
    const QRect text = ColorBox(img, kText);
    EXPECT_NEAR(text.left(), 11, 1);

    plain.SetTipText(u"never shown");
    AskForTip(plain);
    EXPECT_FALSE(QToolTip::isVisible() && QToolTip::text().contains(QStringLiteral("never shown")));
    caption.SetTipText(u"Result of\nthe search");
    AskForTip(caption);
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_TRUE(QToolTip::text().contains(QStringLiteral("the search")));
    QToolTip::hideText();
}
