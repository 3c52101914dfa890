// The property bag: registration, typed access, type mismatches, unknown names.
#include <gtest/gtest.h>

#include "CQelCtlBase.h"

namespace {

std::string Utf8(const QelString& s) { return s.ToStdString(); }

class Bag : public CQelCtlBase {
public:
    Bag() { InitProperties(); }
};

}  // namespace

TEST(CQelCtlBase, RegistersTheDefaultPropertiesWithTheirTypesAndTexts) {
    Bag bag;
    struct Row {
        const char16_t* name;
        int type;
        const char* text;
    };
    const Row rows[] = {
        {u"caption", PropTypeString, ""},      {u"visible", PropTypeBool, "true"},
        {u"enable", PropTypeBool, "true"},     {u"bgcolor", PropTypeColor, "#ffffff"},
        {u"fgcolor", PropTypeColor, "#000000"}, {u"layout", PropTypeIntArray, "0,0,0,0"},
        {u"font", PropTypeFont, "맑은 고딕,-12,400,0,0,0,129"},
        {u"border", PropTypeBorder, "false,0,0,1,#000000"},
        {u"halign", PropTypeInt, "0"},         {u"valign", PropTypeInt, "1"},
        {u"padding", PropTypeIntArray, "0,0,0,0"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(Utf8(row.name));
        EXPECT_EQ(bag.GetPropType(row.name), row.type);
        EXPECT_EQ(Utf8(bag.GetPropString(row.name)), row.text);
    }
    EXPECT_EQ(bag.GetPropNames().GetCount(), 11);
    EXPECT_EQ(bag.GetPropIntArray(u"padding"), (QelArray<int>{0, 0, 0, 0}));
    EXPECT_EQ(bag.GetPropColor(u"bgcolor"), QelRGB(255, 255, 255));
    EXPECT_EQ(bag.GetPropInt(u"valign"), 1);
    EXPECT_TRUE(bag.GetPropBool(u"visible"));
    EXPECT_EQ(bag.GetPropFont(u"font").lfCharSet, 129);
}

TEST(CQelCtlBase, UnknownNamesAreNeitherCreatedNorRead) {
    Bag bag;
    bag.SetPropString(u"nosuch", u"x");
    bag.SetPropBool(u"nosuch", true);
    bag.SetPropColor(u"nosuch", 5);
    EXPECT_FALSE(bag.HasProperty(u"nosuch"));
    EXPECT_EQ(bag.GetPropType(u"nosuch"), -1);
    EXPECT_TRUE(bag.GetPropString(u"nosuch").IsEmpty());
    EXPECT_FALSE(bag.GetPropBool(u"nosuch"));
    EXPECT_EQ(bag.GetPropInt(u"nosuch"), 0);
    EXPECT_EQ(bag.GetPropColor(u"nosuch"), 0u);
    EXPECT_EQ(bag.GetPropNames().GetCount(), 11);
    // Names are case-sensitive.
    EXPECT_TRUE(bag.GetPropString(u"Caption").IsEmpty());
    bag.SetPropString(u"CAPTION", u"x");
    EXPECT_TRUE(bag.GetPropString(u"caption").IsEmpty());
}

TEST(CQelCtlBase, TypedAccessToAnotherTypeDoesNothingAndReadsEmpty) {
    Bag bag;
    bag.SetPropInt(u"bgcolor", 7);
    EXPECT_EQ(Utf8(bag.GetPropString(u"bgcolor")), "#ffffff");
    bag.SetPropColor(u"halign", QelRGB(1, 2, 3));
    EXPECT_EQ(Utf8(bag.GetPropString(u"halign")), "0");
    bag.SetPropBool(u"caption", true);
    EXPECT_TRUE(bag.GetPropString(u"caption").IsEmpty());

    EXPECT_FALSE(bag.GetPropBool(u"caption"));
    EXPECT_EQ(bag.GetPropInt(u"valign"), 1);
    EXPECT_EQ(bag.GetPropInt(u"layout"), 0);
    EXPECT_EQ(bag.GetPropColor(u"font"), 0u);
    EXPECT_EQ(bag.GetPropFont(u"bgcolor"), QelLogFont{});
    EXPECT_TRUE(bag.GetPropIntArray(u"halign").empty());
    const _tag_borderInfo b = bag.GetPropBorder(u"padding");
    EXPECT_FALSE(b.draw);
    EXPECT_EQ(b.width, 1);
    EXPECT_EQ(b.color, 0u);
}

TEST(CQelCtlBase, SetPropStringStoresUnvalidatedTextThatTypedGettersParse) {
    Bag bag;
    bag.SetPropString(u"bgcolor", u"abc");
    EXPECT_EQ(Utf8(bag.GetPropString(u"bgcolor")), "abc");
    EXPECT_EQ(bag.GetPropColor(u"bgcolor"), 0u);

    bag.SetPropString(u"visible", u"TRUE");
    EXPECT_FALSE(bag.GetPropBool(u"visible"));
    bag.SetPropString(u"visible", u"1");
    EXPECT_TRUE(bag.GetPropBool(u"visible"));

    bag.SetPropString(u"halign", u"");
    EXPECT_EQ(bag.GetPropInt(u"halign"), 0);
    bag.SetPropString(u"halign", u"2px");
    EXPECT_EQ(bag.GetPropInt(u"halign"), 2);

    bag.SetPropString(u"border", u"true,0,3,2,#CCCEDB");
    const _tag_borderInfo b = bag.GetPropBorder(u"border");
    EXPECT_EQ(Utf8(bag.GetPropString(u"border")), "true,0,3,2,#CCCEDB");
    bag.SetPropBorder(u"border", b);
    EXPECT_EQ(Utf8(bag.GetPropString(u"border")), "true,0,3.000000,2,#cccedb");
}

TEST(CQelCtlBase, TypedSettersFormatTheirValues) {
    Bag bag;
    bag.SetPropColor(u"fgcolor", QelRGB(0x12, 0xAB, 0xFF));
    EXPECT_EQ(Utf8(bag.GetPropString(u"fgcolor")), "#12abff");
    bag.SetPropBool(u"enable", false);
    EXPECT_EQ(Utf8(bag.GetPropString(u"enable")), "false");
    bag.SetPropInt(u"halign", -2);
    EXPECT_EQ(Utf8(bag.GetPropString(u"halign")), "-2");
    bag.SetPropIntArray(u"padding", {1, 2, 3, 4});
    EXPECT_EQ(Utf8(bag.GetPropString(u"padding")), "1,2,3,4");
    QelLogFont f = bag.GetPropFont(u"font");
    f.lfWeight = 700;
    bag.SetPropFont(u"font", f);
    EXPECT_EQ(Utf8(bag.GetPropString(u"font")), "맑은 고딕,-12,700,0,0,0,129");
}

TEST(CQelCtlBase, RegisteringAnExistingNameReplacesTheRecord) {
    Bag bag;
    bag.SetPropString(u"bgcolor", u"#010203");
    bag.RegisterProp<QelString>(u"bgcolor", u"plain");
    EXPECT_EQ(bag.GetPropType(u"bgcolor"), PropTypeString);
    EXPECT_EQ(Utf8(bag.GetPropString(u"bgcolor")), "plain");
    EXPECT_EQ(bag.GetPropColor(u"bgcolor"), 0u);
    EXPECT_EQ(bag.GetPropNames().GetCount(), 11);
}
