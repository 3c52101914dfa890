#include <gtest/gtest.h>

#include "QelResultRecord.h"
#include "QelString.h"

namespace {

// "Type|FullPath" per row read from text; "refused" when the text is not taken.
std::vector<std::string> Read(const std::string& text, Json::Value* others = nullptr) {
    QelResultRows rows{QelResultRow{u"/stale/row", 6, false}};
    Json::Value members;
    const bool read = qel::ReadResultRecord(text, rows, members);
    EXPECT_EQ(read, qel::IsResultRecord(text)) << text;
    if (others) *others = members;
    if (!read) return {"refused"};
    std::vector<std::string> out;
    for (const QelResultRow& row : rows) out.push_back(qel::Utf16ToUtf8(row.Type()) + "|" + qel::Utf16ToUtf8(row.fullPath));
    return out;
}

}  // namespace

TEST(QelResultRecord, FilesThenFoldersWhateverTheKeyOrderOtherMembersAside) {
    Json::Value others;
    EXPECT_EQ(Read(R"({"dirresultlist":["/t/d",["/t/nested"],7],"afjitem":{"list":["/t/not/a/row"]},
                       "fileresultlist":["/t/a.txt","noslash","/t/q\"\\\u00fc"],"height":400,"width":-3,"x":null})",
                   &others),
              (std::vector<std::string>{"File|/t/a.txt", "File|/t/q\"\\\xc3\xbc", "Folder|/t/d"}));
    EXPECT_EQ(others.getMemberNames(), (std::vector<std::string>{"height", "width", "x"}));
    EXPECT_EQ(others["width"].asInt(), -3);
    // A name that is not valid UTF-8 comes back as the same bytes.
    const std::string odd = "/t/a\xff" "b";
    QelResultRows rows;
    ASSERT_TRUE(qel::ReadResultRecord("{\"fileresultlist\":[\"" + odd + "\"]}", rows, others));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(QelString(rows[0].fullPath).ToFileName(), odd);
}

TEST(QelResultRecord, OnlyOneWholeObjectIsARecord) {
    const std::vector<std::string> refused = {"", "[1, 2]", "\"text\"", "42", "{\"fileresultlist\": [",
                                              "{} {}", "{\"a\":1} x"};
    for (const std::string& text : refused) EXPECT_EQ(Read(text), std::vector<std::string>{"refused"}) << text;
    EXPECT_EQ(Read(" {}\n"), std::vector<std::string>{});
}
