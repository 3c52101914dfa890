#include <gtest/gtest.h>

#include "QelHandOffRecord.h"

namespace {

QelStringArray Paths(std::initializer_list<const char16_t*> paths) {
    QelStringArray out;
    for (const char16_t* p : paths) out.Add(p);
    return out;
}

Json::Value Parse(const std::string& text) {
    Json::Value value;
    EXPECT_TRUE(Json::Reader().parse(text, value));
    return value;
}

}  // namespace

TEST(QelHandOffRecord, CreationRecordCarriesSizeAndBothLists) {
    const qel::QelSubWndSize size{640, 400};
    const Json::Value record =
        qel::MakeHandOffRecord(Paths({u"/t/a.txt", u"/t/b.txt"}), Paths({u"/t/sub"}), &size);
    EXPECT_EQ(record.getMemberNames(),
              (std::vector<std::string>{"dirresultlist", "fileresultlist", "height", "width"}));
    EXPECT_EQ(record["width"].asInt(), 640);
    EXPECT_EQ(record["height"].asInt(), 400);
    ASSERT_EQ(record["fileresultlist"].size(), 2u);
    EXPECT_EQ(record["fileresultlist"][1].asString(), "/t/b.txt");
    EXPECT_EQ(record["dirresultlist"][0].asString(), "/t/sub");
}

TEST(QelHandOffRecord, UpdateRecordCarriesOnlyTheLists) {
    const Json::Value record = qel::MakeHandOffRecord(Paths({}), Paths({}), nullptr);
    EXPECT_EQ(record.getMemberNames(), (std::vector<std::string>{"dirresultlist", "fileresultlist"}));
    EXPECT_TRUE(record["fileresultlist"].isArray());
    EXPECT_EQ(record["dirresultlist"].size(), 0u);
}

TEST(QelHandOffRecord, WrittenAsOneLineEndingInALineFeed) {
    const std::string text =
        qel::WriteHandOffRecord(qel::MakeHandOffRecord(Paths({u"/t/a b.txt", u"/t/\u00fc.txt"}), Paths({}), nullptr));
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.back(), '\n');
    EXPECT_EQ(text.find('\n'), text.size() - 1);
    const Json::Value back = Parse(text);
    EXPECT_EQ(back["fileresultlist"][0].asString(), "/t/a b.txt");
    EXPECT_EQ(back["fileresultlist"][1].asString(), "/t/\xc3\xbc.txt");
}

TEST(QelHandOffRecord, NamesThatAreNotValidUtf8SurviveTheTrip) {
    // Such a name is held as lone surrogates and must come back as the same bytes.
    const QelString odd = QelString::FromFileName("/t/bad\xff\xfe" "name\n.txt");
    QelStringArray files;
    files.Add(odd);
    const Json::Value back = Parse(qel::WriteHandOffRecord(qel::MakeHandOffRecord(files, Paths({}), nullptr)));
    EXPECT_EQ(back["fileresultlist"][0].asString(), std::string("/t/bad\xff\xfe" "name\n.txt"));
}
