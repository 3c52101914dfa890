#include <gtest/gtest.h>
#include <sys/stat.h>

#include "CQelDirMng.h"
#include "QelPath.h"
#include "QelTestDir.h"

namespace {
std::u16string Ensure(const char16_t* p) { return qel::EnsureTrailingSeparator(p).str(); }
std::u16string Remove(const char16_t* p) { return qel::RemoveTrailingSeparator(p).str(); }
}  // namespace

TEST(QelPathCleanUp, TrailingSeparatorsAndSpaces) {
    const struct { const char16_t *path, *ensured, *removed; } cases[] = {
        {u"/home/a", u"/home/a/", u"/home/a"},    {u"/home/a/", u"/home/a/", u"/home/a"},
        {u"/home/a/   ", u"/home/a/", u"/home/a"}, {u"/home/a  ", u"/home/a/", u"/home/a"},
        {u"a/", u"a/", u"a"},       {u"/", u"/", u"/"},  // the root stays the root
    };
    for (const auto& c : cases) EXPECT_EQ(Ensure(c.path) + u"|" + Remove(c.path), c.ensured + std::u16string(u"|") + c.removed);
    EXPECT_EQ(qel::TrimTrailingSpaces(u" a b  ").str(), u" a b");
}

// Every missing folder is made (relative chains, odd bytes and trailing
// spaces included); a file in the middle stops the chain, as the last component it counts as present.
TEST(QelDirectoryChain, CreatesEveryMissingFolderAndStopsBehindAFile) {
    QelTestDir dir;
    ASSERT_EQ(::chdir(dir.path().c_str()), 0);
    WriteBytes(dir / "file", "x");
    // folder: then a folder
    const struct { std::string path; bool made; const char* folder; } cases[] = {
        {dir / "a/b/c/", true, "a/b/c"}, {dir / "a/b/c", true, "a/b/c"}, {dir / "a/b/c  ", true, "a/b/c"},
        {"rel/x\xFF/y", true, "rel/x\xFF/y"}, {dir / "file/sub/deeper", false, ""}, {dir / "file", true, ""}, {"", false, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(qel::MakeDirectoryChain(QelString::FromFileName(c.path)), c.made) << c.path;
        EXPECT_TRUE(!*c.folder || qel::IsDirectory(QelString::FromFileName(dir / c.folder))) << c.path;
    }
    EXPECT_FALSE(Exists(dir / "file/sub"));
    EXPECT_TRUE(qel::PathExists(QelString::FromFileName("rel/x\xFF")) && !qel::PathExists(QelString::FromFileName("rel/x\xFE")));
    EXPECT_TRUE(CQelDirMng::MakeDirectoryChain(QelString::FromFileName(dir / "a/b/c")));
    ASSERT_EQ(::chdir("/"), 0);
}
