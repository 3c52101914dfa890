// JSON text that would crash or exhaust a reader (deep nesting in both
// libraries, trees too large to build), the settings-file layout, and view
// files read whole.

#include <gtest/gtest.h>

#include "QelJsonBounds.h"
#include "QelJsonParse.h"
#include "QelJsonText.h"
#include "QelReadJsonFile.h"
#include "QelTestDir.h"

namespace {

// depth arrays or objects, one inside the other, closed properly.
std::string Nested(int depth, bool objects) {
    return Repeat(objects ? "{\"a\":" : "[", depth) + "1" + Repeat(objects ? "}" : "]", depth);
}

Json::Value Parse(const std::string& text) {
    Json::Value value;
    EXPECT_TRUE(qel::ParseJsonCpp(text, value, true)) << text;
    return value;
}
}  // namespace

// The depth is counted down again on the way out: siblings are no deeper.
TEST(QelJsonParse, NestingUpToTheLimitParsesInBothLibrariesAndDeeperFailsCleanly) {
    for (bool objects : {false, true}) {
        rapidjson::Document doc;
        EXPECT_TRUE(qel::ParseRapidJson(Nested(qel::kMaxJsonNesting, objects), doc)) << objects;
        Json::Value value;
        EXPECT_TRUE(qel::ParseJsonCpp(Nested(qel::kMaxJsonNesting - 1, objects), value)) << objects;
    }
    rapidjson::Document siblings;
    ASSERT_TRUE(qel::ParseRapidJson("[" + Repeat("[{}],", qel::kMaxJsonNesting) + "[]]", siblings));
    EXPECT_EQ(siblings.Size(), qel::kMaxJsonNesting + 1u);
    for (const std::string& text : {Nested(qel::kMaxJsonNesting + 1, false), Nested(qel::kMaxJsonNesting + 1, true),
                                    std::string(100000, '['), Repeat("{\"a\":", 100000)}) {
        rapidjson::Document doc;
        doc.Parse("[1]");
        EXPECT_FALSE(qel::ParseRapidJson(text, doc)) << text.substr(0, 10);
        EXPECT_TRUE(doc.IsNull());
        Json::Value value(7);
        std::string error;
        EXPECT_FALSE(qel::ParseJsonCpp(text, value, true, &error)) << text.substr(0, 10);
        EXPECT_TRUE(value.isNull());
        EXPECT_FALSE(error.empty());
    }
}

// Value bounds: what counts, and where each bound starts.
TEST(QelJsonBounds, CountsValuesAndEntriesAsTheParsersBuildThem) {
    const std::size_t entries = qel::kMaxJsonArrayEntries, values = qel::kMaxJsonValues;
    const std::string fullObject = "{" + Repeat("\"\":0,", values - 2) + "\"\":0}";  // exactly the value bound
    // Scalars of several characters, each ended by a different delimiter: 8 values a unit.
    const std::string unit = R"("":[10/**/,true],"":{"":10},"":10 ,"":10,)";
    const auto scalars = [&](std::size_t extra) {
        const std::size_t units = (values - 2) / 8;
        return "{" + Repeat(unit, units) + Repeat("\"\":10,", values - 2 - 8 * units + extra) + "\"\":10}";
    };
    using qel::QelJsonBound;
    const struct { const char* what; std::string text; QelJsonBound expected; } cases[] = {
        {"an array of the most entries", "[" + Repeat("0,", entries - 1) + "0]", QelJsonBound::kWithin},
        {"one entry more", "[" + Repeat("[],", entries) + "[]]", QelJsonBound::kArrayTooLong},
        {"the same deeper in an object", R"({"a":{"b":[)" + Repeat("\"\",", entries) + "\"\"]}}", QelJsonBound::kArrayTooLong},
        {"commas and brackets in strings and comments", "[" + Repeat("0,", entries - 1) + "\"x\\\"0,[0],\", /* 0, [0] */ // 0,0\n]",
         QelJsonBound::kWithin},
        {"member names are no values and objects have no entry bound", fullObject, QelJsonBound::kWithin},
        {"blanks between values are no values", "{" + Repeat("\"\":0,\r\n\t ", values - 2) + "\"\":0}", QelJsonBound::kWithin},
        {"scalars end at every delimiter that may follow them", scalars(0), QelJsonBound::kWithin},
        {"the same, one value more", scalars(1), QelJsonBound::kTooManyValues},
        {"a comment counts as a value", "// note\n" + fullObject, QelJsonBound::kTooManyValues},
        {"a comment right before each entry", "[" + Repeat("/**/[],", entries) + "/**/[]]", QelJsonBound::kArrayTooLong},
        {"nesting past the parsers' limit is theirs to refuse", std::string(values + 1, '['), QelJsonBound::kWithin},
        {"ten full arrays and the arrays themselves", "[" + Repeat("[" + Repeat("0,", entries - 1) + "0],", 9) + "[" + Repeat("0,", entries - 1) + "0]]",
         QelJsonBound::kTooManyValues},
    };
    for (const auto& c : cases) EXPECT_EQ(qel::CheckJsonBounds(c.text), c.expected) << c.what;
}

// The settings-file layout against Json::StyledWriter's own output.
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

// Strings keep their bytes where the styled writer would escape them (valid
// UTF-8) or break them (a Linux file name that is not UTF-8).
TEST(QelJsonText, StringsKeepTheirBytesWhereTheStyledWriterWouldNot) {
    Json::Value tree;
    tree["name"] = "\xE4\xB8\xAD\xEB\xAC\xB8";
    tree["path"] = "/d/x\xFF\xFE";
    tree["list"].append("caf\xC3\xA9");
    tree["list"].append("\xC3");
    const std::string text = qel::WriteJsonText(tree, true);
    EXPECT_EQ(text, "{\n   \"list\" : [ \"caf\xC3\xA9\", \"\xC3\" ],\n   \"name\" : \"\xE4\xB8\xAD\xEB\xAC\xB8\",\n   \"path\" : \"/d/x\xFF\xFE\"\n}\n");
    EXPECT_EQ(Parse(text), tree);  // and reads back as the same bytes
}

// A view file is read whole; one missing, empty, broken, no file or over the
// value bounds gives no document.
TEST(ReadJsonFile, ParsesAWholeFileOrFails) {
    QelTestDir dir;
    WriteBytes(dir / "view.json", "{\r\n \"popup\": {\"title\": \"History\", \"rows\": [1, 2, 3]}\r\n}");
    WriteBytes(dir / "empty.json", "");
    WriteBytes(dir / "broken.json", "{\"a\": [1, 2");
    WriteBytes(dir / "long.json", "[" + Repeat("0,", qel::kMaxJsonArrayEntries) + "0]");
    rapidjson::Document doc;
    doc.Parse("[\"previous content\"]");
    ASSERT_TRUE(ReadJsonFile(QelString::FromFileName(dir / "view.json"), doc));
    EXPECT_STREQ(doc["popup"]["title"].GetString(), "History");  // strings outlive the file buffer
    EXPECT_EQ(doc["popup"]["rows"].Size(), 3u);
    for (const char* leaf : {"missing.json", "empty.json", "broken.json", "", "long.json"}) {
        EXPECT_FALSE(ReadJsonFile(QelString::FromFileName(dir / leaf), doc)) << leaf;
        EXPECT_TRUE(doc.IsNull()) << leaf;
    }
}
