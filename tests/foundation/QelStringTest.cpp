#include <gtest/gtest.h>

#include "QelString.h"

namespace {
std::string Utf8(const QelString& s) { return s.ToStdString(); }
}  // namespace

// The conversions the program's log lines, file names and messages use; the
// output, literal text past a conversion included, is cut at 4096 characters.
TEST(QelStringFormat, PrintfConversionsTheProgramUses) {
    std::u16string longFormat(4090, u'a');
    longFormat += u"%d-tail";
    const struct { QelString text; std::string expected; } cases[] = {
        {QelString::Formatted(u"[%04u/%02u][%02u:%03u]", 2024u, 5u, 59u, 9u), "[2024/05][59:009]"},
        {QelString::Formatted(u"%X|%X|%X", 10, 255, 0), "A|FF|0"},
        {QelString::Formatted(u"%d %d %u", -42, 0, 4000000000u), "-42 0 4000000000"},
        {QelString::Formatted(u"100%% of %s", QelString(u"files")), "100% of files"},
        {QelString::Formatted(u"%s/%s", u"\u4E2D\u6587", u"\U0001F600"), "\xE4\xB8\xAD\xE6\x96\x87/\xF0\x9F\x98\x80"},
        {QelString::Formatted(longFormat.c_str(), 123456), std::string(4090, 'a') + "123456"},
        {QelString::Formatted(u"%s", std::u16string_view(std::u16string(5000, u'x'))), std::string(4096, 'x')},
    };
    for (const auto& c : cases) EXPECT_EQ(Utf8(c.text), c.expected);
}

// Pieces between "@@" separators, empty ones included; the output is replaced.
TEST(QelStringSplit, PiecesBetweenSeparators) {
    const struct { const char16_t* text; int count; const char16_t* pieces; } cases[] = {  // pieces joined by '|'
        {u"a@@b", 2, u"a|b"}, {u"a@@", 2, u"a|"},    {u"@@a", 2, u"|a"}, {u"a@@@@b", 3, u"a||b"},
        {u"a", 1, u"a"},      {u"", 0, u""},         {u"@@", 2, u"|"},   {u"a@b@@c@", 2, u"a@b|c@"},
    };
    QelStringArray out;
    out.Add(QelString(u"left over"));
    for (const auto& c : cases) {
        std::u16string joined;
        const int n = QelString::Split(QelString(c.text), QelString(u"@@"), out);
        for (const QelString& piece : out) joined += (&piece == &out.front() ? u"" : u"|") + piece.str();
        EXPECT_EQ(std::to_string(n) + Utf8(QelString(joined)), std::to_string(c.count) + Utf8(QelString(c.pieces))) << Utf8(QelString(c.text));
    }
}

// File names are bytes: every byte sequence comes back exactly, whole or
// appended piece by piece; distinct names stay distinct; valid UTF-8 converts
// to its characters.
TEST(QelStringConvert, FileNameBytesRoundTripExactly) {
    const std::string names[] = {
        "plain.txt",
        "caf\xC3\xA9 \xE4\xB8\xAD \xF0\x9F\x98\x80",  // valid UTF-8 up to four bytes
        "bad\xFF\xFE name",                         // bytes never valid in UTF-8
        "latin1-\xE9t\xE9",                          // a Latin-1 name
        "cut\xE4\xB8",                               // a truncated sequence at the end
        "\xC0\xAF overlong",                         // an overlong '/'
        "\xED\xA0\x80 surrogate",                    // an encoded surrogate
        "\xED\xB2\x80 escape-looking",               // the UTF-8 form of U+DC80 itself
        "\xF4\x90\x80\x80 beyond",                   // past U+10FFFF
        std::string("\x80\x81\xBF", 3),
    };
    for (const std::string& bytes : names) {
        const QelString s = QelString::FromFileName(bytes);
        EXPECT_EQ(s.ToFileName(), bytes);
        EXPECT_EQ(std::string(s.ToUtf8()), bytes);
        std::u16string pieces = u"/r\u00E9/";
        qel::AppendUtf8AsUtf16(pieces, bytes.substr(0, 3));
        qel::AppendUtf8AsUtf16(pieces, bytes.substr(3));
        std::string back = "x";
        qel::AppendUtf16AsUtf8(back, pieces);
        EXPECT_EQ(back, "x/r\xC3\xA9/" + bytes);
    }
    EXPECT_FALSE(QelString::FromFileName("a\xFF").Equals(QelString::FromFileName("a\xFE")));
    EXPECT_EQ(QelString::FromUtf8("x\xF0\x9F\x98\x80\xF0\x90\x8D\x88y").view(), u"x\U0001F600\U00010348y");
}

// The UTF-8 form follows every change, and copies are independent.
TEST(QelStringEdit, EditsCopiesAndTheirUtf8) {
    QelString s(u"hello world"), copy(u"zz");
    const std::string before = s.ToUtf8();
    s.Append(u'!');
    const std::string appended = s.ToUtf8();
    copy.ToUtf8();
    copy = s;
    s.Format(u"%d", 5);
    EXPECT_EQ(before + "|" + appended + "|" + s.ToUtf8() + "|" + copy.ToUtf8(), "hello world|hello world!|5|hello world!");
    EXPECT_EQ(copy.Mid(6).str() + u"|" + copy.Mid(0, 5).str() + u"|" + copy.Mid(20).str(), u"world!|hello|");
    EXPECT_EQ(std::vector<int>({copy.Find(u'o'), copy.Find(u'o', 5), copy.Find(QelString(u"wor")), copy.Find(u'z'), copy.ReverseFind(u'o')}),
              std::vector<int>({4, 7, 6, -1, 7}));
    EXPECT_EQ(QelString(u"path   ").TrimRightSpaces().str(), u"path");
    EXPECT_TRUE(QelString(u"").Equals(u"") && !QelString(u"Readme").Equals(u"readme") && !QelString().Equals(u""));
}

// Sorted by UTF-16 code unit: U+FF5E after a surrogate (U+D83D), unlike by code point.
TEST(QelContainers, MapOrdersStringKeysByCodeUnit) {
    QelMap<QelString, int> map;
    for (const char16_t* key : {u"b", u"\uFF5E", u"B", u"\U0001F600"}) map[QelString(key)] = 0;
    std::u16string order;
    for (const auto& [key, value] : map) order += key.str();
    EXPECT_EQ(order, u"Bb\U0001F600\uFF5E");
}
