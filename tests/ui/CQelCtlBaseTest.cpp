// The property bag: typed access through the text grammar, type mismatches, unknown names.
#include <gtest/gtest.h>

#include "CQelCtlBase.h"

namespace {
struct Bag : CQelCtlBase {
    Bag() { InitProperties(); }
};
}  // namespace

TEST(CQelCtlBase, TypedSettersStoreTheGrammarsTextAndGettersParseItOnEveryCall) {
    Bag bag;
    EXPECT_TRUE(bag.GetPropBool(u"visible"));  // a control shows unless told otherwise
    EXPECT_EQ(bag.GetPropInt(u"valign"), 1);
    const _tag_borderInfo border{true, 0, 3.0f, 2, QelRGB(0xCC, 0xCE, 0xDB)};
    QelLogFont font = bag.GetPropFont(u"font");
    font.lfWeight = 700;
    bag.SetPropColor(u"fgcolor", QelRGB(0x12, 0xAB, 0xFF));
    bag.SetPropBool(u"enable", false);
    bag.SetPropInt(u"halign", -2);
    bag.SetPropIntArray(u"padding", {1, 2, 3, 4});
    bag.SetPropFont(u"font", font);
    bag.SetPropBorder(u"border", border);
    EXPECT_EQ(bag.GetPropString(u"fgcolor").ToStdString() + " " + bag.GetPropString(u"border").ToStdString(),
              "#12abff true,0,3.000000,2,#cccedb");
    EXPECT_EQ(bag.GetPropColor(u"fgcolor"), QelRGB(0x12, 0xAB, 0xFF));
    EXPECT_FALSE(bag.GetPropBool(u"enable"));
    EXPECT_EQ(bag.GetPropInt(u"halign"), -2);
    EXPECT_EQ(bag.GetPropIntArray(u"padding"), (QelArray<int>{1, 2, 3, 4}));
    EXPECT_EQ(bag.GetPropFont(u"font"), font);
    EXPECT_EQ(bag.GetPropBorder(u"border"), border);
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
