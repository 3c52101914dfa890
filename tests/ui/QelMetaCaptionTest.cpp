// Reading a meta caption's JSON into styled words.
#include <gtest/gtest.h>

#include "QelMetaCaption.h"

namespace {

using Paragraphs = QelArray<QelArray<_tag_MetaWordINfo>>;

// Parses with the defaults of a bold 15-pixel label whose text is 1,2,3 on 4,5,6.
bool ParseWith(const char* json, Paragraphs& out) {
    QelLogFont font;
    font.lfFaceName = u"Label Face";
    font.lfHeight = -15;
    font.lfWeight = 700;
    font.lfCharSet = 129;
    return QelMetaCaption::Parse(QelString::FromUtf8(json), font, QelRGB(1, 2, 3), QelRGB(4, 5, 6), out);
}

}  // namespace

TEST(QelMetaCaption, SizesMapPointTextAndTheSizeTableAndHexColoursHaveNoHash) {
    const std::pair<const char16_t*, int> sizes[] = {
        {u"12pt", -12}, {u"pt9", -9}, {u"1", -6}, {u"2", -8}, {u"3", -10}, {u"4", -12}, {u"5", -14},
        {u"6", -18},    {u"7", -24},  {u"9", 0},  {u"0", 0},  {u"big", 0},
    };
    for (const auto& [size, height] : sizes)
        EXPECT_EQ(QelMetaCaption::SizeToHeight(size), height) << QelString(size).ToStdString();
    EXPECT_EQ(QelMetaCaption::ParseHexColor(u"00a0Ff"), QelRGB(0, 0xA0, 0xFF));
    EXPECT_EQ(QelMetaCaption::ParseHexColor(u"#FF0000"), QelRGB(0x0F, 0xF0, 0x00));
    EXPECT_EQ(QelMetaCaption::ParseHexColor(u"12"), QelRGB(0x12, 0, 0));
}

TEST(QelMetaCaption, WordsTakeTheirKeysOrTheLabelDefaults) {
    Paragraphs p;
    ASSERT_TRUE(ParseWith(R"([[{"txt":"Hello ","bold":true},{"txt":"world","color":"FF0000"}],
                               [{"txt":"세계","italic":true,"line":true,"strikeout":true,"bgcolor":"00FF00",
                                 "font":"Other","size":"12pt"}]])",
                          p));
    ASSERT_EQ(p.GetCount(), 2);
    ASSERT_EQ(p[0].GetCount(), 2);
    const _tag_MetaWordINfo& hello = p[0][0];
    EXPECT_EQ(hello.text.ToStdString(), "Hello ");
    EXPECT_EQ(hello.font.lfWeight, 700);
    EXPECT_EQ(hello.color, QelRGB(1, 2, 3));
    EXPECT_EQ(hello.bgcolor, QelRGB(4, 5, 6));
    EXPECT_EQ(hello.font.lfFaceName.ToStdString(), "Label Face");
    EXPECT_EQ(hello.font.lfHeight, -15);
    EXPECT_EQ(hello.font.lfCharSet, 0);  // word fonts never take the label's character set
    EXPECT_EQ(p[0][1].font.lfWeight, 400);  // not the label's bold: weight comes from "bold" alone
    EXPECT_EQ(p[0][1].color, QelRGB(0xFF, 0, 0));

    const _tag_MetaWordINfo& styled = p[1][0];
    EXPECT_EQ(styled.text.ToStdString(), "세계");
    EXPECT_EQ(styled.font.lfItalic + styled.font.lfUnderline + styled.font.lfStrikeOut, 3);
    EXPECT_EQ(styled.bgcolor, QelRGB(0, 0xFF, 0));
    EXPECT_EQ(styled.font.lfFaceName.ToStdString(), "Other");
    EXPECT_EQ(styled.font.lfHeight, -12);
}

TEST(QelMetaCaption, OnlyJsonTrueSetsFlagsAndOnlyStringsSetTexts) {
    Paragraphs p;
    ASSERT_TRUE(ParseWith(R"([[{"txt":5,"bold":1,"italic":"true","line":false,"size":3,"color":255,)"
                          R"("font":"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"}]])",
                          p));
    const _tag_MetaWordINfo& w = p[0][0];
    EXPECT_TRUE(w.text.IsEmpty());
    EXPECT_EQ(w.font.lfWeight, 400);
    EXPECT_EQ(w.font.lfItalic + w.font.lfUnderline, 0);
    EXPECT_EQ(w.font.lfHeight, -15);
    EXPECT_EQ(w.color, QelRGB(1, 2, 3));
    EXPECT_EQ(w.font.lfFaceName.GetLength(), 31);
}

TEST(QelMetaCaption, BadJsonOrShapeFailsWithoutCrashing) {
    Paragraphs p;
    for (const char* bad : {"[[{\"txt\":", "{\"txt\":\"a\"}", ""}) EXPECT_FALSE(ParseWith(bad, p)) << bad;
    EXPECT_TRUE(p.empty());
    // Paragraphs that are not arrays hold no words; words that are not objects are empty words.
    ASSERT_TRUE(ParseWith(R"([7, ["x"]])", p));
    ASSERT_EQ(p.GetCount(), 2);
    EXPECT_TRUE(p[0].empty());
    ASSERT_EQ(p[1].GetCount(), 1);
    EXPECT_TRUE(p[1][0].text.IsEmpty());
    EXPECT_EQ(p[1][0].font.lfWeight, 400);
}
