// The settings-file layout against Json::StyledWriter's own output, and the
// bytes that writer would not keep.

#include <gtest/gtest.h>

#include "QelJsonParse.h"
#include "QelJsonText.h"

namespace {

Json::Value Parse(const std::string& text) {
    Json::Value value;
    EXPECT_TRUE(qel::ParseJsonCpp(text, value, true)) << text;
    return value;
}

}  // namespace

TEST(QelJsonText, StyledLayoutIsTheStyledWritersForAsciiTrees) {
    const std::vector<std::string> trees = {
        R"({"searchfilter": [{"name": "Docs", "filterfileext": ["doc", "txt"], "filterfilename": [],
            "filterdirname": ["a\"q\\b\tc\u0001"]}],
            "applastpos": {"left": -5, "top": 2147483647, "right": 3, "bottom": 4},
            "searchpathhistory": [{"date": "20240131", "includesub": true, "path": "/home/u/w"}]})",
        R"({"long": ["aaaaaaaaaa", "bbbbbbbbbb", "cccccccccc", "dddddddddd", "eeeeeeeeee", "ffffffffff"],
            "many": [1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22,23,24,25],
            "mixed": [1, [], {}, null, 2.5, false], "nested": [[1, 2], {"x": 1}], "empty": {}, "none": []})",
        R"([1, 2, 3])",
        R"({"edge": ["aaaaaaaaaa", "bbbbbbbbbb", "cccccccccc", "dddddddddd", "eeeeeeeeee"]})",  // one line, just
        R"("just text")",
        R"({"a": {"b": {"c": {"d": [0.1, 1e300, -0.0, 18446744073709551615, -9223372036854775808]}}}})",
        "// top\n{\n  // before a\n  \"a\": 1, // after a\n  \"b\": [1, // after one\n 2]\n}",
    };
    for (const std::string& text : trees) {
        const Json::Value tree = Parse(text);
        EXPECT_EQ(qel::WriteJsonText(tree, true), Json::StyledWriter().write(tree)) << text;
        EXPECT_EQ(qel::WriteJsonText(tree, false), Json::FastWriter().write(tree)) << text;
    }
}

TEST(QelJsonText, StringsKeepTheirBytesWhereTheStyledWriterWouldNot) {
    Json::Value tree;
    tree["name"] = "\xE4\xB8\xAD\xEB\xAC\xB8";     // valid UTF-8, escaped by the styled writer
    tree["path"] = "/d/x\xFF\xFE";                 // not UTF-8: a Linux file name
    tree["list"].append("caf\xC3\xA9");
    tree["list"].append("\xC3");
    const std::string text = qel::WriteJsonText(tree, true);
    EXPECT_EQ(text,
              "{\n   \"list\" : [ \"caf\xC3\xA9\", \"\xC3\" ],\n   \"name\" : \"\xE4\xB8\xAD\xEB\xAC\xB8\",\n"
              "   \"path\" : \"/d/x\xFF\xFE\"\n}\n");
    EXPECT_EQ(Parse(text), tree);  // and reads back as the same bytes
}
