// The matching rules: the combination table, the documented edge cases, and the
// byte-level matching of the walker agreeing with the UTF-16 rules.

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "CQelSearchCriteria.h"
#include "QelSearchMatch.h"

namespace {

QelStringArray List(std::initializer_list<const char16_t*> items) {
    QelStringArray out;
    for (const char16_t* s : items) out.Add(QelString(s));
    return out;
}

bool File(const char16_t* name, const QelStringArray& names, const QelStringArray& exts) {
    return MatchFile(QelString(name), names, exts);
}

TEST(MatchFile, CombinationTable) {
    const QelStringArray none;
    // no strings at all: never
    EXPECT_FALSE(File(u"report.txt", none, none));
    EXPECT_FALSE(File(u"x", none, none));
    // names only: one occurs anywhere in the name, extension included
    EXPECT_TRUE(File(u"report.txt", List({u"port"}), none));
    EXPECT_TRUE(File(u"data.txt", List({u"zzz", u".tx"}), none));
    EXPECT_FALSE(File(u"report.txt", List({u"Port"}), none));
    // extensions only: the extension equals one string
    EXPECT_TRUE(File(u"a.md", none, List({u"txt", u"md"})));
    EXPECT_FALSE(File(u"a.mdx", none, List({u"md"})));
    EXPECT_FALSE(File(u"md", none, List({u"md"})));
    // both: extension and base name, or a dot-less name holding a string
    const QelStringArray rep = List({u"rep"}), txt = List({u"txt"});
    EXPECT_TRUE(File(u"report.txt", rep, txt));
    EXPECT_FALSE(File(u"report.doc", rep, txt));
    EXPECT_TRUE(File(u"reportfile", rep, txt));
    EXPECT_FALSE(File(u"notes.txt", rep, txt));
    EXPECT_FALSE(File(u"notes", rep, txt));
    // the name string only in the extension part does not count with extensions
    EXPECT_FALSE(File(u"a.txt", List({u"tx"}), txt));
}

TEST(MatchFile, ExtensionIsAfterTheLastDotFromIndexOne) {
    const QelStringArray none, txt = List({u"txt"});
    EXPECT_TRUE(File(u"archive.tar.txt", none, txt));
    EXPECT_FALSE(File(u"archive.txt.gz", none, txt));
    EXPECT_FALSE(File(u".txt", none, txt));   // a leading dot is no extension
    EXPECT_TRUE(File(u"..txt", none, txt));   // the second dot is at index 1
    EXPECT_FALSE(File(u".bashrc", none, List({u"bashrc"})));
    EXPECT_FALSE(File(u"file.", none, txt));
    EXPECT_FALSE(File(u"file.", none, List({u""})));  // an empty extension matches nothing
    EXPECT_FALSE(File(u"Photo.JPG", none, List({u"jpg"})));
    EXPECT_FALSE(File(u"a.txt", none, List({u".txt"})));
    // base name is before the last dot: the name string may hold dots itself
    EXPECT_TRUE(File(u"v1.2.txt", List({u"1.2"}), txt));
    EXPECT_TRUE(File(u"txtfile.txt", txt, txt));
}

TEST(MatchFile, NameStageWithExtensionsNeedsADotlessName) {
    const QelStringArray txt = List({u"txt"});
    // ".bashrc" holds a dot: with extension strings the name stage refuses it
    EXPECT_FALSE(File(u".bashrc", List({u"bash"}), txt));
    EXPECT_TRUE(File(u".bashrc", List({u"bash"}), QelStringArray()));
    EXPECT_FALSE(File(u"file.", List({u"file"}), txt));
}

TEST(MatchFile, EmptyNameStringOccursEverywhereAndNoWildcards) {
    const QelStringArray none, empty = List({u""});
    EXPECT_TRUE(File(u"anything.bin", empty, none));
    EXPECT_TRUE(File(u".hidden", empty, none));
    EXPECT_TRUE(File(u"x.txt", empty, List({u"txt"})));
    EXPECT_FALSE(File(u"x.doc", empty, List({u"txt"})));
    const QelStringArray star = List({u"*"}), txt = List({u"txt"});
    EXPECT_FALSE(File(u"notes.txt", star, txt));
    EXPECT_TRUE(File(u"a*b.txt", star, txt));
    EXPECT_TRUE(File(u"x*y", star, txt));
    EXPECT_FALSE(File(u"x*y.doc", star, txt));
    EXPECT_FALSE(File(u"abc", List({u"a?c"}), none));
}

TEST(MatchFile, LowerCaseAMatchesAnywhere) {
    const QelStringArray a = List({u"a"}), none;
    EXPECT_TRUE(File(u"x.tar", a, none));
    EXPECT_TRUE(File(u"a", a, none));
    EXPECT_FALSE(File(u"ABC.TXT", a, none));
}

TEST(MatchFolder, ExactEqualityOnly) {
    const QelStringArray src = List({u"src"});
    EXPECT_TRUE(MatchFolder(QelString(u"src"), src));
    EXPECT_FALSE(MatchFolder(QelString(u"Src"), src));
    EXPECT_FALSE(MatchFolder(QelString(u"src2"), src));
    EXPECT_FALSE(MatchFolder(QelString(u"my src"), src));
    EXPECT_TRUE(MatchFolder(QelString(u"lib"), List({u"", u"bin", u"lib"})));
    EXPECT_FALSE(MatchFolder(QelString(u"x"), List({u""})));
    EXPECT_FALSE(MatchFolder(QelString(u"src"), QelStringArray()));
    EXPECT_FALSE(MatchFolder(QelString(u"s*"), List({u"s"})));
}

// ---- the walker's byte matching gives the UTF-16 answers ---------------------

std::string RandomBytes(std::mt19937& rng, std::size_t maxLength) {
    // Dots, ASCII letters, UTF-8 lead and continuation bytes, and whole
    // characters, so valid and broken sequences both come up often.
    static const char* const pieces[] = {".", "a", "b", "t", "x", "\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80",
                                         "\xC3", "\xA9", "\x82", "\xE2\x82", "\xED\xB2\x80", "\xFF", " "};
    std::string out;
    const std::size_t n = rng() % (maxLength + 1);
    for (std::size_t i = 0; i < n; ++i) out += pieces[rng() % (sizeof(pieces) / sizeof(pieces[0]))];
    return out;
}

QelStringArray RandomCriteria(std::mt19937& rng, bool allowLoneSurrogates) {
    QelStringArray out;
    const std::size_t n = rng() % 3;
    for (std::size_t i = 0; i < n; ++i) {
        QelString s = QelString::FromFileName(RandomBytes(rng, 3));
        if (allowLoneSurrogates && rng() % 4 == 0) s.Append(char16_t(0xDC80 + rng() % 0x80));
        out.Add(s);
    }
    return out;
}

TEST(SearchCriteria, ByteMatchingAgreesWithUtf16Matching) {
    std::mt19937 rng(20240611);
    int bytePath = 0, utf16Path = 0, hits = 0;
    for (int round = 0; round < 4000; ++round) {
        const bool lone = round % 5 == 0;
        const QelStringArray names = RandomCriteria(rng, lone), exts = RandomCriteria(rng, lone),
                             folders = RandomCriteria(rng, lone);
        const CQelSearchCriteria criteria(names, exts, folders);
        (criteria.MatchesOnBytes() ? bytePath : utf16Path)++;
        for (int k = 0; k < 20; ++k) {
            std::string name = RandomBytes(rng, 6);
            if (name.empty()) name = "n";
            const QelString wide = QelString::FromFileName(name);
            const bool file = MatchFile(wide, names, exts);
            ASSERT_EQ(criteria.FileHits(name), file) << "file name bytes: " << name;
            ASSERT_EQ(criteria.FolderHits(name), MatchFolder(wide, folders)) << "folder name bytes: " << name;
            hits += file;
        }
    }
    // Both ways of matching were exercised, and not trivially.
    EXPECT_GT(bytePath, 500);
    EXPECT_GT(utf16Path, 100);
    EXPECT_GT(hits, 1000);
}

TEST(SearchCriteria, LoneSurrogateCriterionMatchesOnlyItsOwnByte) {
    // U+DCA9 stands for the raw byte 0xA9; in "é" (C3 A9) that byte is part of a
    // character, so the name does not hold it.
    QelStringArray names;
    names.Add(QelString(std::u16string(1, char16_t(0xDCA9))));
    const CQelSearchCriteria criteria(names, QelStringArray(), QelStringArray());
    EXPECT_FALSE(criteria.MatchesOnBytes());
    EXPECT_FALSE(criteria.FileHits("caf\xC3\xA9"));
    EXPECT_TRUE(criteria.FileHits("caf\xA9"));
}

}  // namespace
