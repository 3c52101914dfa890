// The history's and the hand-off record's edge cases that the window cannot reach.
#include <gtest/gtest.h>
#include <json/json.h>

#include "QelHandOffRecord.h"
#include "QelPathHistory.h"

TEST(QelPathHistory, EntriesOfAHandEditedFileDoNotGetInTheWay) {
    std::tm date{};
    date.tm_year = 999 - 1900, date.tm_mon = 8, date.tm_mday = 5;
    EXPECT_EQ(qel::FormatHistoryDate(date).ToStdString(), "09990905");
    Json::Value history;
    ASSERT_TRUE(Json::Reader().parse(R"(["not an entry", {"date": "2024"}])", history));
    qel::AddHistoryEntry(history, u"/w/\u00e9t\u00e9", true, u"20240131");
    ASSERT_EQ(history.size(), 3u);
    EXPECT_FALSE(history[1].isMember("path"));  // looking for the path added nothing
    EXPECT_EQ(history[2]["path"].asString(), "/w/\xc3\xa9t\xc3\xa9");
    QelStringArray lines;
    lines.Add(u"stale");
    qel::BuildHistoryDisplayLines(history, lines);
    ASSERT_EQ(lines.GetCount(), 3);
    EXPECT_EQ(lines[0].ToStdString() + "|" + lines[1].ToStdString() + "|" + lines[2].ToStdString(),
              "|[2024//] (sub not check)|[2024/01/31] /w/\xc3\xa9t\xc3\xa9(sub check)");
}

TEST(QelHandOffRecord, EveryNameComesBackAsTheSameBytesOnOneLine) {
    const std::u16string odd = u"/t/quote\" back\\ tab\t nl\n cr\r bell\x07 \u00fc \U0001F600 del\x7f";
    const std::string bytes = "/t/bad\xff\xfe" "name\xc3.txt";  // not UTF-8: held as lone surrogates
    QelStringArray files, dirs;
    files.Add(QelString(odd));
    files.Add(QelString::FromFileName(bytes));
    dirs.Add(QelString(u"/t/sub"));
    const qel::QelSubWndSize size{640, 400};
    const std::string text = qel::WriteHandOffRecord(files, dirs, &size, u"/t \"x\"");
    EXPECT_EQ(text.find('\n'), text.size() - 1);
    EXPECT_NE(text.find("\xc3\xbc"), std::string::npos);  // non-ASCII stays as UTF-8
    Json::Value back, expected;
    ASSERT_TRUE(Json::Reader().parse(text, back));
    expected["fileresultlist"].append(qel::Utf16ToUtf8(odd)), expected["fileresultlist"].append(bytes);
    expected["dirresultlist"].append("/t/sub");
    expected["width"] = 640, expected["height"] = 400, expected["searchpath"] = "/t \"x\"";
    EXPECT_EQ(back, expected);
    // An update carries only the lists.
    EXPECT_EQ(qel::WriteHandOffRecord({}, {}, nullptr), "{\"dirresultlist\":[],\"fileresultlist\":[]}\n");
}
