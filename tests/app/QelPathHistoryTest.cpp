// The history's own edge cases; recording searches, the popup's lines and Delete
// are tested through the main window.

#include <gtest/gtest.h>

#include "QelPathHistory.h"

TEST(QelPathHistory, DateIsEightDigitsOfTheLocalDate) {
    std::tm date{};
    date.tm_year = 999 - 1900;
    date.tm_mon = 8;
    date.tm_mday = 5;
    EXPECT_EQ(qel::FormatHistoryDate(date).ToStdString(), "09990905");
}

TEST(QelPathHistory, EntriesOfAHandEditedFileDoNotGetInTheWay) {
    Json::Value history(Json::arrayValue);
    history.append("not an entry");
    history.append(Json::Value(Json::objectValue));
    history[1]["date"] = "2024";
    qel::AddHistoryEntry(history, u"/w/\u00e9t\u00e9", true, u"20240131");
    ASSERT_EQ(history.size(), 3u);
    EXPECT_FALSE(history[1].isMember("path"));  // looking for the path added nothing
    EXPECT_EQ(history[2]["path"].asString(), "/w/\xc3\xa9t\xc3\xa9");

    QelStringArray lines;
    lines.Add(u"stale");
    qel::BuildHistoryDisplayLines(history, lines);
    EXPECT_EQ(lines.GetCount(), 3);
    EXPECT_EQ(lines[0].ToStdString(), "");
    EXPECT_EQ(lines[1].ToStdString(), "[2024//] (sub not check)");
}
