#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

#include "CQelFileMng.h"
#include "CQelLogMng.h"
#include "CQelWinUtilFunc.h"
#include "QelTreeFixture.h"

namespace {
CQelFileMng* Mng() { return CQelFileMng::GetInstance(); }

std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// A tree with files, a nested folder, dot-names and a name that is not UTF-8.
void MakeSampleTree(const std::string& root) {
    MakeFile(root + "/a.txt", "a");
    MakeFile(root + "/sub/b.txt", "b");
    MakeFile(root + "/sub/deeper/c.txt", "c");
    MakeFile(root + "/.git/config", "dot folder");
    MakeFile(root + "/sub/.hidden", "dot file");
    MakeFile(root + "/caf\xE9\xFF.txt", "latin1 name");
    std::filesystem::create_directories(root + "/empty");
}
}  // namespace

// Hidden names are ordinary files here: only "." and ".." are passed by.
TEST(CQelFileMngCopy, CopiesEveryNameDotNamesIncluded) {
    QelTestDir dir;
    MakeSampleTree(dir / "src");
    ASSERT_TRUE(Mng()->doCopyFolderContents(Q(dir / "src"), Q(dir / "out/dst/")));
    EXPECT_EQ(ReadBytes(dir / "out/dst/a.txt"), "a");
    EXPECT_EQ(ReadBytes(dir / "out/dst/sub/b.txt"), "b");
    EXPECT_EQ(ReadBytes(dir / "out/dst/sub/deeper/c.txt"), "c");
    EXPECT_EQ(ReadBytes(dir / "out/dst/caf\xE9\xFF.txt"), "latin1 name");
    EXPECT_TRUE(IsDir(dir / "out/dst/empty"));
    EXPECT_EQ(ReadBytes(dir / "out/dst/.git/config"), "dot folder");
    EXPECT_EQ(ReadBytes(dir / "out/dst/sub/.hidden"), "dot file");
}

TEST(CQelFileMngCopy, MergesIntoAnExistingTreeButNeverReplacesAFile) {
    QelTestDir dir;
    MakeSampleTree(dir / "src");
    MakeFile(dir / "dst/sub/b.txt", "old b");
    MakeFile(dir / "dst/keep.txt", "untouched");
    EXPECT_FALSE(Mng()->doCopyFolderContents(Q(dir / "src"), Q(dir / "dst")));
    EXPECT_EQ(ReadBytes(dir / "dst/sub/b.txt"), "old b");
    EXPECT_EQ(ReadBytes(dir / "dst/keep.txt"), "untouched");
    // The failed entry does not stop the rest.
    EXPECT_EQ(ReadBytes(dir / "dst/a.txt"), "a");
    EXPECT_EQ(ReadBytes(dir / "dst/sub/deeper/c.txt"), "c");
}

TEST(CQelFileMngCopy, SourceEdgeCases) {
    QelTestDir dir;
    MakeFile(dir / "file.txt", "x");
    // A file as source: the destination is made, nothing is copied, and that is success.
    EXPECT_TRUE(Mng()->doCopyFolderContents(Q(dir / "file.txt"), Q(dir / "d1")));
    EXPECT_TRUE(IsDir(dir / "d1"));
    EXPECT_TRUE(std::filesystem::is_empty(dir / "d1"));
    // A missing source fails after the destination was made.
    EXPECT_FALSE(Mng()->doCopyFolderContents(Q(dir / "missing"), Q(dir / "d2")));
    EXPECT_TRUE(IsDir(dir / "d2"));
    // A destination that cannot be made fails before anything happens.
    EXPECT_FALSE(Mng()->doCopyFolderContents(Q(dir.path()), Q(dir / "file.txt/d3")));
}

TEST(CQelFileMngCopy, LinksAreCopiedAsLinksNotFollowed) {
    QelTestDir dir;
    MakeFile(dir / "outside/secret.txt", "s");
    MakeFile(dir / "src/a.txt", "a");
    ::symlink((dir / "outside").c_str(), (dir / "src/folder-link").c_str());
    ::symlink("a.txt", (dir / "src/file-link").c_str());
    ASSERT_TRUE(Mng()->doCopyFolderContents(Q(dir / "src"), Q(dir / "dst")));
    EXPECT_EQ(std::filesystem::read_symlink(dir / "dst/folder-link"), dir / "outside");
    EXPECT_EQ(std::filesystem::read_symlink(dir / "dst/file-link"), "a.txt");
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "dst/folder-link"));
}

TEST(CQelFileMngCopy, IntoItselfOrItsOwnSubfolderIsRefusedBeforeWriting) {
    QelTestDir dir;
    MakeFile(dir / "src/a.txt", "a");
    MakeFile(dir / "src/sub/b.txt", "b");
    EXPECT_FALSE(Mng()->doCopyFolderContents(Q(dir / "src"), Q(dir / "src/sub")));
    EXPECT_FALSE(Mng()->doCopyFolderContents(Q(dir / "src"), Q(dir / "src")));
    EXPECT_EQ(Names(dir / "src/sub"), std::vector<std::string>{"b.txt"});
    EXPECT_EQ(Names(dir / "src"), (std::vector<std::string>{"a.txt", "sub"}));
}

TEST(CQelFileMngCopy, CancelledBeforeTheStartCopiesNothing) {
    QelTestDir dir;
    MakeSampleTree(dir / "src");
    const std::atomic<bool> cancel{true};
    EXPECT_FALSE(Mng()->doCopyFolderContents(Q(dir / "src"), Q(dir / "dst"), &cancel));
    EXPECT_TRUE(std::filesystem::is_empty(dir / "dst"));
}

TEST(CQelFileMngCopy, PumpsBetweenEntriesAtMostOncePerInterval) {
    QelTestDir dir;
    MakeSampleTree(dir / "src");
    int calls = 0;
    CQelWinUtilFunc::SetPumpHook([&calls] { ++calls; });
    CQelFileMng::SetPumpInterval({});
    EXPECT_TRUE(Mng()->doCopyFolderContents(Q(dir / "src"), Q(dir / "dst")));
    // src: a.txt sub .git caf.txt empty; sub: b.txt deeper .hidden; deeper: c.txt; .git: config
    EXPECT_EQ(calls, 10);
    calls = 0;
    CQelFileMng::SetPumpInterval(std::chrono::hours(1));
    EXPECT_TRUE(Mng()->doCopyFolderContents(Q(dir / "src"), Q(dir / "dst2")));
    EXPECT_EQ(calls, 1);
    CQelFileMng::SetPumpInterval(CQelFileMng::kPumpInterval);
    CQelWinUtilFunc::SetPumpHook(nullptr);
}

TEST(CQelFileMngDelete, DeletesTheWholeTreeAndLogs) {
    QelTestDir dir;
    MakeFile(dir / "t/a.txt", "a");
    MakeFile(dir / "t/sub/b.txt", "b");
    std::filesystem::create_directories(dir / "t/sub/empty");
    ::setenv("QELTESSARY_LOG", "1", 1);
    CQelLogMng::DeleteInstance();
    testing::internal::CaptureStderr();
    EXPECT_TRUE(Mng()->doDeleteFolderContents(Q(dir / "t")));
    const std::string log = testing::internal::GetCapturedStderr();
    CQelLogMng::GetInstance()->SetEnabled(false);
    EXPECT_FALSE(Exists(dir / "t"));
    const std::string top = "doDeleteFolderContents[" + (dir / "t") + "]";
    const std::size_t start = log.find(top + " Start");
    const std::size_t inner = log.find("doDeleteFolderContents[" + (dir / "t/sub") + "] Start");
    const std::size_t end = log.find(top + " End");
    ASSERT_NE(start, std::string::npos) << log;
    ASSERT_NE(inner, std::string::npos) << log;
    ASSERT_NE(end, std::string::npos) << log;
    EXPECT_LT(start, inner);
    EXPECT_LT(inner, end);
}

TEST(CQelFileMngDelete, ReadOnlyFileStopsTheFolderAndStays) {
    QelTestDir dir;
    MakeFile(dir / "t/sub/locked.txt", "keep me");
    ::chmod((dir / "t/sub/locked.txt").c_str(), 0444);
    MakeFile(dir / "t/other.txt", "o");
    EXPECT_FALSE(Mng()->doDeleteFolderContents(Q(dir / "t")));
    EXPECT_EQ(ReadBytes(dir / "t/sub/locked.txt"), "keep me");
    EXPECT_TRUE(IsDir(dir / "t/sub"));
    // A failed sub-folder does not stop its parent: the other file is gone.
    EXPECT_FALSE(Exists(dir / "t/other.txt"));
}

TEST(CQelFileMngDelete, DotNamesAreDeletedLikeAnyOther) {
    QelTestDir dir;
    MakeFile(dir / "t/.keep", "k");
    MakeFile(dir / "t/.git/config", "c");
    MakeFile(dir / "t/x.txt", "x");
    EXPECT_TRUE(Mng()->doDeleteFolderContents(Q(dir / "t/")));
    EXPECT_FALSE(Exists(dir / "t"));
}

TEST(CQelFileMngDelete, OnlyFoldersAndNeverThroughLinks) {
    QelTestDir dir;
    MakeFile(dir / "file.txt", "f");
    MakeFile(dir / "outside/precious.txt", "p");
    EXPECT_FALSE(Mng()->doDeleteFolderContents(Q(dir / "file.txt")));
    EXPECT_FALSE(Mng()->doDeleteFolderContents(Q(dir / "missing")));
    std::filesystem::create_directories(dir / "t");
    ::symlink((dir / "outside").c_str(), (dir / "t/link").c_str());
    EXPECT_TRUE(Mng()->doDeleteFolderContents(Q(dir / "t")));
    EXPECT_FALSE(Exists(dir / "t"));
    EXPECT_EQ(ReadBytes(dir / "outside/precious.txt"), "p");
    ::symlink((dir / "outside").c_str(), (dir / "top-link").c_str());
    EXPECT_FALSE(Mng()->doDeleteFolderContents(Q(dir / "top-link")));
    EXPECT_EQ(ReadBytes(dir / "outside/precious.txt"), "p");
}

TEST(CQelFileMngDelete, CancelAndPumpFlag) {
    QelTestDir dir;
    MakeFile(dir / "t/a.txt", "a");
    MakeFile(dir / "t/b.txt", "b");
    int calls = 0;
    CQelWinUtilFunc::SetPumpHook([&calls] { ++calls; });
    CQelFileMng::SetPumpInterval({});
    const std::atomic<bool> cancel{true};
    EXPECT_FALSE(Mng()->doDeleteFolderContents(Q(dir / "t"), &cancel));
    EXPECT_TRUE(Exists(dir / "t/a.txt"));
    EXPECT_TRUE(Mng()->doDeleteFolderContents(Q(dir / "t"), nullptr, false));
    EXPECT_EQ(calls, 0);
    MakeFile(dir / "u/a.txt", "a");
    EXPECT_TRUE(Mng()->doDeleteFolderContents(Q(dir / "u"), nullptr, true));
    EXPECT_EQ(calls, 1);
    CQelWinUtilFunc::SetPumpHook(nullptr);
    CQelFileMng::SetPumpInterval(CQelFileMng::kPumpInterval);
}

TEST(CQelFileMng, SingleInstanceAndDirectoryChain) {
    CQelFileMng* first = CQelFileMng::GetInstance();
    EXPECT_EQ(first, CQelFileMng::GetInstance());
    QelTestDir dir;
    EXPECT_TRUE(first->doMakeDirectoryChain(Q(dir / "x/y/z/")));
    EXPECT_TRUE(IsDir(dir / "x/y/z"));
    CQelFileMng::DeleteInstance();
    EXPECT_NE(CQelFileMng::GetInstance(), nullptr);
}

TEST(CQelFileMngTree, WideFolderOfSubfoldersIsWalkedOnce) {
    QelTestDir dir;
    for (int i = 0; i < 300; ++i) MakeFile(dir / ("src/d" + std::to_string(i) + "/f.txt"), std::to_string(i));
    ASSERT_TRUE(Mng()->doCopyFolderContents(Q(dir / "src"), Q(dir / "dst")));
    int copied = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir / "dst")) {
        EXPECT_EQ(ReadBytes(e.path() / "f.txt"), e.path().filename().string().substr(1));
        ++copied;
    }
    EXPECT_EQ(copied, 300);
    EXPECT_TRUE(Mng()->doDeleteFolderContents(Q(dir / "dst")));
    EXPECT_FALSE(Exists(dir / "dst"));
}
