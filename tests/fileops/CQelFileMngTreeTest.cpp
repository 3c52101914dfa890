#include <gtest/gtest.h>

#include "CQelFileMng.h"
#include "CQelLogMng.h"
#include "CQelWinUtilFunc.h"
#include "QelTreeFixture.h"

namespace {
CQelFileMng* Mng() { return CQelFileMng::GetInstance(); }

// A tree with files, a nested folder, dot-names, a name that is not UTF-8,
// an empty folder and links to a folder outside and to a file within.
void MakeSampleTree(const std::string& root, const std::string& outside) {
    MakeFile(root + "/a.txt", "a");
    MakeFile(root + "/sub/b.txt", "b");
    MakeFile(root + "/sub/deeper/c.txt", "c");
    MakeFile(root + "/.git/config", "dot folder");
    MakeFile(root + "/sub/.hidden", "dot file");
    MakeFile(root + "/caf\xE9\xFF.txt", "latin1 name");
    std::filesystem::create_directories(root + "/empty");
    MakeFile(outside + "/secret.txt", "s");
    ::symlink(outside.c_str(), (root + "/folder-link").c_str());
    ::symlink("a.txt", (root + "/file-link").c_str());
}
}  // namespace

// Hidden names are ordinary files here: only "." and ".." are passed by.
// Links are copied as links, never followed.
TEST(CQelFileMngCopy, CopiesEveryNameAndMergesIntoAnExistingTreeWithoutReplacing) {
    QelTestDir dir;
    MakeSampleTree(dir / "src", dir / "outside");
    ASSERT_TRUE(Mng()->doCopyFolderContents(Q(dir / "src"), Q(dir / "out/dst/")));
    const struct {
        const char* path;
        const char* bytes;
    } files[] = {{"a.txt", "a"},       {"sub/b.txt", "b"},           {"sub/deeper/c.txt", "c"},
                 {".git/config", "dot folder"}, {"sub/.hidden", "dot file"}, {"caf\xE9\xFF.txt", "latin1 name"}};
    for (const auto& f : files) EXPECT_EQ(ReadBytes(dir / "out/dst/" + f.path), f.bytes) << f.path;
    EXPECT_TRUE(IsDir(dir / "out/dst/empty"));
    EXPECT_EQ(std::filesystem::read_symlink(dir / "out/dst/folder-link"), dir / "outside");
    EXPECT_EQ(std::filesystem::read_symlink(dir / "out/dst/file-link"), "a.txt");
    EXPECT_EQ(Names(dir / "out/dst"), (std::set<std::string>{".git", "a.txt", "caf\xE9\xFF.txt", "empty", "file-link",
                                                             "folder-link", "sub"}));

    MakeFile(dir / "dst/sub/b.txt", "old b");
    MakeFile(dir / "dst/keep.txt", "untouched");
    EXPECT_FALSE(Mng()->doCopyFolderContents(Q(dir / "src"), Q(dir / "dst")));
    EXPECT_EQ(ReadBytes(dir / "dst/sub/b.txt"), "old b");
    EXPECT_EQ(ReadBytes(dir / "dst/keep.txt"), "untouched");
    EXPECT_EQ(ReadBytes(dir / "dst/a.txt"), "a");  // the failed entry does not stop the rest
    EXPECT_EQ(ReadBytes(dir / "dst/sub/deeper/c.txt"), "c");
}

TEST(CQelFileMngCopy, SourceAndDestinationEdgeCases) {
    QelTestDir dir;
    MakeFile(dir / "file.txt", "x");
    MakeFile(dir / "src/a.txt", "a");
    MakeFile(dir / "src/sub/b.txt", "b");
    // A file as source: the destination is made, nothing is copied, and that is success.
    EXPECT_TRUE(Mng()->doCopyFolderContents(Q(dir / "file.txt"), Q(dir / "d1")));
    EXPECT_TRUE(Names(dir / "d1").empty());
    // A missing source fails after the destination was made.
    EXPECT_FALSE(Mng()->doCopyFolderContents(Q(dir / "missing"), Q(dir / "d2")));
    EXPECT_TRUE(IsDir(dir / "d2"));
    // A destination that cannot be made fails before anything happens.
    EXPECT_FALSE(Mng()->doCopyFolderContents(Q(dir / "src"), Q(dir / "file.txt/d3")));
    // Into itself or its own subfolder: refused before writing.
    EXPECT_FALSE(Mng()->doCopyFolderContents(Q(dir / "src"), Q(dir / "src/sub")));
    EXPECT_FALSE(Mng()->doCopyFolderContents(Q(dir / "src"), Q(dir / "src")));
    EXPECT_EQ(Names(dir / "src/sub"), std::set<std::string>{"b.txt"});
    EXPECT_EQ(Names(dir / "src"), (std::set<std::string>{"a.txt", "sub"}));
    // Cancelled before the start: nothing copied, nothing deleted.
    const std::atomic<bool> cancel{true};
    EXPECT_FALSE(Mng()->doCopyFolderContents(Q(dir / "src"), Q(dir / "d4"), &cancel));
    EXPECT_TRUE(Names(dir / "d4").empty());
    EXPECT_FALSE(Mng()->doDeleteFolderContents(Q(dir / "src"), &cancel));
    EXPECT_TRUE(Exists(dir / "src/a.txt"));
}

TEST(CQelFileMngTree, PumpsBetweenEntriesAtMostOncePerIntervalAndDeleteOnlyWhenAsked) {
    QelTestDir dir;
    MakeSampleTree(dir / "src", dir / "outside");
    int calls = 0;
    CQelWinUtilFunc::SetPumpHook([&calls] { ++calls; });
    CQelFileMng::SetPumpInterval({});
    EXPECT_TRUE(Mng()->doCopyFolderContents(Q(dir / "src"), Q(dir / "dst")));
    // src: a.txt sub .git caf.txt empty 2 links; sub: b.txt deeper .hidden; deeper: c.txt; .git: config
    EXPECT_EQ(calls, 12);
    calls = 0;
    EXPECT_TRUE(Mng()->doDeleteFolderContents(Q(dir / "dst"), nullptr, false));
    EXPECT_EQ(calls, 0);
    CQelFileMng::SetPumpInterval(std::chrono::hours(1));
    EXPECT_TRUE(Mng()->doCopyFolderContents(Q(dir / "src"), Q(dir / "dst2")));
    EXPECT_EQ(calls, 1);
    CQelFileMng::SetPumpInterval({});
    EXPECT_TRUE(Mng()->doDeleteFolderContents(Q(dir / "dst2"), nullptr, true));
    EXPECT_EQ(calls, 13);  // one per entry
    CQelFileMng::SetPumpInterval(CQelFileMng::kPumpInterval);
    CQelWinUtilFunc::SetPumpHook(nullptr);
}

TEST(CQelFileMngDelete, DeletesTheWholeTreeDotNamesIncludedNeverThroughLinksAndLogs) {
    QelTestDir dir;
    MakeSampleTree(dir / "t", dir / "outside");
    ::setenv("QELTESSARY_LOG", "1", 1);
    CQelLogMng::DeleteInstance();
    testing::internal::CaptureStderr();
    EXPECT_TRUE(Mng()->doDeleteFolderContents(Q(dir / "t")));
    const std::string log = testing::internal::GetCapturedStderr();
    CQelLogMng::GetInstance()->SetEnabled(false);
    EXPECT_FALSE(Exists(dir / "t"));
    EXPECT_EQ(ReadBytes(dir / "outside/secret.txt"), "s");
    const std::size_t start = log.find("doDeleteFolderContents[" + (dir / "t") + "] Start");
    const std::size_t inner = log.find("doDeleteFolderContents[" + (dir / "t/sub") + "] Start");
    const std::size_t end = log.find("doDeleteFolderContents[" + (dir / "t") + "] End");
    EXPECT_TRUE(start < inner && inner < end && end != std::string::npos) << log;

    MakeFile(dir / "file.txt", "f");
    EXPECT_FALSE(Mng()->doDeleteFolderContents(Q(dir / "file.txt")));
    EXPECT_FALSE(Mng()->doDeleteFolderContents(Q(dir / "missing")));
    EXPECT_TRUE(Exists(dir / "file.txt"));
}

TEST(CQelFileMngDelete, ReadOnlyFileStopsTheFolderAndStays) {
    QelTestDir dir;
    MakeFile(dir / "t/sub/locked.txt", "keep me");
    ::chmod((dir / "t/sub/locked.txt").c_str(), 0444);
    MakeFile(dir / "t/other.txt", "o");
    EXPECT_FALSE(Mng()->doDeleteFolderContents(Q(dir / "t")));
    EXPECT_EQ(ReadBytes(dir / "t/sub/locked.txt"), "keep me");
    // A failed sub-folder does not stop its parent: the other file is gone.
    EXPECT_EQ(Names(dir / "t"), std::set<std::string>{"sub"});
}
