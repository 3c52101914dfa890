// Result rows built from the search's lists, the result record read as text,
// and the order the list's headings sort by.
#include <gtest/gtest.h>

#include <functional>

#include "QelNaturalOrder.h"
#include "QelResultRecord.h"
#include "QelResultRows.h"
#include "QelString.h"

namespace {

using Texts = std::vector<std::string>;

// "Type|Path|Name" of every row; a stale row stands first so a reader must clear it.
Texts Shown(const std::function<bool(QelResultRows&)>& build) {
    QelResultRows rows{QelResultRow{u"/stale/row", 6, false}};
    if (!build(rows)) return {"refused"};
    Texts out;
    for (const QelResultRow& row : rows)
        out.push_back(qel::Utf16ToUtf8(row.Type()) + "|" + qel::Utf16ToUtf8(row.Path()) + "|" + qel::Utf16ToUtf8(row.Name()));
    return out;
}

Texts Read(const std::string& text, Json::Value* others = nullptr) {
    return Shown([&](QelResultRows& rows) {
        Json::Value members;
        const bool read = qel::ReadResultRecord(text, rows, members);
        EXPECT_EQ(read, qel::IsResultRecord(text)) << text;
        if (others) *others = members;
        return read;
    });
}

}  // namespace

TEST(QelResultRows, FilesThenFoldersInListOrderEachSplitAtTheLastSlash) {
    Json::Value model;
    ASSERT_TRUE(Json::Reader().parse(R"({"dirresultlist": ["/t/sub2", "//bin", "/rootdir", "/work/trailing/"],
        "fileresultlist": ["/t/z.txt", "noslash", 42, null, "/", "/home/me/a.txt"]})", model));
    // A name that is not valid UTF-8 must come back as the same bytes so the row names the very file.
    model["fileresultlist"].append("/t/a\xff" "b");
    const auto build = [](const Json::Value& m) { return Shown([&](QelResultRows& rows) { return qel::BuildResultRows(m, rows), true; }); };
    EXPECT_EQ(build(model), (Texts{"File|/t|z.txt", "File|/home/me|a.txt", "File|/t|a\xff" "b", "Folder|/t|sub2",
                                   "Folder|/|bin", "Folder|/|rootdir", "Folder|/work/trailing|"}));
    model = Json::Value(Json::objectValue);
    model["dirresultlist"] = "not a list";
    EXPECT_EQ(build(model), Texts{});
    EXPECT_EQ(build(Json::Value("text")), Texts{});
}

TEST(QelResultRecord, FilesThenFoldersWhateverTheKeyOrderOtherMembersAside) {
    Json::Value others;
    EXPECT_EQ(Read(R"({"dirresultlist":["/t/d",["/t/nested"],7],"afjitem":{"list":["/t/not/a/row"]},
                       "fileresultlist":["/t/a.txt","noslash","/t/q\"\\\u00fc","/t/a)" "\xff" R"(b"],"height":400,"width":-3,"x":null})",
                   &others),
              (Texts{"File|/t|a.txt", "File|/t|q\"\\\xc3\xbc", "File|/t|a\xff" "b", "Folder|/t|d"}));
    EXPECT_EQ(others.getMemberNames(), (Texts{"height", "width", "x"}));
    EXPECT_EQ(others["width"].asInt(), -3);
}

TEST(QelResultRecord, OnlyOneWholeObjectIsARecord) {
    for (const std::string text : {"", "[1, 2]", "\"text\"", "42", "{\"fileresultlist\": [", "{} {}", "{\"a\":1} x"})
        EXPECT_EQ(Read(text), Texts{"refused"}) << text;
    EXPECT_EQ(Read(" {}\n"), Texts{});
}

// Each list is in the expected order; every pair is checked both ways.
TEST(QelNaturalOrder, NumbersByValueLettersWithoutCaseThenExactly) {
    const std::vector<std::vector<std::u16string>> orders = {
        {u"file", u"file1", u"file2", u"file10", u"file10a", u"file11"}, {u"a2b3", u"a2b10", u"a10b1"}, {u"", u"0", u"00", u"1", u"a"},
        {u"img7.png", u"img007.png", u"img08.png"},  // equal values: fewer leading zeros first
        {u"Alpha", u"alpha", u"beta", u"Gamma"},     // case only breaks ties
        {u"x99999999999999999999998", u"x99999999999999999999999", u"x100000000000000000000000"}};
    for (const auto& order : orders)
        for (std::size_t i = 0; i < order.size(); ++i)
            for (std::size_t j = 0; j < order.size(); ++j)
                EXPECT_TRUE((qel::NaturalCompare(order[i], order[j]) <=> 0) == (i <=> j)) << i << " against " << j;
}
