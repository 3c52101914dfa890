// Popup descriptions: keys, defaults, colours, refusals and result texts.
#include <gtest/gtest.h>

#include "QelPopupDesc.h"

using namespace QelPopupDescParser;

// Size, frame and background colours, header, block colours, values and the toolbar
// buttons' glyphs and colours show in the popup tests; these are the rest.
TEST(QelPopupDesc, ReadsTheKeysThePopupDoesNotShowDirectlyAndDefaultsForAbsentOrOddOnes) {
    QelPopupDesc d;
    ASSERT_TRUE(Parse(R"({"width":300,"height":120,"txtcolor":"81:156:214","disptype":"optlist","listopt":{
        "toolbar":{"add":{"type":"button","act":"func|add","bgcolor":"60:63:65","clrfocus":"1:2:3"},
                   "sep":{"type":"label","act":"func|del"}, "notype":{"act":"func|add"}, "zz":{"type":"button","act":"func|down"}},
        "colitems":["Path","Date"],"colitemwidths":[200,90,7],"blockcolor":3,"blockcolorlist":[5,"40:50:60"]}})", d));
    EXPECT_TRUE(d.txtColor == QelRGB(81, 156, 214) && d.bgColor == QelRGB(255, 255, 255));
    ASSERT_EQ(d.toolItems.GetCount(), 2);  // the "label" item and the one without a type are dropped
    EXPECT_EQ(d.toolItems[0].colors, (QelMap<QelString, QelColorRef>{{u"bgcolor", QelRGB(60, 63, 65)}, {u"clrfocus", QelRGB(1, 2, 3)}}));
    EXPECT_EQ(d.toolItems[1].name.ToStdString(), "zz");
    // One width per column; a period without two colour texts draws plain rows.
    EXPECT_TRUE(d.colItemWidths == (QelArray<int>{200, 90}) && d.blockCount == 0);
    ASSERT_TRUE(Parse(R"({"width":1,"height":1,"disptype":"optlist","listopt":{"toolbar":["x",{"type":"button"}]}})", d));
    EXPECT_TRUE(d.toolItems.empty());  // a toolbar that is no object holds no buttons

    std::string toolbar;  // thousands of buttons: only the first are kept
    for (int i = 0; i < 100000; ++i) toolbar += (i ? ",\"b" : "\"b") + std::to_string(i) + R"(":{"type":"button"})";
    ASSERT_TRUE(Parse(R"({"width":300,"height":100,"disptype":"cmblist","listopt":{"toolbar":{)" + toolbar + "}}}", d));
    EXPECT_TRUE(d.toolItems.GetCount() == QelPopupDesc::kMaxToolItems && d.toolItems[0].name == QelString(u"b0"));
}

TEST(QelPopupDesc, RefusesDescriptionsAPopupCannotBeBuiltFromAndSaysWhy) {
    QelPopupDesc d;
    std::string deep;
    for (int i = 0; i < 100000; ++i) deep += "{\"width\":";
    const std::string bad[] = {
        deep, "not json", "[1,2]",
        R"({"height":1,"disptype":"optlist","listopt":{}})", R"({"width":1,"disptype":"optlist","listopt":{}})",
        R"({"width":1,"height":1,"listopt":{}})", R"({"width":1,"height":1,"disptype":"optlist"})",
        R"({"width":"1","height":1,"disptype":"optlist","listopt":{}})",
        R"({"width":1,"height":1,"disptype":"optlist","listopt":[]})",
        R"({"width":1,"height":1,"disptype":"optlist","listopt":{"colitems":["a","b"],"colitemwidths":[5]}})",
        R"({"width":1,"height":1,"disptype":"optlist","listopt":{"values":"a"}})",
    };
    for (const std::string& text : bad) {
        QelString why;
        EXPECT_TRUE(!Parse(text, d, &why) && !why.IsEmpty()) << text.substr(0, 60);
    }
}

TEST(QelPopupDesc, ColonColoursAndOptionListResults) {
    EXPECT_EQ(ParseColonColor(u"256:1"), QelRGB(0, 1, 0));
    QelStringArray rows;  // escaped as JSON strings, compact
    for (const char16_t* row : {u"C:/Work \"x\"", u"", u"한글"}) rows.Add(row);
    EXPECT_EQ(BuildOptionListResult(rows), "{\"ret\":[\"C:/Work \\\"x\\\"\",\"\",\"한글\"]}");
}
