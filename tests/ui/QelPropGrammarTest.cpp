// Text grammars of property values: colours, fonts, integer arrays, borders.
#include <gtest/gtest.h>

#include <clocale>

#include "QelPropGrammar.h"

using namespace QelPropGrammar;

namespace {
std::string Utf8(const QelString& s) { return s.ToStdString(); }
}  // namespace

TEST(QelPropGrammar, ColorWithHashReadsPositionsOneToSix) {
    EXPECT_EQ(ParseColor(u"#F5F5F5"), QelRGB(0xF5, 0xF5, 0xF5));
    EXPECT_EQ(ParseColor(u"#1E1E1E"), QelRGB(0x1E, 0x1E, 0x1E));
    EXPECT_EQ(ParseColor(u"#12abFF"), QelRGB(0x12, 0xAB, 0xFF));
    // Short text: past the end counts as 0.
    EXPECT_EQ(ParseColor(u"#FFF"), QelRGB(0xFF, 0xF0, 0x00));
    // Bad digits count as 0.
    EXPECT_EQ(ParseColor(u"#GG10zz"), QelRGB(0x00, 0x10, 0x00));
    // The "#" may be anywhere; positions 1 to 6 are read all the same.
    EXPECT_EQ(ParseColor(u"1#23456"), QelRGB(0x02, 0x34, 0x56));
    EXPECT_EQ(ParseColor(u"#"), 0u);
}

TEST(QelPropGrammar, ColorWithCommasReadsDecimalFieldsCutToEightBits) {
    EXPECT_EQ(ParseColor(u"255,255,255"), QelRGB(255, 255, 255));
    EXPECT_EQ(ParseColor(u"255,128"), QelRGB(255, 128, 0));
    EXPECT_EQ(ParseColor(u"300,0,0"), QelRGB(44, 0, 0));
    EXPECT_EQ(ParseColor(u" 12, +7,3x"), QelRGB(12, 7, 3));
    EXPECT_EQ(ParseColor(u"-1,0,0"), QelRGB(255, 0, 0));
    EXPECT_EQ(ParseColor(u"abc"), 0u);
    EXPECT_EQ(ParseColor(u""), 0u);
}

TEST(QelPropGrammar, ColorIsWrittenLowerCaseRedFirst) {
    EXPECT_EQ(Utf8(FormatColor(QelRGB(0x12, 0xAB, 0xFF))), "#12abff");
    EXPECT_EQ(Utf8(FormatColor(0)), "#000000");
    for (QelColorRef c : {QelRGB(1, 2, 3), QelRGB(0xFE, 0x80, 0x7F)}) EXPECT_EQ(ParseColor(FormatColor(c)), c);
}

TEST(QelPropGrammar, DecimalReadsLikeTheCRuntime) {
    EXPECT_EQ(ParseDecimal(u"42"), 42);
    EXPECT_EQ(ParseDecimal(u"  -17abc"), -17);
    EXPECT_EQ(ParseDecimal(u"+5"), 5);
    EXPECT_EQ(ParseDecimal(u"x5"), 0);
    EXPECT_EQ(ParseDecimal(u""), 0);
    EXPECT_EQ(ParseDecimal(u"99999999999"), 2147483647);
    EXPECT_EQ(ParseDecimal(u"-99999999999"), -2147483647 - 1);
}

TEST(QelPropGrammar, BoolIsTrueOnlyForTrueOrOne) {
    EXPECT_TRUE(ParseBool(u"true"));
    EXPECT_TRUE(ParseBool(u"1"));
    EXPECT_FALSE(ParseBool(u"TRUE"));
    EXPECT_FALSE(ParseBool(u"True"));
    EXPECT_FALSE(ParseBool(u"yes"));
    EXPECT_FALSE(ParseBool(u" 1"));
    EXPECT_FALSE(ParseBool(u""));
}

TEST(QelPropGrammar, FontHasSevenFieldsAndKeepsThirtyOneFaceCharacters) {
    const QelLogFont f = ParseFont(u"맑은 고딕,-12,700,1,0,1,129");
    EXPECT_EQ(Utf8(f.lfFaceName), "맑은 고딕");
    EXPECT_EQ(f.lfHeight, -12);
    EXPECT_EQ(f.lfWeight, 700);
    EXPECT_EQ(f.lfItalic, 1);
    EXPECT_EQ(f.lfUnderline, 0);
    EXPECT_EQ(f.lfStrikeOut, 1);
    EXPECT_EQ(f.lfCharSet, 129);
    EXPECT_EQ(f.lfEscapement, 0);
    EXPECT_EQ(Utf8(FormatFont(f)), "맑은 고딕,-12,700,1,0,1,129");

    const QelLogFont longFace = ParseFont(u"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789,10");
    EXPECT_EQ(longFace.lfFaceName.GetLength(), 31);
    EXPECT_EQ(longFace.lfHeight, 10);
    // Missing fields are 0; the escapement is not written.
    QelLogFont vertical = ParseFont(u"Face");
    EXPECT_EQ(vertical.lfWeight, 0);
    vertical.lfEscapement = -900;
    EXPECT_EQ(Utf8(FormatFont(vertical)), "Face,0,0,0,0,0,0");
}

TEST(QelPropGrammar, IntegerArraysSplitAtCommas) {
    EXPECT_EQ(ParseIntArray(u"0,0,0,0"), (QelArray<int>{0, 0, 0, 0}));
    EXPECT_EQ(ParseIntArray(u"1, 2,-3,x"), (QelArray<int>{1, 2, -3, 0}));
    EXPECT_EQ(ParseIntArray(u"5,"), (QelArray<int>{5, 0}));
    EXPECT_TRUE(ParseIntArray(u"").empty());
    EXPECT_EQ(Utf8(FormatIntArray({4, -5, 60})), "4,-5,60");
    EXPECT_EQ(Utf8(FormatIntArray({})), "");
}

TEST(QelPropGrammar, BorderReadsFiveFieldsAndKeepsInitialValuesForMissingOnes) {
    const _tag_borderInfo b = ParseBorder(u"true,0,3,2,#CCCEDB");
    EXPECT_TRUE(b.draw);
    EXPECT_EQ(b.reserved, 0);
    EXPECT_FLOAT_EQ(b.corner, 3.0f);
    EXPECT_EQ(b.width, 2);
    EXPECT_EQ(b.color, QelRGB(0xCC, 0xCE, 0xDB));

    const _tag_borderInfo partial = ParseBorder(u"1,7,2.5");
    EXPECT_TRUE(partial.draw);
    EXPECT_EQ(partial.reserved, 7);
    EXPECT_FLOAT_EQ(partial.corner, 2.5f);
    EXPECT_EQ(partial.width, 1);
    EXPECT_EQ(partial.color, 0u);

    const _tag_borderInfo empty = ParseBorder(u"");
    EXPECT_EQ(empty, _tag_borderInfo{});
    EXPECT_FALSE(ParseBorder(u"TRUE,0,0,1,#000000").draw);
}

TEST(QelPropGrammar, BorderIsWrittenWithSixDecimalsWhateverTheLocale) {
    _tag_borderInfo b;
    b.draw = true;
    b.corner = 2.0f;
    b.color = QelRGB(0xCC, 0xCE, 0xDB);
    EXPECT_EQ(Utf8(FormatBorder(b)), "true,0,2.000000,1,#cccedb");
    b.draw = false;
    b.reserved = -4;
    b.corner = 0.25f;
    b.width = 3;
    EXPECT_EQ(Utf8(FormatBorder(b)), "false,-4,0.250000,3,#cccedb");
    // A decimal-comma locale must not put a comma into the comma-separated text.
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous ? previous : "C";
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8")) {
        EXPECT_EQ(Utf8(FormatBorder(b)), "false,-4,0.250000,3,#cccedb");
        EXPECT_FLOAT_EQ(ParseBorder(u"true,0,1.5,1,#000000").corner, 1.5f);
    }
    std::setlocale(LC_NUMERIC, saved.c_str());
    EXPECT_EQ(ParseBorder(FormatBorder(b)), b);
}
