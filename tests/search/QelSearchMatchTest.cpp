// The matching rules as a table of names against criteria, and the walker's
// byte matching agreeing with the UTF-16 rules.

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "CQelSearchCriteria.h"
#include "QelSearchMatch.h"

namespace {

TEST(MatchFile, NamesAgainstNameAndExtensionStrings) {
    const struct {
        const char16_t* name;
        QelStringArray names, exts;
        bool hit;
    } cases[] = {
        {u"report.txt", {}, {}, false},  // no strings at all: never
        // names only: one occurs anywhere, extension included, case counts
        {u"report.txt", {u"port"}, {}, true}, {u"data.txt", {u"zzz", u".tx"}, {}, true},
        {u"report.txt", {u"Port"}, {}, false}, {u"anything.bin", {u""}, {}, true}, {u"abc", {u"a?c"}, {}, false},
        // extensions only: after the last dot from index 1, equal to one string
        {u"a.md", {}, {u"txt", u"md"}, true}, {u"a.mdx", {}, {u"md"}, false}, {u"archive.tar.txt", {}, {u"txt"}, true},
        {u"archive.txt.gz", {}, {u"txt"}, false}, {u".txt", {}, {u"txt"}, false}, {u"..txt", {}, {u"txt"}, true},
        {u"file.", {}, {u""}, false}, {u"Photo.JPG", {}, {u"jpg"}, false}, {u"a.txt", {}, {u".txt"}, false},
        // both: a string in the base name, or a dot-less name holding one
        {u"report.txt", {u"rep"}, {u"txt"}, true}, {u"reportfile", {u"rep"}, {u"txt"}, true},
        {u"notes.txt", {u"rep"}, {u"txt"}, false}, {u"a.txt", {u"tx"}, {u"txt"}, false},
        {u"v1.2.txt", {u"1.2"}, {u"txt"}, true}, {u".bashrc", {u"bash"}, {u"txt"}, false},
        {u"file.", {u"file"}, {u"txt"}, false}, {u"x.doc", {u""}, {u"txt"}, false}, {u"x*y", {u"*"}, {u"txt"}, true},
    };
    for (const auto& c : cases) EXPECT_EQ(MatchFile(c.name, c.names, c.exts), c.hit) << QelString(c.name).ToStdString();
    // Folders: exact equality with one string only.
    for (const auto& [name, hit] : {std::pair<const char16_t*, bool>{u"src", true}, {u"Src", false}, {u"src2", false}, {u"lib", true}, {u"", false}})
        EXPECT_EQ(MatchFolder(name, {u"", u"src", u"lib"}), hit) << QelString(name).ToStdString();
    EXPECT_FALSE(MatchFolder(u"src", {}));
}

// ---- the walker's byte matching gives the UTF-16 answers ---------------------

std::string RandomBytes(std::mt19937& rng, std::size_t maxLength) {
    // Dots, ASCII letters, UTF-8 lead and continuation bytes, and whole
    // characters, so valid and broken sequences both come up often.
    static const char* const pieces[] = {".", "a", "b", "t", "x", "\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80",
                                         "\xC3", "\xA9", "\x82", "\xE2\x82", "\xED\xB2\x80", "\xFF", " "};
    std::string out;
    const std::size_t n = rng() % (maxLength + 1);
    for (std::size_t i = 0; i < n; ++i) out += pieces[rng() % std::size(pieces)];
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
        const QelStringArray names = RandomCriteria(rng, lone), exts = RandomCriteria(rng, lone), folders = RandomCriteria(rng, lone);
        const CQelSearchCriteria criteria(names, exts, folders);
        (criteria.MatchesOnBytes() ? bytePath : utf16Path)++;
        for (int k = 0; k < 20; ++k) {
            std::string name = RandomBytes(rng, 6);
            if (name.empty()) name.push_back('n');
            const QelString wide = QelString::FromFileName(name);
            const bool file = MatchFile(wide, names, exts);
            ASSERT_EQ(criteria.FileHits(name), file) << "file name bytes: " << name;
            ASSERT_EQ(criteria.FolderHits(name), MatchFolder(wide, folders)) << "folder name bytes: " << name;
            hits += file;
        }
    }
    EXPECT_TRUE(bytePath > 500 && utf16Path > 100 && hits > 1000);  // both ways, and not trivially
}

// A criterion typed as UTF-16 may hold surrogates no file name byte can
// spell: only a whole pair is matched on bytes, and a broken one matches
// nothing it does not hold.
TEST(SearchCriteria, OnlyWellFormedCriteriaMatchOnBytes) {
    const struct {
        const char16_t* criterion;
        std::string name;  // file-name bytes
        bool onBytes, hit;
    } cases[] = {
        {u"x\xD83D\xDE00", "ax\xF0\x9F\x98\x80", true, true},  // a whole pair
        {u"\xD83D", "\xED\xA0\xBD", false, false},             // a high surrogate at the end
        {u"\xD83Dx", "\xED\xA0\xBDx", false, false},           // a high surrogate not followed by a low one
        {u"\xD83D\xD83D", "\xED\xA0\xBD\xED\xA0\xBD", false, false},
        {u"\xDE00", "\xED\xB8\x80", false, false},              // a low surrogate alone
        {u"\xDCA9", "caf\xC3\xA9", false, false},               // the raw byte 0xA9, inside a character here
        {u"\xDCA9", "caf\xA9", false, true},                    // and on its own
    };
    for (const auto& c : cases) {
        const CQelSearchCriteria criteria({c.criterion}, {}, {});
        EXPECT_EQ(criteria.MatchesOnBytes(), c.onBytes) << c.name;
        EXPECT_EQ(criteria.FileHits(c.name), c.hit) << c.name;
    }
}

}  // namespace
