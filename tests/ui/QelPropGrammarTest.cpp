// Text grammars of property values (colours, fonts, integer arrays, borders) and
// the property bag that stores its values as such text.
#include <gtest/gtest.h>

#include <clocale>
#include <tuple>

#include "CQelCtlBase.h"
#include "QelPropGrammar.h"

using namespace QelPropGrammar;

TEST(QelPropGrammar, ColoursDecimalsBoolsAndIntegerArraysReadLikeTheProgramsCRuntime) {
    const std::pair<const char16_t*, QelColorRef> colours[] = {
        {u"#12abFF", QelRGB(0x12, 0xAB, 0xFF)}, {u"#FFF", QelRGB(0xFF, 0xF0, 0x00)},  // past the end counts as 0
        {u"#GG10zz", QelRGB(0x00, 0x10, 0x00)},  // bad digits count as 0
        {u"1#23456", QelRGB(0x02, 0x34, 0x56)},  // positions 1 to 6 wherever the "#" is
        {u"#", 0}, {u"255,128", QelRGB(255, 128, 0)}, {u"300,0,0", QelRGB(44, 0, 0)},  // fields cut to eight bits
        {u" 12, +7,3x", QelRGB(12, 7, 3)}, {u"-1,0,0", QelRGB(255, 0, 0)}, {u"abc", 0}, {u"", 0},
    };
    for (const auto& [text, color] : colours) EXPECT_EQ(ParseColor(text), color) << QelString(text).ToStdString();
    const std::pair<const char16_t*, int> decimals[] = {
        {u"42", 42}, {u"  -17abc", -17}, {u"+5", 5}, {u"x5", 0}, {u"", 0},
        {u"99999999999", 2147483647}, {u"-99999999999", -2147483647 - 1},
    };
    for (const auto& [text, value] : decimals) EXPECT_EQ(ParseDecimal(text), value) << QelString(text).ToStdString();
    for (const char16_t* text : {u"true", u"1"}) EXPECT_TRUE(ParseBool(text));
    for (const char16_t* text : {u"TRUE", u"True", u"yes", u" 1", u""}) EXPECT_FALSE(ParseBool(text));
    EXPECT_EQ(ParseIntArray(u"1, 2,-3,x"), (QelArray<int>{1, 2, -3, 0}));
    EXPECT_EQ(ParseIntArray(u"5,"), (QelArray<int>{5, 0}));
    EXPECT_TRUE(ParseIntArray(u"").empty());
    EXPECT_EQ(FormatIntArray({4, -5, 60}).ToStdString() + "|" + FormatIntArray({}).ToStdString(), "4,-5,60|");
}

TEST(QelPropGrammar, FontHasSevenFieldsAndKeepsThirtyOneFaceCharacters) {
    const QelLogFont f = ParseFont(u"맑은 고딕,-12,700,1,0,1,129");
    EXPECT_EQ(std::make_tuple(f.lfFaceName.ToStdString(), f.lfHeight, f.lfWeight, int(f.lfItalic), int(f.lfUnderline),
                              int(f.lfStrikeOut), int(f.lfCharSet), f.lfEscapement),
              std::make_tuple(std::string("맑은 고딕"), -12, 700, 1, 0, 1, 129, 0));
    const QelLogFont longFace = ParseFont(u"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789,10");
    EXPECT_EQ(longFace.lfFaceName.GetLength(), 31);
    EXPECT_EQ(longFace.lfHeight, 10);
    // Missing fields are 0; the escapement is not written.
    QelLogFont vertical = ParseFont(u"Face");
    vertical.lfEscapement = -900;
    EXPECT_EQ(FormatFont(vertical).ToStdString(), "Face,0,0,0,0,0,0");
}

TEST(QelPropGrammar, BorderReadsFiveFieldsKeepsInitialValuesForMissingOnesAndIsWrittenWhateverTheLocale) {
    EXPECT_EQ(ParseBorder(u"true,0,3,2,#CCCEDB"), (_tag_borderInfo{true, 0, 3.0f, 2, QelRGB(0xCC, 0xCE, 0xDB)}));
    EXPECT_EQ(ParseBorder(u"1,7,2.5"), (_tag_borderInfo{true, 7, 2.5f, 1, 0}));
    EXPECT_EQ(ParseBorder(u""), _tag_borderInfo{});
    EXPECT_FALSE(ParseBorder(u"TRUE,0,0,1,#000000").draw);
    // Six decimals, and no decimal comma in the comma-separated text whatever the locale.
    const _tag_borderInfo b{false, -4, 0.25f, 3, QelRGB(0xCC, 0xCE, 0xDB)};
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous ? previous : "C";
    for (const char* locale : {"C", "de_DE.UTF-8"}) {
        if (!std::setlocale(LC_NUMERIC, locale)) continue;
        EXPECT_EQ(FormatBorder(b).ToStdString(), "false,-4,0.250000,3,#cccedb") << locale;
        EXPECT_FLOAT_EQ(ParseBorder(u"true,0,1.5,1,#000000").corner, 1.5f) << locale;
    }
    std::setlocale(LC_NUMERIC, saved.c_str());
    EXPECT_EQ(ParseBorder(FormatBorder(b)), b);
}

namespace {
struct Bag : CQelCtlBase {
    Bag() { InitProperties(); }
};
}  // namespace

// The getters' readings show in the widget tests (alignment, padding, fonts, frames).
TEST(CQelCtlBase, TypedSettersStoreTheGrammarsTextAndGettersParseItOnEveryCall) {
    Bag bag;
    EXPECT_TRUE(bag.GetPropBool(u"visible"));  // a control shows unless told otherwise
    QelLogFont font = bag.GetPropFont(u"font");
    font.lfWeight = 700;
    bag.SetPropColor(u"fgcolor", QelRGB(0x12, 0xAB, 0xFF));
    bag.SetPropBool(u"enable", false);
    bag.SetPropInt(u"halign", -2);
    bag.SetPropIntArray(u"padding", {1, 2, 3, 4});
    bag.SetPropFont(u"font", font);
    bag.SetPropBorder(u"border", {true, 0, 3.0f, 2, QelRGB(0xCC, 0xCE, 0xDB)});
    std::string texts;
    for (const char16_t* name : {u"fgcolor", u"enable", u"halign", u"padding", u"font", u"border"})
        texts += bag.GetPropString(name).ToStdString() + "|";
    EXPECT_EQ(texts, "#12abff|false|-2|1,2,3,4|" + FormatFont(font).ToStdString() + "|true,0,3.000000,2,#cccedb|");
    bag.SetPropString(u"bgcolor", u"255,128");  // stored unvalidated
    EXPECT_EQ(bag.GetPropColor(u"bgcolor"), QelRGB(255, 128, 0));
}

TEST(CQelCtlBase, UnknownNamesAndOtherTypesAreNotWrittenAndReadEmpty) {
    Bag bag;
    bag.SetPropString(u"nosuch", u"x");
    bag.SetPropString(u"CAPTION", u"x");  // names are case-sensitive
    EXPECT_FALSE(bag.HasProperty(u"nosuch"));
    EXPECT_EQ(bag.GetPropType(u"nosuch"), -1);
    EXPECT_TRUE(bag.GetPropString(u"caption").IsEmpty());
    EXPECT_FALSE(bag.GetPropBool(u"Visible"));
    bag.SetPropInt(u"bgcolor", 7);
    bag.SetPropColor(u"halign", QelRGB(1, 2, 3));
    bag.SetPropBool(u"caption", true);
    bag.SetPropFont(u"border", QelLogFont{});
    bag.SetPropIntArray(u"font", {1});
    bag.SetPropBorder(u"padding", _tag_borderInfo{});
    std::string texts;
    for (const char16_t* name : {u"bgcolor", u"halign", u"caption", u"border", u"padding"})
        texts += bag.GetPropString(name).ToStdString() + "|";
    EXPECT_EQ(texts, "#ffffff|0||false,0,0,1,#000000|0,0,0,0|");
    // Each getter sees text that would parse as its type, but of another type.
    bag.SetPropString(u"caption", u"true");
    bag.SetPropString(u"layout", u"5,0,0,0");
    EXPECT_FALSE(bag.GetPropBool(u"caption"));
    EXPECT_EQ(bag.GetPropInt(u"layout"), 0);
    EXPECT_EQ(bag.GetPropColor(u"font"), 0u);
    EXPECT_EQ(bag.GetPropFont(u"bgcolor"), QelLogFont{});
    EXPECT_TRUE(bag.GetPropIntArray(u"halign").empty());
    EXPECT_EQ(bag.GetPropBorder(u"padding"), _tag_borderInfo{});
}
