#include <gtest/gtest.h>

#include "QelResultRows.h"
#include "QelString.h"

namespace {

// "Type|Path|Name" of every row built from the two lists.
std::vector<std::string> Rows(const Json::Value& model) {
    QelResultRows rows;
    rows.push_back(QelResultRow{u"/stale/row", 6, false});
    qel::BuildResultRows(model, rows);
    std::vector<std::string> out;
    for (const QelResultRow& row : rows)
        out.push_back(qel::Utf16ToUtf8(row.Type()) + "|" + qel::Utf16ToUtf8(row.Path()) + "|" +
                      qel::Utf16ToUtf8(row.Name()));
    return out;
}

}  // namespace

TEST(QelResultRows, FilesThenFoldersInListOrderEachSplitAtTheLastSlash) {
    Json::Value model;
    ASSERT_TRUE(Json::Reader().parse(R"({"dirresultlist": ["/t/sub2", "//bin", "/rootdir", "/work/trailing/"],
        "fileresultlist": ["/t/z.txt", "noslash", 42, null, "/", "/home/me/a.txt"]})", model));
    // A name that is not valid UTF-8 must come back as the same bytes so the row names the very file.
    model["fileresultlist"].append("/t/a\xff" "b");
    EXPECT_EQ(Rows(model), (std::vector<std::string>{"File|/t|z.txt", "File|/home/me|a.txt", "File|/t|a\xff" "b",
                                                     "Folder|/t|sub2", "Folder|/|bin", "Folder|/|rootdir",
                                                     "Folder|/work/trailing|"}));
}

TEST(QelResultRows, MissingOrBrokenListsGiveNoRows) {
    Json::Value model(Json::objectValue);
    model["dirresultlist"] = "not a list";
    EXPECT_TRUE(Rows(model).empty());
    EXPECT_TRUE(Rows(Json::Value("text")).empty());
}
