// The history's and the hand-off record's edge cases that the window cannot reach.

#include <gtest/gtest.h>
#include <json/json.h>

#include "QelHandOffRecord.h"
#include "QelPathHistory.h"

static Json::Value Parse(const std::string& text) {
    Json::Value value;
    EXPECT_TRUE(Json::Reader().parse(text, value)) << text;
    return value;
}

TEST(QelPathHistory, EntriesOfAHandEditedFileDoNotGetInTheWay) {
    std::tm date{};
    date.tm_year = 999 - 1900;
    date.tm_mon = 8;
    date.tm_mday = 5;
    EXPECT_EQ(qel::FormatHistoryDate(date).ToStdString(), "09990905");
    Json::Value history = Parse(R"(["not an entry", {"date": "2024"}])");
    qel::AddHistoryEntry(history, u"/w/\u00e9t\u00e9", true, u"20240131");
    ASSERT_EQ(history.size(), 3u);
    EXPECT_FALSE(history[1].isMember("path"));  // looking for the path added nothing
    EXPECT_EQ(history[2]["path"].asString(), "/w/\xc3\xa9t\xc3\xa9");
    QelStringArray lines;
    lines.Add(u"stale");
    qel::BuildHistoryDisplayLines(history, lines);
    ASSERT_EQ(lines.GetCount(), 3);
    EXPECT_EQ(lines[0].ToStdString(), "");
    EXPECT_EQ(lines[1].ToStdString(), "[2024//] (sub not check)");
}

TEST(QelHandOffRecord, EveryNameComesBackAsTheSameBytesOnOneLine) {
    const std::u16string odd = u"/t/quote\" back\\ tab\t nl\n cr\r bell\x07 \u00fc \U0001F600 del\x7f";
    // A name that is not valid UTF-8 is held as lone surrogates and must come back as the same bytes.
    const std::string bytes = "/t/bad\xff\xfe" "name\xc3.txt";
    QelStringArray files, dirs;
    files.Add(QelString(odd));
    files.Add(QelString::FromFileName(bytes));
    dirs.Add(QelString(u"/t/sub"));
    const qel::QelSubWndSize size{640, 400};
    const std::string text = qel::WriteHandOffRecord(files, dirs, &size, u"/t \"x\"");
    EXPECT_EQ(text.find('\n'), text.size() - 1);
    EXPECT_NE(text.find("\xc3\xbc"), std::string::npos);  // non-ASCII stays as UTF-8
    const Json::Value back = Parse(text);
    EXPECT_EQ(back["fileresultlist"][0].asString(), qel::Utf16ToUtf8(odd));
    EXPECT_EQ(back["fileresultlist"][1].asString(), bytes);
    EXPECT_EQ(back["dirresultlist"], Parse(R"(["/t/sub"])"));
    EXPECT_EQ(std::pair(back["width"].asInt(), back["height"].asInt()), std::pair(640, 400));
    EXPECT_EQ(back["searchpath"].asString(), "/t \"x\"");
    // An update carries only the lists.
    EXPECT_EQ(qel::WriteHandOffRecord({}, {}, nullptr), "{\"dirresultlist\":[],\"fileresultlist\":[]}\n");
}
