#include <gtest/gtest.h>

#include "QelPathHistory.h"

namespace {

std::string Line(const Json::Value& entry) { return qel::HistoryDisplayLine(entry).ToStdString(); }

}  // namespace

TEST(QelPathHistory, DateIsEightDigitsOfTheLocalDate) {
    std::tm date{};
    date.tm_year = 2024 - 1900;
    date.tm_mon = 0;
    date.tm_mday = 31;
    EXPECT_EQ(qel::FormatHistoryDate(date).ToStdString(), "20240131");
    date.tm_year = 999 - 1900;
    date.tm_mon = 8;
    date.tm_mday = 5;
    EXPECT_EQ(qel::FormatHistoryDate(date).ToStdString(), "09990905");
    EXPECT_EQ(qel::TodayHistoryDate().GetLength(), 8);
}

TEST(QelPathHistory, SamePathTwiceKeepsOneEntryAtItsPlace) {
    Json::Value history(Json::arrayValue);
    qel::AddHistoryEntry(history, u"/work/a", true, u"20240101");
    qel::AddHistoryEntry(history, u"/work/b", true, u"20240102");
    qel::AddHistoryEntry(history, u"/work/a", false, u"20240203");
    ASSERT_EQ(history.size(), 2u);
    EXPECT_EQ(history[0]["path"].asString(), "/work/a");
    EXPECT_EQ(history[0]["date"].asString(), "20240203");
    EXPECT_FALSE(history[0]["includesub"].asBool());
    EXPECT_EQ(history[1]["path"].asString(), "/work/b");
    EXPECT_EQ(history[1]["date"].asString(), "20240102");
}

TEST(QelPathHistory, PathsDifferingOnlyInCaseAreTwoEntries) {
    Json::Value history(Json::arrayValue);
    qel::AddHistoryEntry(history, u"/Work", true, u"20240101");
    qel::AddHistoryEntry(history, u"/work", true, u"20240101");
    ASSERT_EQ(history.size(), 2u);
    EXPECT_EQ(history[0]["path"].asString(), "/Work");
    EXPECT_EQ(history[1]["path"].asString(), "/work");
}

TEST(QelPathHistory, NewEntryHasTheThreeMembers) {
    Json::Value history(Json::arrayValue);
    qel::AddHistoryEntry(history, u"/w/\u00e9t\u00e9", true, u"20240131");
    ASSERT_EQ(history.size(), 1u);
    EXPECT_EQ(history[0].getMemberNames(), (std::vector<std::string>{"date", "includesub", "path"}));
    EXPECT_TRUE(history[0]["includesub"].isBool());
    EXPECT_EQ(history[0]["path"].asString(), "/w/\xc3\xa9t\xc3\xa9");
}

TEST(QelPathHistory, EntriesOfAHandEditedFileDoNotGetInTheWay) {
    Json::Value history(Json::arrayValue);
    history.append("not an entry");
    Json::Value noPath(Json::objectValue);
    noPath["date"] = "20200101";
    history.append(noPath);
    qel::AddHistoryEntry(history, u"/w", true, u"20240131");
    ASSERT_EQ(history.size(), 3u);
    EXPECT_FALSE(history[1].isMember("path"));  // looking for the path added nothing
    EXPECT_EQ(history[2]["path"].asString(), "/w");

    Json::Value notAnArray("text");
    qel::AddHistoryEntry(notAnArray, u"/w", false, u"20240131");
    ASSERT_TRUE(notAnArray.isArray());
    EXPECT_EQ(notAnArray.size(), 1u);
}

TEST(QelPathHistory, DisplayLinesShowDatePathAndSubFolderSetting) {
    Json::Value history(Json::arrayValue);
    qel::AddHistoryEntry(history, u"/home/me/Work", true, u"20240131");
    qel::AddHistoryEntry(history, u"/tmp", false, u"20231105");
    EXPECT_EQ(Line(history[0]), "[2024/01/31] /home/me/Work(sub check)");
    EXPECT_EQ(Line(history[1]), "[2023/11/05] /tmp(sub not check)");

    QelStringArray lines;
    lines.Add(u"stale");
    qel::BuildHistoryDisplayLines(history, lines);
    ASSERT_EQ(lines.GetCount(), 2);
    EXPECT_EQ(lines[1].ToStdString(), "[2023/11/05] /tmp(sub not check)");

    Json::Value shortDate(Json::objectValue);
    shortDate["date"] = "2024";
    shortDate["path"] = "/x";
    EXPECT_EQ(Line(shortDate), "[2024//] /x(sub not check)");
}
