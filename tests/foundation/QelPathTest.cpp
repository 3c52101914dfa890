#include <gtest/gtest.h>
#include <unistd.h>

#include "QelPath.h"
#include "QelTestDir.h"

TEST(QelPathCleanUp, TrailingSeparatorsAndSpacesAreCut) {
    const struct { const char16_t *path, *removed; } cases[] = {
        {u"/home/a", u"/home/a"}, {u"/home/a/", u"/home/a"}, {u"/home/a/   ", u"/home/a"}, {u"/home/a  ", u"/home/a"},
        {u"a/", u"a"},            {u"/", u"/"},  // the root stays the root
    };
    for (const auto& c : cases) EXPECT_EQ(qel::RemoveTrailingSeparator(c.path).str(), c.removed);
}

// Every missing folder is made (relative chains, odd bytes and trailing
// spaces, which are part of a name, included); a file in the middle stops
// the chain, as the last component it counts as present.
TEST(QelDirectoryChain, CreatesEveryMissingFolderAndStopsBehindAFile) {
    QelTestDir dir;
    ASSERT_EQ(::chdir(dir.path().c_str()), 0);
    WriteBytes(dir / "file", "x");
    const struct { std::string path; bool made; std::string folder; } cases[] = {
        {dir / "a/b/c/", true, dir / "a/b/c"}, {dir / "a/b/c  ", true, dir / "a/b/c  "}, {"rel/x\xFF/y", true, "rel/x\xFF/y"},
        {dir / "file/sub/deeper", false, ""},  {dir / "file", true, ""},                 {"", false, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(qel::MakeDirectoryChain(QelString::FromFileName(c.path)), c.made) << c.path;
        EXPECT_TRUE(c.folder.empty() || qel::IsDirectory(QelString::FromFileName(c.folder))) << c.path;
    }
    EXPECT_FALSE(Exists(dir / "file/sub"));
    EXPECT_TRUE(qel::PathExists(QelString::FromFileName("rel/x\xFF")) && !qel::PathExists(QelString::FromFileName("rel/x\xFE")));
    ASSERT_EQ(::chdir("/"), 0);
}
