#include <gtest/gtest.h>

#include <json/json.h>

#include "QelHandOffRecord.h"

namespace {

QelStringArray Paths(std::initializer_list<std::u16string> paths) {
    QelStringArray out;
    for (const std::u16string& p : paths) out.Add(QelString(p));
    return out;
}

}  // namespace

TEST(QelHandOffRecord, KeysAndLayoutAreThoseOfJsonCppsFastWriter) {
    const qel::QelSubWndSize size{640, 400};
    Json::Value created;
    created["width"] = 640;
    created["height"] = 400;
    created["fileresultlist"].append("/t/a.txt");
    created["fileresultlist"].append("/t/b.txt");
    created["dirresultlist"].append("/t/sub");
    created["searchpath"] = "/t \"x\"";  // the folder searched, below which the operations find the rows
    EXPECT_EQ(qel::WriteHandOffRecord(Paths({u"/t/a.txt", u"/t/b.txt"}), Paths({u"/t/sub"}), &size, u"/t \"x\""),
              Json::FastWriter().write(created));
    // An update carries only the lists.
    Json::Value updated;
    updated["fileresultlist"] = updated["dirresultlist"] = Json::Value(Json::arrayValue);
    EXPECT_EQ(qel::WriteHandOffRecord(Paths({}), Paths({}), nullptr), Json::FastWriter().write(updated));
}

TEST(QelHandOffRecord, EveryNameComesBackAsTheSameBytes) {
    const std::u16string odd = u"/t/quote\" back\\ tab\t nl\n cr\r bell\x07 \u00fc \U0001F600 del\x7f";
    // A name that is not valid UTF-8 is held as lone surrogates and must come back as the same bytes.
    const std::string bytes = "/t/bad\xff\xfe" "name\xc3.txt";
    QelStringArray files = Paths({odd});
    files.Add(QelString::FromFileName(bytes));
    const std::string text = qel::WriteHandOffRecord(files, Paths({}), nullptr);
    EXPECT_EQ(text.find('\n'), text.size() - 1);  // one line ending in a line feed
    EXPECT_NE(text.find("\\u0007"), std::string::npos);
    EXPECT_NE(text.find("\xc3\xbc"), std::string::npos);  // non-ASCII stays as UTF-8
    Json::Value back;
    ASSERT_TRUE(Json::Reader().parse(text, back)) << text;
    EXPECT_EQ(back["fileresultlist"][0].asString(), qel::Utf16ToUtf8(odd));
    EXPECT_EQ(back["fileresultlist"][1].asString(), bytes);
}
