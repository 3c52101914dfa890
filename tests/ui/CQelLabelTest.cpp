// The label: background and frame, disabled colours, the plain painters, the
// meta caption, and what property changes do to the window.
#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QSignalSpy>
#include <QTest>

#include "CQelLabel.h"
#include "CQelLogMng.h"
#include "QelPixels.h"

namespace {

const QelColorRef kBlue = QelRGB(0, 0, 255);
const QelColorRef kGreen = QelRGB(0, 255, 0);
const QelColorRef kRed = QelRGB(255, 0, 0);

// Counts paints so a test can tell an immediate repaint from none.
class CountingLabel : public CQelLabel {
public:
    int paints = 0;

protected:
    void paintEvent(QPaintEvent* e) override {
        ++paints;
        CQelLabel::paintEvent(e);
    }
};

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
};

}  // namespace

TEST_F(LabelFixture, RegistersItsOwnPropertiesAfterTheBase) {
    EXPECT_EQ(label.GetPropType(u"singleline"), PropTypeBool);
    EXPECT_TRUE(label.GetPropBool(u"singleline"));
    EXPECT_EQ(label.GetPropType(u"metacaption"), PropTypeString);
    EXPECT_EQ(label.GetPropType(u"elispisis"), PropTypeBool);
    EXPECT_FALSE(label.GetPropBool(u"elispisis"));
    EXPECT_EQ(label.GetPropNames().GetCount(), 14);
    EXPECT_EQ(label.GetCtrlId(), 1048u);
}

TEST_F(LabelFixture, BackgroundAndFrameFollowBorderAndEnable) {
    QImage img = Grab(label);
    EXPECT_EQ(PixelAt(img, 0, 0), kGreen);
    EXPECT_EQ(PixelAt(img, 199, 39), kGreen);

    label.SetPropString(u"border", u"true,0,0,2,#FF0000");
    img = Grab(label);
    EXPECT_EQ(PixelAt(img, 0, 0), kRed);
    EXPECT_EQ(PixelAt(img, 1, 1), kRed);
    EXPECT_EQ(PixelAt(img, 198, 38), kRed);
    EXPECT_EQ(PixelAt(img, 2, 2), kGreen);
    EXPECT_EQ(PixelAt(img, 197, 37), kGreen);

    label.SetPropBool(u"enable", false);
    EXPECT_FALSE(label.isEnabled());
    img = Grab(label);
    EXPECT_EQ(PixelAt(img, 0, 0), QelSysColor(QelColorInactiveBorder));
    EXPECT_EQ(PixelAt(img, 5, 5), QelSysColor(QelColorBtnFace));
    label.SetPropString(u"border", u"false,0,0,2,#FF0000");
    img = Grab(label);
    EXPECT_EQ(PixelAt(img, 0, 0), QelSysColor(QelColorBtnFace));
}

TEST_F(LabelFixture, DisabledTextTakesTheInactiveCaptionColour) {
    label.SetPropString(u"caption", Blocks(3));
    EXPECT_GT(CountColor(Grab(label), kBlue), 0);
    label.SetPropBool(u"enable", false);
    const QImage img = Grab(label);
    EXPECT_EQ(CountColor(img, kBlue), 0);
    EXPECT_GT(CountColor(img, QelSysColor(QelColorInactiveCaption)), 0);
}

TEST_F(LabelFixture, SingleLineAlignsOrCutsTheCaption) {
    label.SetPropString(u"caption", Blocks(2));
    label.SetPropInt(u"halign", 2);
    QRect box = ColorBox(Grab(label), kBlue);
    ASSERT_FALSE(box.isEmpty());
    EXPECT_GT(box.left(), 150);
    EXPECT_GE(box.right(), 190);
    label.SetPropInt(u"halign", 1);
    box = ColorBox(Grab(label), kBlue);
    EXPECT_NEAR(box.center().x(), 100, 3);
    EXPECT_NEAR(box.center().y(), 20, 3);
    label.SetPropInt(u"valign", 0);
    EXPECT_LE(ColorBox(Grab(label), kBlue).top(), 3);
    label.SetPropInt(u"valign", 2);
    EXPECT_GE(ColorBox(Grab(label), kBlue).bottom(), 36);

    // Wider than the label, no ellipsis: the characters that fit, left aligned whatever halign says.
    label.SetPropInt(u"halign", 2);
    label.SetPropInt(u"valign", 0);
    label.SetPropString(u"caption", Blocks(60));
    box = ColorBox(Grab(label), kBlue);
    EXPECT_LE(box.left(), 1);
    EXPECT_NEAR(box.center().y(), 20, 3);  // centred vertically, not at the top
    const int block = Metrics().horizontalAdvance(QString(QChar(0x2588)));
    EXPECT_GT(box.right(), 199 - block - 1);
    EXPECT_LE(box.right(), 199);
}

TEST_F(LabelFixture, SingleLineEllipsisEndsTheCaptionInsideTheLabel) {
    label.SetPropBool(u"elispisis", true);
    label.SetPropInt(u"halign", 2);
    label.SetPropString(u"caption", Blocks(60));
    const QImage cut = Grab(label);
    const QRect box = ColorBox(cut, kBlue);
    ASSERT_FALSE(box.isEmpty());
    // The ellipsis takes the place of the last blocks: a gap of background before the right edge.
    const int block = Metrics().horizontalAdvance(QString(QChar(0x2588)));
    EXPECT_LT(box.right(), 199 - block / 2);
    EXPECT_LT(box.left(), block);  // still right aligned: only the leftover is free on the left
}

TEST_F(LabelFixture, MultiLineDrawsParagraphsAndCountsEmptyOnesAsNoRows) {
    label.resize(200, 100);
    label.SetPropBool(u"singleline", false);
    label.SetPropInt(u"valign", 0);
    const QFontMetrics fm = Metrics();
    const int line = fm.height() + fm.leading();
    label.SetPropString(u"caption", Blocks(2) + QelString(u"\n\n") + Blocks(2));
    QImage img = Grab(label);
    EXPECT_GT(CountColor(img, kBlue, QRect(0, 0, 200, line)), 0);
    EXPECT_EQ(CountColor(img, kBlue, QRect(0, line, 200, line)), 0);
    EXPECT_GT(CountColor(img, kBlue, QRect(0, 2 * line, 200, line)), 0);

    // Centred as two rows although three lines are drawn.
    label.SetPropInt(u"valign", 1);
    img = Grab(label);
    const int top = 50 - 2 * line / 2;
    EXPECT_EQ(CountColor(img, kBlue, QRect(0, 0, 200, top)), 0);
    EXPECT_GT(CountColor(img, kBlue, QRect(0, top, 200, line)), 0);
    EXPECT_GT(CountColor(img, kBlue, QRect(0, top + 2 * line, 200, line)), 0);
}

TEST_F(LabelFixture, MultiLineWrapsAtCharactersUpToTheVisibleLines) {
    const QFontMetrics fm = Metrics();
    const int line = fm.height() + fm.leading();
    label.resize(100, 2 * line + line / 2);  // room for two lines
    label.SetPropBool(u"singleline", false);
    label.SetPropInt(u"valign", 0);
    label.SetPropString(u"caption", Blocks(40));  // several rows wide
    const QImage img = Grab(label);
    EXPECT_GT(CountColor(img, kBlue, QRect(0, 0, 100, line)), 0);
    EXPECT_GT(CountColor(img, kBlue, QRect(0, line, 100, line)), 0);
    EXPECT_EQ(CountColor(img, kBlue, QRect(0, 2 * line, 100, line / 2)), 0);
    // Wrapped rows are left aligned and stay inside the usable width.
    const QRect box = ColorBox(img, kBlue);
    EXPECT_LE(box.left(), 1);
    EXPECT_LE(box.right(), 99 - fm.leading());
}

TEST_F(LabelFixture, PaddingMovesTheCaptionArea) {
    label.SetPropInt(u"halign", 0);
    label.SetPropInt(u"valign", 0);
    label.SetPropString(u"caption", Blocks(2));
    label.SetPropIntArray(u"padding", {30, 10, 0, 0});
    const QRect box = ColorBox(Grab(label), kBlue);
    EXPECT_GE(box.left(), 30);
    EXPECT_LE(box.left(), 32);
    EXPECT_GE(box.top(), 10);
    // Fewer than four elements: no padding.
    label.SetPropIntArray(u"padding", {30, 10});
    EXPECT_LE(ColorBox(Grab(label), kBlue).left(), 2);
}

TEST_F(LabelFixture, CaptionChangesRepaintAtOnceOtherPropertiesWait) {
    const int before = label.paints;
    label.SetPropString(u"caption", u"now");
    EXPECT_EQ(label.paints, before + 1);
    label.SetPropString(u"metacaption", u"[]");
    EXPECT_EQ(label.paints, before + 2);
    label.SetPropString(u"fgcolor", u"#123456");
    label.SetPropColor(u"bgcolor", kRed);
    EXPECT_EQ(label.paints, before + 2);
}

TEST_F(LabelFixture, VisibleShowsAndHides) {
    label.SetPropBool(u"visible", false);
    EXPECT_FALSE(label.isVisible());
    label.SetPropBool(u"visible", true);
    EXPECT_TRUE(label.isVisible());
    label.SetPropBool(u"enable", false);
    label.SetPropBool(u"enable", true);
    EXPECT_TRUE(label.isEnabled());
}

TEST_F(LabelFixture, ClickedReportsTheControlIdentifier) {
    QSignalSpy spy(&label, &CQelLabel::Clicked);
    QTest::mouseClick(&label, Qt::LeftButton, {}, QPoint(10, 10));
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).toUInt(), 1048u);
}

TEST_F(LabelFixture, EmptyMetaCaptionArrayDrawsOnlyTheBackground) {
    label.SetPropString(u"caption", Blocks(3));
    label.SetPropString(u"metacaption", u"[]");
    const QImage img = Grab(label);
    EXPECT_EQ(CountColor(img, kGreen), 200 * 40);
}

TEST_F(LabelFixture, MetaCaptionWordsKeepTheirFontsAndColoursOnOneLine) {
    label.SetPropString(u"metacaption",
                        QelString::FromUtf8(R"([[{"txt":"Hello ","bold":true},{"txt":"█████","color":"FF0000"}]])"));
    const QImage img = Grab(label);
    const auto& lines = label.GetMetaLines();
    ASSERT_EQ(lines.GetCount(), 1);
    ASSERT_EQ(lines[0].rows.GetCount(), 1);
    ASSERT_EQ(lines[0].rows[0].GetCount(), 2);
    EXPECT_EQ(lines[0].rows[0][0].font.lfWeight, 700);
    EXPECT_EQ(lines[0].rows[0][1].font.lfWeight, 400);
    EXPECT_EQ(lines[0].rows[0][1].color, kRed);
    const QRect red = ColorBox(img, kRed);
    ASSERT_FALSE(red.isEmpty());
    EXPECT_GE(red.left(), lines[0].rows[0][0].width - 1);  // after the first word
    EXPECT_GT(CountColor(img, label.GetPropColor(u"fgcolor")), 0);  // the first word in the label's colour
}

TEST_F(LabelFixture, MetaCaptionWordBackgroundFillsItsTextCell) {
    label.SetPropString(u"metacaption", QelString::FromUtf8(R"([[{"txt":"ab","bgcolor":"FF0000","color":"0000FF"}]])"));
    const QImage img = Grab(label);
    const QRect cell = ColorBox(img, kRed);
    ASSERT_FALSE(cell.isEmpty());
    EXPECT_EQ(cell.width(), label.GetMetaLines()[0].rows[0][0].width);
    EXPECT_LT(cell.height(), 40);
}

TEST_F(LabelFixture, MetaCaptionWrapsWordsThatDoNotFitIntoNewRows) {
    // Three words, each wider than half the area: one word per row.
    const QFontMetrics fm(ToQFont(label.GetPropFont(u"font")));
    int n = 1;
    while (fm.horizontalAdvance(ToQString(Blocks(n))) <= 55) ++n;
    ASSERT_LE(fm.horizontalAdvance(ToQString(Blocks(n))), 100);
    label.resize(100, 100);
    const std::string word = "{\"txt\":\"" + Blocks(n).ToStdString() + "\"}";
    label.SetPropString(u"metacaption", QelString::FromUtf8("[[" + word + "," + word + "," + word + "]]"));
    label.SetPropBool(u"singleline", false);
    label.SetPropInt(u"valign", 0);
    const QImage img = Grab(label);
    const auto& lines = label.GetMetaLines();
    ASSERT_EQ(lines.GetCount(), 1);
    ASSERT_EQ(lines[0].rows.GetCount(), 3);
    for (const auto& row : lines[0].rows) EXPECT_EQ(row.GetCount(), 1);
    const int h = lines[0].rowHeights[0];
    for (int r = 0; r < 3; ++r) EXPECT_GT(CountColor(img, kBlue, QRect(0, r * h, 100, h)), 0) << r;
}

TEST_F(LabelFixture, MultiLineMetaCaptionStopsAtTheBottomWithoutEllipsis) {
    label.resize(300, 20);
    label.SetPropBool(u"singleline", false);
    label.SetPropInt(u"valign", 0);
    label.SetPropString(u"metacaption",
                        QelString::FromUtf8(R"([[{"txt":"██"}],[{"txt":"██","color":"FF0000"}]])"));
    QImage img = Grab(label);
    ASSERT_GT(label.GetMetaLines()[0].rowHeights[0], 10);
    EXPECT_GT(CountColor(img, kBlue), 0);
    EXPECT_EQ(CountColor(img, kRed), 0);  // the second paragraph has no room
    // With the ellipsis it continues on the last visible row.
    label.SetPropBool(u"elispisis", true);
    img = Grab(label);
    const QRect red = ColorBox(img, kRed);
    ASSERT_FALSE(red.isEmpty());
    EXPECT_GT(red.left(), ColorBox(img, kBlue).right());
}

TEST_F(LabelFixture, BadMetaCaptionLogsAndDrawsOnlyTheBackground) {
    CQelLogMng::GetInstance()->SetEnabled(true);
    testing::internal::CaptureStderr();
    label.SetPropString(u"caption", Blocks(3));
    label.SetPropString(u"metacaption", u"[[{\"txt\":");
    const std::string log = testing::internal::GetCapturedStderr();
    CQelLogMng::GetInstance()->SetEnabled(false);
    EXPECT_NE(log.find("JSON Meta Parse Error!!"), std::string::npos);
    EXPECT_EQ(CountColor(Grab(label), kGreen), 200 * 40);
}
