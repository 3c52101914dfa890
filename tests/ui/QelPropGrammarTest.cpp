// Text grammars of property values (colours, decimals, bools, integer arrays, fonts, borders) and
// the property bag that stores its values as such text.
#include <gtest/gtest.h>

#include <clocale>

#include "CQelCtlBase.h"
#include "QelPropGrammar.h"

using namespace QelPropGrammar;

namespace {

enum Grammar { kColor, kDecimal, kBool, kInts, kFont, kBorder };

// The value read from the text, written back in its grammar; bools and decimals as plain C++ text.
std::string Reread(Grammar grammar, const QelString& text) {
    switch (grammar) {
        case kColor: return FormatColor(ParseColor(text)).ToStdString();
        case kDecimal: return std::to_string(ParseDecimal(text));
        case kBool: return ParseBool(text) ? "true" : "false";
        case kInts: return FormatIntArray(ParseIntArray(text)).ToStdString();
        case kFont: return FormatFont(ParseFont(text)).ToStdString();
        case kBorder: return FormatBorder(ParseBorder(text)).ToStdString();
    }
    return {};
}

struct Bag : CQelCtlBase {
    Bag() { InitProperties(); }
};

}  // namespace

// Every grammar reads like the program's C runtime and is written with no decimal comma whatever the locale.
TEST(QelPropGrammar, EachGrammarReadsItsTextAndWritesItBack) {
    const struct { Grammar grammar; const char16_t* text; const char* read; } cases[] = {
        {kColor, u"#12abFF", "#12abff"}, {kColor, u"#FFF", "#fff000"},  // past the end counts as 0
        {kColor, u"#GG10zz", "#001000"}, {kColor, u"1#23456", "#023456"},  // bad digits are 0; positions 1 to 6
        {kColor, u"#", "#000000"}, {kColor, u"255,128", "#ff8000"}, {kColor, u"300,0,0", "#2c0000"},  // cut to eight bits
        {kColor, u" 12, +7,3x", "#0c0703"}, {kColor, u"-1,0,0", "#ff0000"}, {kColor, u"abc", "#000000"}, {kColor, u"", "#000000"},
        {kDecimal, u"42", "42"}, {kDecimal, u"  -17abc", "-17"}, {kDecimal, u"+5", "5"}, {kDecimal, u"x5", "0"},
        {kDecimal, u"", "0"}, {kDecimal, u"99999999999", "2147483647"}, {kDecimal, u"-99999999999", "-2147483648"},
        {kBool, u"true", "true"}, {kBool, u"1", "true"}, {kBool, u"TRUE", "false"}, {kBool, u"True", "false"},
        {kBool, u"yes", "false"}, {kBool, u" 1", "false"}, {kBool, u"", "false"},
        {kInts, u"1, 2,-3,x", "1,2,-3,0"}, {kInts, u"5,", "5,0"}, {kInts, u"", ""},
        {kFont, u"맑은 고딕,-12,700,1,0,1,129", "맑은 고딕,-12,700,1,0,1,129"}, {kFont, u"Face", "Face,0,0,0,0,0,0"},
        {kFont, u"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789,10", "ABCDEFGHIJKLMNOPQRSTUVWXYZ01234,10,0,0,0,0,0"},
        {kBorder, u"true,0,3,2,#CCCEDB", "true,0,3.000000,2,#cccedb"}, {kBorder, u"1,7,2.5", "true,7,2.500000,1,#000000"},
        {kBorder, u"", "false,0,0.000000,1,#000000"}, {kBorder, u"TRUE,0,0,1,#000000", "false,0,0.000000,1,#000000"},
        {kBorder, u"false,-4,0.25,3,#CCCEDB", "false,-4,0.250000,3,#cccedb"},
    };
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous ? previous : "C";
    for (const char* locale : {"C", "de_DE.UTF-8"}) {
        if (!std::setlocale(LC_NUMERIC, locale)) continue;
        for (const auto& c : cases) EXPECT_EQ(Reread(c.grammar, c.text), c.read) << QelString(c.text).ToStdString() << " " << locale;
    }
    std::setlocale(LC_NUMERIC, saved.c_str());
}

// A typed access reaches only a known name of its own type; setters store the grammar's text and getters
// parse it on every call.
TEST(CQelCtlBase, TypedAccessReachesOnlyItsOwnTypeThroughTheGrammarsText) {
    Bag bag;
    EXPECT_TRUE(bag.GetPropBool(u"visible"));  // a control shows unless told otherwise
    // Names are case-sensitive.
    bag.SetPropString(u"nosuch", u"x"), bag.SetPropString(u"CAPTION", u"x"), bag.SetPropInt(u"bgcolor", 7);
    bag.SetPropColor(u"halign", QelRGB(1, 2, 3)), bag.SetPropBool(u"caption", true), bag.SetPropFont(u"border", QelLogFont{});
    bag.SetPropIntArray(u"font", {1}), bag.SetPropBorder(u"padding", _tag_borderInfo{});
    EXPECT_TRUE(!bag.HasProperty(u"nosuch") && bag.GetPropType(u"nosuch") == -1 && !bag.GetPropBool(u"Visible"));
    const auto texts = [&bag](std::initializer_list<const char16_t*> names) {
        std::string joined;
        for (const char16_t* name : names) joined += bag.GetPropString(name).ToStdString() + "|";
        return joined;
    };
    EXPECT_EQ(texts({u"bgcolor", u"halign", u"caption", u"border", u"padding"}), "#ffffff|0||false,0,0,1,#000000|0,0,0,0|");

    QelLogFont font = bag.GetPropFont(u"font");
    font.lfWeight = 700;
    bag.SetPropColor(u"fgcolor", QelRGB(0x12, 0xAB, 0xFF)), bag.SetPropBool(u"enable", false), bag.SetPropInt(u"halign", -2);
    bag.SetPropIntArray(u"padding", {1, 2, 3, 4}), bag.SetPropFont(u"font", font);
    bag.SetPropBorder(u"border", {true, 0, 3.0f, 2, QelRGB(0xCC, 0xCE, 0xDB)});
    EXPECT_EQ(texts({u"fgcolor", u"enable", u"halign", u"padding", u"font", u"border"}),
              "#12abff|false|-2|1,2,3,4|" + FormatFont(font).ToStdString() + "|true,0,3.000000,2,#cccedb|");
    bag.SetPropString(u"bgcolor", u"255,128");  // stored unvalidated
    EXPECT_EQ(bag.GetPropColor(u"bgcolor"), QelRGB(255, 128, 0));
    // Each getter sees text that would parse as its type, but of another type.
    bag.SetPropString(u"caption", u"true"), bag.SetPropString(u"layout", u"5,0,0,0");
    EXPECT_TRUE(!bag.GetPropBool(u"caption") && bag.GetPropInt(u"layout") == 0 && bag.GetPropColor(u"font") == 0u);
    EXPECT_TRUE(bag.GetPropFont(u"bgcolor") == QelLogFont{} && bag.GetPropIntArray(u"halign").empty());
    EXPECT_EQ(bag.GetPropBorder(u"padding"), _tag_borderInfo{});
}
