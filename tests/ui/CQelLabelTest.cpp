// The label: background and frame, disabled colours, the plain painters, the
// meta caption, and what property changes do to the window; the caption strip.
#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QHelpEvent>
#include <QTest>
#include <QToolTip>

#include "CCaption.h"
#include "CQelLabel.h"
#include "QelPixels.h"

namespace {

const QelColorRef kBlue = QelRGB(0, 0, 255), kGreen = QelRGB(0, 255, 0), kRed = QelRGB(255, 0, 0);

// Counts paints so a test can tell an immediate repaint from none.
struct CountingLabel : CQelLabel {
    int paints = 0;
    void paintEvent(QPaintEvent* e) override { ++paints, CQelLabel::paintEvent(e); }
};

// A 200x40 label with blue 12-pixel text on green.
struct LabelFixture : ::testing::Test {
    CountingLabel label;
    void SetUp() override {
        label.Create(nullptr, QRect(0, 0, 200, 40), 1048);
        label.SetPropString(u"font", u"DejaVu Sans,-12,400,0,0,0,129");
        label.SetPropColor(u"bgcolor", kGreen);
        label.SetPropColor(u"fgcolor", kBlue);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&label));
    }
    QFontMetrics Metrics() const { return QFontMetrics(ToQFont(label.GetPropFont(u"font"))); }
    int BlockWidth() const { return Metrics().horizontalAdvance(QString(QChar(0x2588))); }
    QRect TextBox(QelColorRef color = kBlue) { return ColorBox(Grab(label), color); }
    // Blue pixels in the rows from top, height rows high.
    int BlueIn(int top, int height) { return CountColor(Grab(label), kBlue, QRect(0, top, label.width(), height)); }
    // Several lines of text from the top; for the multi-line painters.
    void MultiLine(int width, int height) {
        label.resize(width, height);
        label.SetPropBool(u"singleline", false);
        label.SetPropInt(u"valign", 0);
    }
};

}  // namespace

TEST_F(LabelFixture, FrameAndDisabledColoursFollowBorderAndEnableAndChangesRepaintAtOnce) {
    label.SetPropString(u"caption", Blocks(3));
    label.SetPropString(u"border", u"true,0,0,2,#FF0000");
    const QImage enabled = Grab(label);
    label.SetPropBool(u"enable", false);
    const QImage disabled = Grab(label);
    label.SetPropString(u"border", u"false,0,0,2,#FF0000");
    EXPECT_EQ(std::vector({PixelAt(enabled, 1, 1), PixelAt(enabled, 2, 2), PixelAt(disabled, 0, 0), PixelAt(disabled, 5, 5),
                           PixelAt(Grab(label), 0, 0)}),
              std::vector({kRed, kGreen, QelSysColor(QelColorInactiveBorder), QelSysColor(QelColorBtnFace),
                           QelSysColor(QelColorBtnFace)}));
    EXPECT_TRUE(CountColor(disabled, kBlue) == 0 && CountColor(disabled, QelSysColor(QelColorInactiveCaption)) > 0);
    // Caption, meta caption and enable repaint at once; visible shows or hides.
    const int before = label.paints;
    label.SetPropString(u"caption", u"now"), label.SetPropString(u"metacaption", u"[]"), label.SetPropBool(u"enable", true);
    EXPECT_EQ(label.paints, before + 3);
    label.SetPropBool(u"visible", false);
    EXPECT_FALSE(label.isVisible());
}

TEST_F(LabelFixture, SingleLineCentresCutsOrEllipsizesTheCaption) {
    label.SetPropString(u"caption", Blocks(2));
    label.SetPropInt(u"halign", 1);
    EXPECT_TRUE(std::abs(TextBox().center().x() - 100) <= 3 && std::abs(TextBox().center().y() - 20) <= 3);

    // Wider than the label, no ellipsis: the characters that fit, left aligned whatever halign says, and
    // centred vertically whatever valign says.
    label.SetPropInt(u"valign", 0), label.SetPropString(u"caption", Blocks(60));
    const QRect box = TextBox();
    EXPECT_TRUE(box.left() <= 1 && std::abs(box.center().y() - 20) <= 3 && box.right() > 199 - BlockWidth() - 1) << box.right();
    // The ellipsis takes the place of the last blocks: a gap of background before the right edge.
    label.SetPropBool(u"elispisis", true);
    EXPECT_LT(TextBox().right(), 199 - BlockWidth() / 2);
}

TEST_F(LabelFixture, MultiLineCountsEmptyParagraphsAsNoRowsAndWrapsUpToTheVisibleLines) {
    const int line = Metrics().height() + Metrics().leading();
    MultiLine(200, 100);
    label.SetPropString(u"caption", Blocks(2) + QelString(u"\n\n") + Blocks(2)), label.SetPropInt(u"valign", 1);
    // Centred as two rows although three lines are drawn, the middle one empty.
    const int top = 50 - line;
    EXPECT_EQ(std::vector({BlueIn(0, top) > 0, BlueIn(top, line) > 0, BlueIn(top + line, line) > 0, BlueIn(top + 2 * line, line) > 0}),
              std::vector({false, true, false, true}));

    // Several rows wide in room for two lines: wrapped at characters, cut after two rows.
    label.resize(400, 40), label.SetPropString(u"caption", Blocks(40));  // every wrapped character is drawn once
    const int oneLine = BlueIn(0, 40);
    MultiLine(100, 10 * line);
    EXPECT_NEAR(BlueIn(0, 10 * line), oneLine, 60);
    MultiLine(100, 2 * line + line / 2);
    EXPECT_TRUE(BlueIn(line, line) > 0 && BlueIn(2 * line, line / 2) == 0);

    // A paragraph with no room left is not drawn, unless the ellipsis continues it on the last row.
    MultiLine(300, 20);
    label.SetPropString(u"metacaption", QelString::FromUtf8(R"([[{"txt":"██"}],[{"txt":")" + Blocks(60).ToStdString() +
                                                            R"(","color":"FF0000"}]])"));
    EXPECT_EQ(CountColor(Grab(label), kRed), 0);
    label.SetPropBool(u"elispisis", true);
    const QRect red = TextBox(kRed);  // cut short by the ellipsis inside the label
    EXPECT_TRUE(red.left() > TextBox().right() && red.right() < 299 - BlockWidth() / 2) << red.left() << "," << red.right();
}

TEST_F(LabelFixture, MetaCaptionWordsFollowEachOtherInTheirColoursAndCellsAndBadOnesDrawNothing) {
    label.SetPropString(u"caption", Blocks(3));
    for (const std::string& nothing : {std::string("[]"), std::string("[[{\"txt\":"), std::string("{\"txt\":\"a\"}"),
                                       std::string(100000, '[')})
        EXPECT_EQ((label.SetPropString(u"metacaption", QelString::FromUtf8(nothing)), CountColor(Grab(label), kGreen)), 200 * 40);
    label.SetPropString(u"metacaption",
                        QelString::FromUtf8(R"([[{"txt":"Hello ","bold":true},{"txt":"█████","color":"FF0000"}]])"));
    // After the first word, which is in the label's colour.
    EXPECT_TRUE(TextBox(kRed).left() >= label.GetMetaLines()[0].rows[0][0].width - 1 && BlueIn(0, 40) > 0);
    // A word's background fills its text cell, not the label.
    label.SetPropString(u"metacaption", QelString::FromUtf8(R"([[{"txt":"ab","bgcolor":"FF0000"}]])"));
    const QRect cell = TextBox(kRed);
    EXPECT_TRUE(cell.width() == label.GetMetaLines()[0].rows[0][0].width && cell.height() < 40) << cell.width();
}

TEST(CCaption, DarkStripWithThreeDFrameAndATooltipOnlyWithTheTooltipStyle) {
    const QelColorRef light = QelRGB(0x55, 0x55, 0x55), dark = QelRGB(0x30, 0x33, 0x34);
    CCaption caption, plain;
    caption.Create(CCaption::kStyleVisible | CCaption::kStyleToolTip, QRect(0, 0, 300, 18), nullptr, 5001);
    plain.Create(CCaption::kStyleVisible, QRect(0, 40, 200, 18), nullptr, 5002);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&caption) && QTest::qWaitForWindowExposed(&plain));
    caption.SetCaption(Blocks(3));
    const QImage img = Grab(caption);
    EXPECT_EQ(std::vector({PixelAt(img, 150, 0), PixelAt(img, 0, 10), PixelAt(img, 299, 10), PixelAt(img, 150, 17), PixelAt(img, 0, 17),
                           PixelAt(img, 150, 9)}), std::vector({light, light, dark, dark, dark, QelRGB(0x3C, 0x3F, 0x41)}));

    for (CCaption* strip : {&plain, &caption}) {
        strip->SetTipText(u"Result of\nthe search");
        QHelpEvent help(QEvent::ToolTip, QPoint(20, 9), strip->mapToGlobal(QPoint(20, 9)));
        QApplication::sendEvent(strip, &help);
        EXPECT_EQ(QToolTip::isVisible() && QToolTip::text().contains(QStringLiteral("the search")), strip == &caption);
        QToolTip::hideText();
    }
}
