// The caption strip: colours, frame, text margin and the optional tooltip.
#include <gtest/gtest.h>

#include <QHelpEvent>
#include <QTest>
#include <QToolTip>

#include "CCaption.h"
#include "QelPixels.h"

TEST(CCaption, DarkStripWithThreeDFrameMarginedTextAndATooltipOnlyWithTheTooltipStyle) {
    const QelColorRef light = QelRGB(0x55, 0x55, 0x55), dark = QelRGB(0x30, 0x33, 0x34), text = QelRGB(0x71, 0xA7, 0xC7);
    CCaption caption, plain;
    caption.Create(CCaption::kStyleVisible | CCaption::kStyleToolTip, QRect(0, 0, 300, 18), nullptr, 5001);
    plain.Create(CCaption::kStyleVisible, QRect(0, 40, 200, 18), nullptr, 5002);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&caption) && QTest::qWaitForWindowExposed(&plain));
    caption.SetCaption(Blocks(3));
    const QImage img = Grab(caption);
    const std::vector<QelColorRef> seen = {PixelAt(img, 150, 0), PixelAt(img, 0, 10),  PixelAt(img, 299, 10),
                                           PixelAt(img, 150, 17), PixelAt(img, 0, 17), PixelAt(img, 150, 9)};
    EXPECT_EQ(seen, (std::vector<QelColorRef>{light, light, dark, dark, dark, QelRGB(0x3C, 0x3F, 0x41)}));
    EXPECT_NEAR(ColorBox(img, text).left(), 11, 1);

    for (CCaption* strip : {&plain, &caption}) {
        strip->SetTipText(u"Result of\nthe search");
        QHelpEvent help(QEvent::ToolTip, QPoint(20, 9), strip->mapToGlobal(QPoint(20, 9)));
        QApplication::sendEvent(strip, &help);
        EXPECT_EQ(QToolTip::isVisible() && QToolTip::text().contains(QStringLiteral("the search")), strip == &caption);
        QToolTip::hideText();
    }
}
