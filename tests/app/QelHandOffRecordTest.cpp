#include <gtest/gtest.h>

#include <json/json.h>

#include "QelHandOffRecord.h"

namespace {

QelStringArray Paths(std::initializer_list<const char16_t*> paths) {
    QelStringArray out;
    for (const char16_t* p : paths) out.Add(p);
    return out;
}

Json::Value Parse(const std::string& text) {
    Json::Value value;
    EXPECT_TRUE(Json::Reader().parse(text, value)) << text;
    return value;
}

}  // namespace

TEST(QelHandOffRecord, CreationRecordCarriesSizeAndBothLists) {
    const qel::QelSubWndSize size{640, 400};
    const std::string text = qel::WriteHandOffRecord(Paths({u"/t/a.txt", u"/t/b.txt"}), Paths({u"/t/sub"}), &size);
    const Json::Value record = Parse(text);
    EXPECT_EQ(record.getMemberNames(),
              (std::vector<std::string>{"dirresultlist", "fileresultlist", "height", "width"}));
    EXPECT_EQ(record["width"].asInt(), 640);
    EXPECT_EQ(record["height"].asInt(), 400);
    ASSERT_EQ(record["fileresultlist"].size(), 2u);
    EXPECT_EQ(record["fileresultlist"][0].asString(), "/t/a.txt");
    EXPECT_EQ(record["fileresultlist"][1].asString(), "/t/b.txt");
    EXPECT_EQ(record["dirresultlist"][0].asString(), "/t/sub");
}

TEST(QelHandOffRecord, UpdateRecordCarriesOnlyTheLists) {
    const Json::Value record = Parse(qel::WriteHandOffRecord(Paths({}), Paths({}), nullptr));
    EXPECT_EQ(record.getMemberNames(), (std::vector<std::string>{"dirresultlist", "fileresultlist"}));
    EXPECT_TRUE(record["fileresultlist"].isArray());
    EXPECT_TRUE(record["dirresultlist"].isArray());
    EXPECT_EQ(record["dirresultlist"].size(), 0u);
}

TEST(QelHandOffRecord, LaidOutLikeJsonCppsFastWriter) {
    const qel::QelSubWndSize size{500, 400};
    const std::string text = qel::WriteHandOffRecord(Paths({u"/t/a.txt"}), Paths({u"/t/d"}), &size);
    Json::Value same;
    same["width"] = 500;
    same["height"] = 400;
    same["fileresultlist"].append("/t/a.txt");
    same["dirresultlist"].append("/t/d");
    EXPECT_EQ(text, Json::FastWriter().write(same));
}

TEST(QelHandOffRecord, EscapesWhatJsonRequiresAndKeepsEverythingElse) {
    const std::u16string odd = u"/t/quote\" back\\ tab\t nl\n cr\r bell\x07 \u00fc \U0001F600 del\x7f";
    QelStringArray files;
    files.Add(QelString(odd));
    const std::string text = qel::WriteHandOffRecord(files, Paths({}), nullptr);
    EXPECT_EQ(text.find('\n'), text.size() - 1);  // one line ending in a line feed
    EXPECT_NE(text.find("\\u0007"), std::string::npos);
    EXPECT_NE(text.find("\xc3\xbc"), std::string::npos);  // non-ASCII stays as UTF-8
    const Json::Value back = Parse(text);
    EXPECT_EQ(back["fileresultlist"][0].asString(), qel::Utf16ToUtf8(odd));
}

TEST(QelHandOffRecord, NamesThatAreNotValidUtf8SurviveTheTrip) {
    // Such a name is held as lone surrogates and must come back as the same bytes.
    const std::string bytes = "/t/bad\xff\xfe" "name\xc3.txt";
    QelStringArray files;
    files.Add(QelString::FromFileName(bytes));
    const Json::Value back = Parse(qel::WriteHandOffRecord(files, Paths({}), nullptr));
    EXPECT_EQ(back["fileresultlist"][0].asString(), bytes);
}
