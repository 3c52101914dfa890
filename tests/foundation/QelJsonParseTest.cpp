// JSON text that would crash or exhaust a parser: deep nesting in both
// libraries, trees too large to build, and what stays accepted.

#include <gtest/gtest.h>

#include "QelJsonBounds.h"
#include "QelJsonParse.h"

namespace {

// depth arrays or objects, one inside the other, closed properly.
std::string Nested(int depth, bool objects) {
    std::string text;
    for (int i = 0; i < depth; ++i) text += objects ? "{\"a\":" : "[";
    text += "1";
    for (int i = 0; i < depth; ++i) text += objects ? "}" : "]";
    return text;
}

int DepthOf(const rapidjson::Value& value) {
    int depth = 0;
    const rapidjson::Value* node = &value;
    while (node->IsArray() || node->IsObject()) {
        ++depth;
        node = node->IsArray() ? &(*node)[0] : &(*node)["a"];
    }
    return depth;
}

}  // namespace

TEST(QelJsonParse, NestingUpToTheLimitParsesInBothLibrariesAndDeeperFailsCleanly) {
    for (bool objects : {false, true}) {
        rapidjson::Document doc;
        ASSERT_TRUE(qel::ParseRapidJson(Nested(qel::kMaxJsonNesting, objects), doc)) << objects;
        EXPECT_EQ(DepthOf(doc), qel::kMaxJsonNesting);
        Json::Value value;
        EXPECT_TRUE(qel::ParseJsonCpp(Nested(qel::kMaxJsonNesting - 1, objects), value)) << objects;
    }
    std::string deepObjects;
    for (int i = 0; i < 100000; ++i) deepObjects += "{\"a\":";
    for (const std::string& text : {Nested(qel::kMaxJsonNesting + 1, false), Nested(qel::kMaxJsonNesting + 1, true),
                                    std::string(100000, '['), deepObjects}) {
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
    const auto repeat = [](const std::string& piece, std::size_t count) {
        std::string text;
        for (std::size_t i = 0; i < count; ++i) text += piece;
        return text;
    };
    const std::size_t entries = qel::kMaxJsonArrayEntries;
    const std::size_t values = qel::kMaxJsonValues;
    const std::string fullObject = "{" + repeat("\"\":0,", values - 2) + "\"\":0}";  // exactly the value bound
    // Scalars of several characters, each ended by a different delimiter: 8 values a unit.
    const std::string unit = R"("":[10/**/,true],"":{"":10},"":10 ,"":10,)";
    const auto scalars = [&](std::size_t extra) {
        const std::size_t units = (values - 2) / 8;
        return "{" + repeat(unit, units) + repeat("\"\":10,", values - 2 - 8 * units + extra) + "\"\":10}";
    };
    using qel::QelJsonBound;
    struct Case { const char* what; std::string text; QelJsonBound expected; };
    const std::vector<Case> cases = {
        {"an array of the most entries", "[" + repeat("0,", entries - 1) + "0]", QelJsonBound::kWithin},
        {"one entry more", "[" + repeat("[],", entries) + "[]]", QelJsonBound::kArrayTooLong},
        {"the same deeper in an object", R"({"a":{"b":[)" + repeat("\"\",", entries) + "\"\"]}}",
         QelJsonBound::kArrayTooLong},
        {"commas and brackets in strings and comments",
         "[" + repeat("0,", entries - 1) + R"("x\"0,[0],", /* 0, [0] */ // 0,0
                                                  ])",
         QelJsonBound::kWithin},
        {"member names are no values and objects have no entry bound", fullObject, QelJsonBound::kWithin},
        {"blanks between values are no values", "{" + repeat("\"\":0,\r\n\t ", values - 2) + "\"\":0}", QelJsonBound::kWithin},
        {"scalars end at every delimiter that may follow them", scalars(0), QelJsonBound::kWithin},
        {"the same, one value more", scalars(1), QelJsonBound::kTooManyValues},
        {"a comment counts as a value", "// note\n" + fullObject, QelJsonBound::kTooManyValues},
        {"a comment right before each entry", "[" + repeat("/**/[],", entries) + "/**/[]]", QelJsonBound::kArrayTooLong},
        {"nesting past the parsers' limit is theirs to refuse", std::string(values + 1, '['), QelJsonBound::kWithin},
        {"ten full arrays and the arrays themselves", "[" + repeat("[" + repeat("0,", entries - 1) + "0],", 9) +
                                                          "[" + repeat("0,", entries - 1) + "0]]",
         QelJsonBound::kTooManyValues},
    };
    for (const Case& c : cases) EXPECT_EQ(qel::CheckJsonBounds(c.text), c.expected) << c.what;
    EXPECT_EQ(qel::DescribeJsonBound(QelJsonBound::kArrayTooLong).ToStdString(),
              "more than 100000 entries in one array");
    EXPECT_EQ(qel::DescribeJsonBound(QelJsonBound::kTooManyValues).ToStdString(), "more than 1000000 values");
}
