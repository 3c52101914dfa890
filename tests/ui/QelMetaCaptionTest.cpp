// Reading a meta caption's JSON into styled words.
#include <gtest/gtest.h>

#include "QelMetaCaption.h"

namespace {

std::string Utf8(const QelString& s) { return s.ToStdString(); }

struct Defaults {
    QelLogFont font;
    QelColorRef fg = QelRGB(1, 2, 3);
    QelColorRef bg = QelRGB(4, 5, 6);
    Defaults() {
        font.lfFaceName = u"Label Face";
        font.lfHeight = -15;
        font.lfWeight = 700;
        font.lfCharSet = 129;
    }
};

bool ParseWith(const char* json, QelArray<QelArray<_tag_MetaWordINfo>>& out) {
    const Defaults d;
    return QelMetaCaption::Parse(QelString::FromUtf8(json), d.font, d.fg, d.bg, out);
}

}  // namespace

TEST(QelMetaCaption, SizeMapsPointTextAndTheSizeTable) {
    EXPECT_EQ(QelMetaCaption::SizeToHeight(u"12pt"), -12);
    EXPECT_EQ(QelMetaCaption::SizeToHeight(u"pt9"), -9);
    const int table[] = {-6, -8, -10, -12, -14, -18, -24};
    for (int i = 1; i <= 7; ++i) EXPECT_EQ(QelMetaCaption::SizeToHeight(QelString::Formatted(u"%d", i)), table[i - 1]);
    EXPECT_EQ(QelMetaCaption::SizeToHeight(u"3"), -10);
    EXPECT_EQ(QelMetaCaption::SizeToHeight(u"9"), 0);
    EXPECT_EQ(QelMetaCaption::SizeToHeight(u"0"), 0);
    EXPECT_EQ(QelMetaCaption::SizeToHeight(u"big"), 0);
}

TEST(QelMetaCaption, HexColourHasNoHashAndBadDigitsAreZero) {
    EXPECT_EQ(QelMetaCaption::ParseHexColor(u"FF0000"), QelRGB(0xFF, 0, 0));
    EXPECT_EQ(QelMetaCaption::ParseHexColor(u"00a0Ff"), QelRGB(0, 0xA0, 0xFF));
    EXPECT_EQ(QelMetaCaption::ParseHexColor(u"#FF0000"), QelRGB(0x0F, 0xF0, 0x00));
    EXPECT_EQ(QelMetaCaption::ParseHexColor(u"12"), QelRGB(0x12, 0, 0));
}

TEST(QelMetaCaption, WordsTakeTheirKeysOrTheLabelDefaults) {
    QelArray<QelArray<_tag_MetaWordINfo>> p;
    ASSERT_TRUE(ParseWith(R"([[{"txt":"Hello ","bold":true},{"txt":"world","color":"FF0000"}],
                               [{"txt":"세계","italic":true,"line":true,"strikeout":true,"bgcolor":"00FF00",
                                 "font":"Other","size":"12pt"}, {}]])",
                          p));
    ASSERT_EQ(p.GetCount(), 2);
    ASSERT_EQ(p[0].GetCount(), 2);
    const _tag_MetaWordINfo& hello = p[0][0];
    EXPECT_EQ(Utf8(hello.text), "Hello ");
    EXPECT_EQ(hello.font.lfWeight, 700);
    EXPECT_EQ(hello.color, QelRGB(1, 2, 3));
    EXPECT_EQ(hello.bgcolor, QelRGB(4, 5, 6));
    EXPECT_EQ(Utf8(hello.font.lfFaceName), "Label Face");
    EXPECT_EQ(hello.font.lfHeight, -15);
    EXPECT_EQ(hello.font.lfCharSet, 0);  // word fonts never take the label's character set
    const _tag_MetaWordINfo& world = p[0][1];
    EXPECT_EQ(world.font.lfWeight, 400);  // not the label's bold: weight comes from "bold" alone
    EXPECT_EQ(world.color, QelRGB(0xFF, 0, 0));
    EXPECT_EQ(world.font.lfItalic, 0);

    const _tag_MetaWordINfo& styled = p[1][0];
    EXPECT_EQ(Utf8(styled.text), "세계");
    EXPECT_EQ(styled.font.lfItalic, 1);
    EXPECT_EQ(styled.font.lfUnderline, 1);
    EXPECT_EQ(styled.font.lfStrikeOut, 1);
    EXPECT_EQ(styled.bgcolor, QelRGB(0, 0xFF, 0));
    EXPECT_EQ(Utf8(styled.font.lfFaceName), "Other");
    EXPECT_EQ(styled.font.lfHeight, -12);
    const _tag_MetaWordINfo& empty = p[1][1];
    EXPECT_TRUE(empty.text.IsEmpty());
    EXPECT_EQ(empty.font.lfWeight, 400);
}

TEST(QelMetaCaption, OnlyJsonTrueSetsFlagsAndOnlyStringsSetTexts) {
    QelArray<QelArray<_tag_MetaWordINfo>> p;
    ASSERT_TRUE(ParseWith(R"([[{"txt":5,"bold":1,"italic":"true","line":false,"size":3,"color":255,"font":"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"}]])", p));
    const _tag_MetaWordINfo& w = p[0][0];
    EXPECT_TRUE(w.text.IsEmpty());
    EXPECT_EQ(w.font.lfWeight, 400);
    EXPECT_EQ(w.font.lfItalic, 0);
    EXPECT_EQ(w.font.lfUnderline, 0);
    EXPECT_EQ(w.font.lfHeight, -15);
    EXPECT_EQ(w.color, QelRGB(1, 2, 3));
    EXPECT_EQ(w.font.lfFaceName.GetLength(), 31);
}

TEST(QelMetaCaption, BadJsonOrShapeFailsWithoutCrashing) {
    QelArray<QelArray<_tag_MetaWordINfo>> p;
    EXPECT_FALSE(ParseWith("[[{\"txt\":", p));
    EXPECT_FALSE(ParseWith("{\"txt\":\"a\"}", p));
    EXPECT_FALSE(ParseWith("", p));
    EXPECT_TRUE(p.empty());
    ASSERT_TRUE(ParseWith("[]", p));
    EXPECT_TRUE(p.empty());
    // Paragraphs that are not arrays hold no words; words that are not objects are empty words.
    ASSERT_TRUE(ParseWith(R"([7, ["x"]])", p));
    ASSERT_EQ(p.GetCount(), 2);
    EXPECT_TRUE(p[0].empty());
    ASSERT_EQ(p[1].GetCount(), 1);
    EXPECT_TRUE(p[1][0].text.IsEmpty());
}
