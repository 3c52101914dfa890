// The property bag: registration, typed access, type mismatches, unknown names.
#include <gtest/gtest.h>

#include <tuple>

#include "CQelCtlBase.h"

namespace {
class Bag : public CQelCtlBase {
public:
    Bag() { InitProperties(); }
};
}  // namespace

TEST(CQelCtlBase, RegistersTheDefaultPropertiesWithTheirTypesAndTexts) {
    Bag bag;
    const std::tuple<const char16_t*, int, const char*> rows[] = {
        {u"caption", PropTypeString, ""},      {u"visible", PropTypeBool, "true"},
        {u"enable", PropTypeBool, "true"},     {u"bgcolor", PropTypeColor, "#ffffff"},
        {u"fgcolor", PropTypeColor, "#000000"}, {u"layout", PropTypeIntArray, "0,0,0,0"},
        {u"font", PropTypeFont, "맑은 고딕,-12,400,0,0,0,129"},
        {u"border", PropTypeBorder, "false,0,0,1,#000000"},
        {u"halign", PropTypeInt, "0"},         {u"valign", PropTypeInt, "1"},
        {u"padding", PropTypeIntArray, "0,0,0,0"},
    };
    for (const auto& [name, type, text] : rows) {
        SCOPED_TRACE(QelString(name).ToStdString());
        EXPECT_EQ(bag.GetPropType(name), type);
        EXPECT_EQ(bag.GetPropString(name).ToStdString(), text);
    }
    EXPECT_EQ(bag.GetPropNames().GetCount(), 11);
}

TEST(CQelCtlBase, TypedSettersWriteTheGrammarAndGettersParseTheStoredTextEachTime) {
    Bag bag;
    bag.SetPropColor(u"fgcolor", QelRGB(0x12, 0xAB, 0xFF));
    bag.SetPropBool(u"enable", false);
    bag.SetPropInt(u"halign", -2);
    bag.SetPropIntArray(u"padding", {1, 2, 3, 4});
    QelLogFont font = bag.GetPropFont(u"font");
    font.lfWeight = 700;
    bag.SetPropFont(u"font", font);
    bag.SetPropBorder(u"border", {true, 0, 3.0f, 2, QelRGB(0xCC, 0xCE, 0xDB)});
    const std::pair<const char16_t*, const char*> texts[] = {
        {u"fgcolor", "#12abff"}, {u"enable", "false"}, {u"halign", "-2"}, {u"padding", "1,2,3,4"},
        {u"font", "맑은 고딕,-12,700,0,0,0,129"}, {u"border", "true,0,3.000000,2,#cccedb"},
    };
    for (const auto& [name, text] : texts) EXPECT_EQ(bag.GetPropString(name).ToStdString(), text);
    EXPECT_EQ(bag.GetPropIntArray(u"padding"), (QelArray<int>{1, 2, 3, 4}));
    EXPECT_EQ(bag.GetPropFont(u"font"), font);
    EXPECT_EQ(bag.GetPropBorder(u"border").width, 2);

    // Text is stored unvalidated and parsed by the typed getters on every call.
    bag.SetPropString(u"bgcolor", u"abc");
    EXPECT_EQ(bag.GetPropString(u"bgcolor").ToStdString(), "abc");
    EXPECT_EQ(bag.GetPropColor(u"bgcolor"), 0u);
    bag.SetPropString(u"bgcolor", u"255,128");
    EXPECT_EQ(bag.GetPropColor(u"bgcolor"), QelRGB(255, 128, 0));
    bag.SetPropString(u"visible", u"TRUE");
    EXPECT_FALSE(bag.GetPropBool(u"visible"));
    bag.SetPropString(u"halign", u"2px");
    EXPECT_EQ(bag.GetPropInt(u"halign"), 2);
}

TEST(CQelCtlBase, UnknownNamesAndOtherTypesAreNotWrittenAndReadEmpty) {
    Bag bag;
    bag.SetPropString(u"nosuch", u"x");
    bag.SetPropString(u"CAPTION", u"x");  // names are case-sensitive
    EXPECT_FALSE(bag.HasProperty(u"nosuch"));
    EXPECT_EQ(bag.GetPropType(u"nosuch"), -1);
    EXPECT_TRUE(bag.GetPropString(u"caption").IsEmpty());
    for (const char16_t* name : {u"nosuch", u"Visible"}) {
        EXPECT_TRUE(bag.GetPropString(name).IsEmpty());
        EXPECT_FALSE(bag.GetPropBool(name));
    }

    bag.SetPropInt(u"bgcolor", 7);
    bag.SetPropColor(u"halign", QelRGB(1, 2, 3));
    bag.SetPropBool(u"caption", true);
    EXPECT_EQ(bag.GetPropString(u"bgcolor").ToStdString(), "#ffffff");
    EXPECT_EQ(bag.GetPropString(u"halign").ToStdString(), "0");
    EXPECT_TRUE(bag.GetPropString(u"caption").IsEmpty());
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
