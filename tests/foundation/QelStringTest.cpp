#include <gtest/gtest.h>

#include "QelString.h"

namespace {
std::string Utf8(const QelString& s) { return s.ToStdString(); }
}  // namespace

TEST(QelStringFormat, PrintfConversionsTheProgramUses) {
    const QelString built = QelString::Formatted(u"[%%.%dd]", 3);  // a format built first, as numbered names are
    const struct { QelString text; const char* expected; } cases[] = {
        {QelString::Formatted(u"[%02u:%02u:%02u:%03u]", 7u, 5u, 59u, 9u), "[07:05:59:009]"},
        {QelString::Formatted(u"%X|%X|%X", 10, 255, 0), "A|FF|0"},
        {QelString::Formatted(u"%d %d %u %u", -42, 0, 4000000000u, -1), "-42 0 4000000000 4294967295"},
        {QelString::Formatted(u"%c%c", u'o', u'k'), "ok"}, {QelString::Formatted(u"%.2f|%f", 3.14159, 0.5), "3.14|0.500000"},
        {QelString::Formatted(u"100%% of %s", QelString(u"files")), "100% of files"},
        {QelString::Formatted(u"%s\\%s", u"C:", u"dir"), "C:\\dir"},
        {QelString::Formatted(u"%5d|%-5d|%05d", 42, 42, -42), "   42|42   |-0042"}, {built, "[%.3d]"},
        {QelString::Formatted(built.c_str(), 7), "[007]"}, {QelString::Formatted(built.c_str(), 12345), "[12345]"},
        {QelString::Formatted(u"%.*d", 4, 42), "0042"},
        {QelString::Formatted(u"%#x|%#06X|%.2s|%jd %td", 255, 255, u"abc", -5, 6), "0xff|0X00FF|ab|-5 6"},
        {QelString::Formatted(u"%s/%s", u"\u4E2D\u6587", u"\U0001F600"), "\xE4\xB8\xAD\xE6\x96\x87/\xF0\x9F\x98\x80"},
    };
    for (const auto& c : cases) EXPECT_EQ(Utf8(c.text), c.expected);
}

// Output, literal text past a conversion included, is cut at 4096 characters.
TEST(QelStringFormat, OutputIsCutAt4096Characters) {
    std::u16string format(4090, u'a');
    format += u"%d-tail";
    const QelString cut = QelString::Formatted(format.c_str(), 123456);
    EXPECT_EQ(cut.view().substr(4090), u"123456");
    EXPECT_EQ(QelString::Formatted(u"%s", std::u16string_view(std::u16string(5000, u'x'))).GetLength() * 10000 +
                  QelString::Formatted(u"%-9000d", 1).GetLength(), 40964096);
}

// By UTF-16 code unit without case folding: U+FF5E sorts after a surrogate
// (U+D83D), unlike by code point; an unset string equals nothing.
TEST(QelStringCompare, OrdersByUtf16CodeUnitAndEqualsExactly) {
    EXPECT_EQ(QelString(u"a").Compare(u"b") * 100 + QelString(u"b").Compare(u"a") * 10 + QelString(u"abc").Compare(u"abc"), -90);
    EXPECT_EQ(QelString(u"ab").Compare(u"abc") + QelString(u"B").Compare(u"a"), -2);
    EXPECT_EQ(QelString(u"\uFF5E").Compare(u"\U0001F600"), 1);
    EXPECT_EQ(QelString(u"a").Compare(static_cast<const char16_t*>(nullptr)) + QelString(u"a").Compare(QelString()), -2);
    EXPECT_TRUE(QelString(u"Readme").Equals(u"Readme") && QelString(u"").Equals(u""));
    EXPECT_FALSE(QelString(u"Readme").Equals(u"readme") || QelString().Equals(u"") || QelString(u"").Equals(QelString()) ||
                 QelString(u"x").Equals(static_cast<const char16_t*>(nullptr)));
}

// Pieces between "@@" separators, empty ones included; the output is replaced.
TEST(QelStringSplit, PiecesBetweenSeparators) {
    // pieces: joined by '|'
    const struct { const char16_t* text; int count; const char16_t* pieces; } cases[] = {
        {u"a@@b", 2, u"a|b"}, {u"a@@", 2, u"a|"},    {u"@@a", 2, u"|a"}, {u"a@@@@b", 3, u"a||b"},
        {u"a", 1, u"a"},      {u"", 0, u""},         {u"@@", 2, u"|"},   {u"a@b@@c@", 2, u"a@b|c@"},
    };
    QelStringArray out;
    out.Add(QelString(u"left over"));
    for (const auto& c : cases) {
        std::u16string joined;
        const int n = QelString::Split(QelString(c.text), QelString(u"@@"), out);
        for (int i = 0; i < static_cast<int>(out.GetCount()); ++i) joined += (i ? u"|" : u"") + out[static_cast<std::size_t>(i)].str();
        EXPECT_EQ(std::to_string(n) + Utf8(QelString(joined)), std::to_string(c.count) + Utf8(QelString(c.pieces))) << Utf8(QelString(c.text));
    }
}

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
        EXPECT_EQ(s.Utf8Length(), bytes.size());
    }
    // Distinct byte names stay distinct strings; valid text converts to its characters.
    EXPECT_FALSE(QelString::FromFileName("a\xFF").Equals(QelString::FromFileName("a\xFE")));
    const QelString astral(u"x\U0001F600\U00010348y");
    EXPECT_EQ(QelString::FromUtf8("x\xF0\x9F\x98\x80\xF0\x90\x8D\x88y").view(), astral.view());
    EXPECT_EQ(astral.ToStdString(), "x\xF0\x9F\x98\x80\xF0\x90\x8D\x88y");
}

TEST(QelStringConvert, AppendFormsBuildPathsPieceByPiece) {
    // A path is built from a prefix and raw name bytes; the pieces must join
    // exactly as the whole would convert, whatever the prefix holds.
    std::u16string path = u"/r\u00E9/";
    qel::AppendUtf8AsUtf16(path, "a\xFF\xC3\xA9");
    qel::AppendUtf8AsUtf16(path, "");
    qel::AppendUtf8AsUtf16(path, "/b\xF0\x9F\x98\x80");
    EXPECT_EQ(path, qel::Utf8ToUtf16("/r\xC3\xA9/a\xFF\xC3\xA9/b\xF0\x9F\x98\x80"));
    std::string bytes = "x";
    qel::AppendUtf16AsUtf8(bytes, path);
    EXPECT_EQ(bytes, "x/r\xC3\xA9/a\xFF\xC3\xA9/b\xF0\x9F\x98\x80");
}

TEST(QelStringConvert, Utf8BufferFollowsChanges) {
    QelString s(u"abc"), copy(u"zz");
    const std::string before = s.ToUtf8();
    s.Append(u'd');
    const std::string appended = s.ToUtf8();
    s.Format(u"%d", 5);
    copy.ToUtf8();
    copy = s;
    EXPECT_EQ(before + "|" + appended + "|" + s.ToUtf8() + "|" + copy.ToUtf8(), "abc|abcd|5|5");
}

// Out-of-range ends are clipped, a miss is -1, copies are independent.
TEST(QelStringEdit, MidFindTrimAndCopies) {
    const QelString s(u"hello world");
    EXPECT_EQ(s.Mid(6).str() + u"|" + s.Mid(0, 5).str() + u"|" + s.Mid(6, 100).str() + u"|" + s.Mid(20).str(), u"world|hello|world|");
    EXPECT_EQ(std::vector<int>({s.Find(u'o'), s.Find(u'o', 5), s.Find(QelString(u"wor")), s.Find(u'z'), s.ReverseFind(u'o')}),
              std::vector<int>({4, 7, 6, -1, 7}));
    QelString t(u"path   "), copy(s);
    copy.Append(u"!");
    EXPECT_EQ(t.TrimRightSpaces().str() + u"|" + s.str() + u"|" + QelString(u"ab\0cd", 5).str(), u"path|hello world|ab");
}

TEST(QelContainers, MapOrdersStringKeysByCodeUnit) {
    QelMap<QelString, int> map;
    map[QelString(u"b")] = 2;
    map[QelString(u"\uFF5E")] = 4;
    map[QelString(u"B")] = 1;
    map[QelString(u"\U0001F600")] = 3;
    std::u16string order;
    for (const auto& [key, value] : map) order += key.str();
    EXPECT_EQ(order, u"Bb\U0001F600\uFF5E");
}
