// Reading a meta caption's JSON into styled words.
#include <gtest/gtest.h>

#include <cstdio>

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

// "text|face|height|weight|italic underline strike-out|colour|background|charset", colours as 0xBBGGRR.
std::string Describe(const _tag_MetaWordINfo& w) {
    const QelLogFont& f = w.font;
    char tail[64];
    std::snprintf(tail, sizeof tail, "|%d|%d|%d%d%d|%06x|%06x|%d", f.lfHeight, f.lfWeight, f.lfItalic, f.lfUnderline,
                  f.lfStrikeOut, w.color, w.bgcolor, f.lfCharSet);
    return w.text.ToStdString() + "|" + f.lfFaceName.ToStdString() + tail;
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

TEST(QelMetaCaption, WordsTakeTheirKeysOrTheLabelDefaultsButNeverItsWeightOrCharacterSet) {
    Paragraphs p;
    ASSERT_TRUE(ParseWith(R"([[{"txt":"Hello ","bold":true},{"txt":"world","color":"FF0000"}],
                               [{"txt":"세계","italic":true,"line":true,"strikeout":true,"bgcolor":"00FF00",
                                 "font":"Other","size":"12pt"}]])",
                          p));
    ASSERT_EQ(p.GetCount(), 2);
    ASSERT_EQ(p[0].GetCount(), 2);
    EXPECT_EQ(Describe(p[0][0]), "Hello |Label Face|-15|700|000|030201|060504|0");
    EXPECT_EQ(Describe(p[0][1]), "world|Label Face|-15|400|000|0000ff|060504|0");
    EXPECT_EQ(Describe(p[1][0]), "세계|Other|-12|400|111|030201|00ff00|0");
}

TEST(QelMetaCaption, OnlyJsonTrueSetsFlagsAndOnlyStringsSetTexts) {
    Paragraphs p;
    ASSERT_TRUE(ParseWith(R"([[{"txt":5,"bold":1,"italic":"true","line":false,"size":3,"color":255,)"
                          R"("font":"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"}]])",
                          p));
    EXPECT_EQ(Describe(p[0][0]), "|ABCDEFGHIJKLMNOPQRSTUVWXYZ01234|-15|400|000|030201|060504|0");
}

TEST(QelMetaCaption, BadJsonOrShapeFailsWithoutCrashingAndLeavesNoWords) {
    Paragraphs p;
    EXPECT_TRUE(ParseWith("[]", p));
    // Paragraphs that are not arrays hold no words; words that are not objects are empty words.
    ASSERT_TRUE(ParseWith(R"([7, ["x"]])", p));
    ASSERT_EQ(p.GetCount(), 2);
    EXPECT_TRUE(p[0].empty());
    ASSERT_EQ(p[1].GetCount(), 1);
    EXPECT_EQ(Describe(p[1][0]), "|Label Face|-15|400|000|030201|060504|0");
    for (const std::string& bad : {std::string("[[{\"txt\":"), std::string("{\"txt\":\"a\"}"), std::string(),
                                   std::string(100000, '[')}) {
        EXPECT_FALSE(ParseWith(bad.c_str(), p)) << bad.substr(0, 10);
        EXPECT_TRUE(p.empty()) << bad.substr(0, 10);
    }
}
