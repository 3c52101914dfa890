#include <gtest/gtest.h>

#include "QelResultRows.h"
#include "QelString.h"

namespace {

Json::Value Model(std::initializer_list<const char*> files, std::initializer_list<const char*> folders) {
    Json::Value model(Json::objectValue);
    model["fileresultlist"] = Json::Value(Json::arrayValue);
    model["dirresultlist"] = Json::Value(Json::arrayValue);
    for (const char* f : files) model["fileresultlist"].append(f);
    for (const char* d : folders) model["dirresultlist"].append(d);
    return model;
}

std::u16string U(std::u16string_view s) { return std::u16string(s); }

}  // namespace

TEST(QelResultRows, SplitsAtTheLastSlashFromIndexOne) {
    EXPECT_EQ(qel::FindResultSplit(u"/home/a/b.txt"), 7);
    EXPECT_EQ(qel::FindResultSplit(u"a/b"), 1);
    EXPECT_EQ(qel::FindResultSplit(u"//bin"), 1);  // a search of "/" doubles the separator
    EXPECT_EQ(qel::FindResultSplit(u"/a.txt"), -1);  // only a slash at index 0
    EXPECT_EQ(qel::FindResultSplit(u"plain"), -1);
    EXPECT_EQ(qel::FindResultSplit(u""), -1);
}

TEST(QelResultRows, RowColumnsComeFromTheFullPath) {
    QelResultRows rows;
    ASSERT_TRUE(qel::AppendResultRow(rows, u"/home/me/a.txt", false));
    ASSERT_TRUE(qel::AppendResultRow(rows, u"//bin", true));
    ASSERT_TRUE(qel::AppendResultRow(rows, u"/work/trailing/", true));
    EXPECT_FALSE(qel::AppendResultRow(rows, u"/root-level", false));
    ASSERT_EQ(rows.size(), 3u);

    EXPECT_EQ(U(rows[0].Name()), u"a.txt");
    EXPECT_EQ(U(rows[0].Path()), u"/home/me");
    EXPECT_EQ(U(rows[0].Type()), u"File");
    EXPECT_EQ(rows[0].fullPath, u"/home/me/a.txt");

    EXPECT_EQ(U(rows[1].Name()), u"bin");
    EXPECT_EQ(U(rows[1].Path()), u"/");
    EXPECT_EQ(U(rows[1].Type()), u"Folder");

    EXPECT_EQ(U(rows[2].Name()), u"");
    EXPECT_EQ(U(rows[2].Path()), u"/work/trailing");
}

TEST(QelResultRows, FilesComeFirstThenFoldersEachInListOrder) {
    QelResultRows rows;
    qel::BuildResultRows(Model({"/t/z.txt", "/t/a.txt"}, {"/t/sub2", "/t/sub1"}), rows);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].fullPath, u"/t/z.txt");
    EXPECT_EQ(rows[1].fullPath, u"/t/a.txt");
    EXPECT_EQ(rows[2].fullPath, u"/t/sub2");
    EXPECT_EQ(rows[3].fullPath, u"/t/sub1");
    EXPECT_FALSE(rows[1].isFolder);
    EXPECT_TRUE(rows[2].isFolder);
}

TEST(QelResultRows, SkipsUnlistablePathsAndNonStrings) {
    Json::Value model = Model({"noslash", "/x/keep.txt"}, {"/rootdir"});
    model["fileresultlist"].append(42);
    model["fileresultlist"].append(Json::Value());
    QelResultRows rows;
    qel::BuildResultRows(model, rows);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].fullPath, u"/x/keep.txt");
}

TEST(QelResultRows, MissingOrBrokenListsGiveNoRows) {
    QelResultRows rows;
    qel::AppendResultRow(rows, u"/old/row", false);
    Json::Value model(Json::objectValue);
    model["dirresultlist"] = "not a list";
    qel::BuildResultRows(model, rows);
    EXPECT_TRUE(rows.empty());
    qel::BuildResultRows(Json::Value("text"), rows);
    EXPECT_TRUE(rows.empty());
}

TEST(QelResultRows, KeepsNamesThatAreNotValidUtf8) {
    // A file name byte 0xFF must come back as the same byte so the row names the very file.
    Json::Value model = Model({"/t/a\xff" "b"}, {});
    QelResultRows rows;
    qel::BuildResultRows(model, rows);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(qel::Utf16ToUtf8(rows[0].fullPath), "/t/a\xff" "b");
    EXPECT_EQ(qel::Utf16ToUtf8(rows[0].Name()), "a\xff" "b");
}
