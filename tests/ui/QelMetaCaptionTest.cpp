// Reading a meta caption's JSON into styled words.
#include <gtest/gtest.h>

#include <cstdio>

#include "QelMetaCaption.h"

namespace {

using Paragraphs = QelArray<QelArray<_tag_MetaWordINfo>>;

// Parses with the defaults of a bold 15-pixel label whose text is 1,2,3 on 4,5,6.
bool ParseWith(const std::string& json, Paragraphs& out) {
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
    const std::pair<const char16_t*, int> sizes[] = {{u"12pt", -12}, {u"pt9", -9}, {u"1", -6}, {u"2", -8}, {u"3", -10},
                                                     {u"4", -12},    {u"5", -14},  {u"6", -18}, {u"7", -24}, {u"9", 0},
                                                     {u"0", 0},      {u"big", 0}};
    for (const auto& [size, height] : sizes)
        EXPECT_EQ(QelMetaCaption::SizeToHeight(size), height) << QelString(size).ToStdString();
    EXPECT_EQ(QelMetaCaption::ParseHexColor(u"00a0Ff"), QelRGB(0, 0xA0, 0xFF));
    EXPECT_EQ(QelMetaCaption::ParseHexColor(u"#FF0000"), QelRGB(0x0F, 0xF0, 0x00));
    EXPECT_EQ(QelMetaCaption::ParseHexColor(u"12"), QelRGB(0x12, 0, 0));
}

// Keys of the wrong type count as absent: only JSON true sets a flag, only strings set texts.
TEST(QelMetaCaption, WordsTakeTheirKeysOrTheLabelDefaultsButNeverItsWeightOrCharacterSet) {
    Paragraphs p;
    ASSERT_TRUE(ParseWith(R"([[{"txt":"Hello ","bold":true},{"txt":"world","color":"FF0000"}],
        [{"txt":"세계","italic":true,"line":true,"strikeout":true,"bgcolor":"00FF00","font":"Other","size":"12pt"}],
        [{"txt":5,"bold":1,"italic":"true","line":false,"size":3,"color":255,"font":"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"}],
        7, ["x"]])", p));
    std::string words;
    for (const auto& paragraph : p) {
        for (const auto& word : paragraph) words += Describe(word) + "\n";
        words += "/\n";
    }
    EXPECT_EQ(words, "Hello |Label Face|-15|700|000|030201|060504|0\nworld|Label Face|-15|400|000|0000ff|060504|0\n/\n"
                     "세계|Other|-12|400|111|030201|00ff00|0\n/\n"
                     "|ABCDEFGHIJKLMNOPQRSTUVWXYZ01234|-15|400|000|030201|060504|0\n/\n"
                     "/\n|Label Face|-15|400|000|030201|060504|0\n/\n");  // no words in a non-array, empty ones for non-objects
}

TEST(QelMetaCaption, BadJsonOrShapeFailsWithoutCrashingAndLeavesNoWords) {
    Paragraphs p;
    EXPECT_TRUE(ParseWith("[]", p));
    for (const std::string& bad : {std::string("[[{\"txt\":"), std::string("{\"txt\":\"a\"}"), std::string(),
                                   std::string(100000, '[')}) {
        ASSERT_TRUE(ParseWith("[[{}]]", p));
        EXPECT_FALSE(ParseWith(bad, p)) << bad.substr(0, 10);
        EXPECT_TRUE(p.empty()) << bad.substr(0, 10);
    }
}
