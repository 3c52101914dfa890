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
    const struct {
        const char16_t *path, *ensured, *removed;
    } cases[] = {
        {u"/home/a", u"/home/a/", u"/home/a"},    {u"/home/a/", u"/home/a/", u"/home/a"},
        {u"/home/a/   ", u"/home/a/", u"/home/a"}, {u"/home/a  ", u"/home/a/", u"/home/a"},
        {u"a/", u"a/", u"a"},       {u"/", u"/", u"/"},  // the root stays the root
    };
    for (const auto& c : cases) EXPECT_EQ(Ensure(c.path) + u"|" + Remove(c.path), c.ensured + std::u16string(u"|") + c.removed);
    EXPECT_EQ(qel::TrimTrailingSpaces(u" a b  ").str(), u" a b");
}

TEST(QelDirectoryChain, CreatesEveryMissingFolderOnce) {
    QelTestDir dir;
    const QelString chain = QelString::FromFileName(dir / "a/b/c/");
    EXPECT_TRUE(qel::MakeDirectoryChain(chain));
    struct stat st;
    ASSERT_EQ(::stat((dir / "a/b/c").c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_TRUE(CQelDirMng::MakeDirectoryChain(chain));  // already there: still true
    EXPECT_TRUE(qel::MakeDirectoryChain(QelString::FromFileName(dir / "a/b/c  ")));
}

TEST(QelDirectoryChain, FailsBehindAFileInTheMiddle) {
    QelTestDir dir;
    WriteBytes(dir / "file", "x");
    EXPECT_FALSE(qel::MakeDirectoryChain(QelString::FromFileName(dir / "file/sub/deeper")));
    EXPECT_FALSE(Exists(dir / "file/sub"));
    // A component that exists as a file counts as present when it is the last one.
    EXPECT_TRUE(qel::MakeDirectoryChain(QelString::FromFileName(dir / "file")));
    EXPECT_FALSE(qel::MakeDirectoryChain(QelString(u"")));
}

TEST(QelDirectoryChain, RelativePathsAndOddNames) {
    QelTestDir dir;
    ASSERT_EQ(::chdir(dir.path().c_str()), 0);
    EXPECT_TRUE(qel::MakeDirectoryChain(QelString::FromFileName("rel/x\xFF/y")));
    EXPECT_TRUE(qel::IsDirectory(QelString::FromFileName(dir / "rel/x\xFF/y")));
    EXPECT_TRUE(qel::PathExists(QelString::FromFileName("rel/x\xFF")));
    EXPECT_FALSE(qel::PathExists(QelString::FromFileName("rel/x\xFE")));
    ASSERT_EQ(::chdir("/"), 0);
}
