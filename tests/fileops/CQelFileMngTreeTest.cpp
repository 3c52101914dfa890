#include <gtest/gtest.h>

#include "../common/QelTreeText.h"
#include "CQelFileMng.h"
#include "CQelLogMng.h"
#include "CQelWinUtilFunc.h"
#include "QelTreeFixture.h"

namespace {
CQelFileMng* Mng() { return CQelFileMng::GetInstance(); }

// Files, a nested folder, dot-names, a name that is not UTF-8, an empty
// folder and links to a folder outside (../outside) and to a file within.
const Texts kSample = {"a.txt=a", "sub/b.txt=b", "sub/deeper/c.txt=c", ".git/config=dot folder", "sub/.hidden=dot file",
                       "caf\xE9\xFF.txt=latin1 name", "empty/", "folder-link->../outside", "file-link->a.txt"};
const std::string kSampleText = ".git/ .git/config=dot folder a.txt=a caf\xE9\xFF.txt=latin1 name empty/ file-link->a.txt "
                                "folder-link->../outside sub/ sub/.hidden=dot file sub/b.txt=b sub/deeper/ sub/deeper/c.txt=c";
}  // namespace

// Hidden names are ordinary files here: only "." and ".." are passed by.
// Links are copied as links, never followed, also one met in the destination.
TEST(CQelFileMngCopy, CopiesEveryNameAndMergesIntoAnExistingTreeWithoutReplacing) {
    QelTestDir dir;
    MakeTree(dir / "src", kSample);
    MakeTree(dir.path(), {"outside/secret.txt=s", "dst/sub/b.txt=old b", "dst/keep.txt=untouched", "dst/sub/deeper->../../outside"});
    ASSERT_TRUE(Mng()->doCopyFolderContents(Q(dir / "src"), Q(dir / "out/dst/")));
    EXPECT_EQ(TreeText(dir / "out/dst"), kSampleText);
    // The failed entry does not stop the rest.
    EXPECT_FALSE(Mng()->doCopyFolderContents(Q(dir / "src"), Q(dir / "dst")));
    EXPECT_EQ(TreeText(dir / "dst"), ".git/ .git/config=dot folder a.txt=a caf\xE9\xFF.txt=latin1 name empty/ file-link->a.txt "
                                     "folder-link->../outside keep.txt=untouched sub/ sub/.hidden=dot file sub/b.txt=old b "
                                     "sub/deeper->../../outside");
    EXPECT_EQ(TreeText(dir / "outside"), "secret.txt=s");
}

TEST(CQelFileMngCopy, SourceAndDestinationEdgeCases) {
    QelTestDir dir;
    MakeTree(dir.path(), {"file.txt=x", "src/a.txt=a", "src/sub/b.txt=b"});
    // A file as source: the destination is made, nothing is copied, and that is success.
    EXPECT_TRUE(Mng()->doCopyFolderContents(Q(dir / "file.txt"), Q(dir / "d1")));
    // A missing source fails after the destination was made.
    EXPECT_FALSE(Mng()->doCopyFolderContents(Q(dir / "missing"), Q(dir / "d2")));
    // A destination that cannot be made fails before anything happens.
    EXPECT_FALSE(Mng()->doCopyFolderContents(Q(dir / "src"), Q(dir / "file.txt/d3")));
    // Into itself or its own subfolder: refused before writing.
    EXPECT_FALSE(Mng()->doCopyFolderContents(Q(dir / "src"), Q(dir / "src/sub")));
    EXPECT_FALSE(Mng()->doCopyFolderContents(Q(dir / "src"), Q(dir / "src")));
    // Cancelled before the start: nothing copied, nothing deleted.
    const std::atomic<bool> cancel{true};
    EXPECT_FALSE(Mng()->doCopyFolderContents(Q(dir / "src"), Q(dir / "d4"), &cancel));
    EXPECT_FALSE(Mng()->doDeleteFolderContents(Q(dir / "src"), &cancel));
    EXPECT_EQ(TreeText(dir.path()), "d1/ d2/ d4/ file.txt=x src/ src/a.txt=a src/sub/ src/sub/b.txt=b");
}

TEST(CQelFileMngTree, PumpsBetweenEntriesAtMostOncePerIntervalAndDeleteOnlyWhenAsked) {
    QelTestDir dir;
    MakeTree(dir / "src", kSample);
    int calls = 0;
    CQelWinUtilFunc::SetPumpHook([&calls] { ++calls; });
    CQelFileMng::SetPumpInterval({});
    EXPECT_TRUE(Mng()->doCopyFolderContents(Q(dir / "src"), Q(dir / "dst")));
    EXPECT_EQ(calls, 12);  // one per entry
    EXPECT_TRUE(Mng()->doDeleteFolderContents(Q(dir / "dst"), nullptr, false));
    EXPECT_EQ(calls, 12);
    CQelFileMng::SetPumpInterval(std::chrono::hours(1));
    EXPECT_TRUE(Mng()->doCopyFolderContents(Q(dir / "src"), Q(dir / "dst2")));
    EXPECT_EQ(calls, 13);
    CQelFileMng::SetPumpInterval({});
    EXPECT_TRUE(Mng()->doDeleteFolderContents(Q(dir / "dst2"), nullptr, true));
    EXPECT_EQ(calls, 25);
    CQelFileMng::SetPumpInterval(CQelFileMng::kPumpInterval);
    CQelWinUtilFunc::SetPumpHook(nullptr);
}

TEST(CQelFileMngDelete, DeletesTheWholeTreeDotNamesIncludedNeverThroughLinksAndLogs) {
    QelTestDir dir;
    MakeTree(dir / "t", kSample);
    MakeTree(dir.path(), {"outside/secret.txt=s", "file.txt=f"});
    ::setenv("QELTESSARY_LOG", "1", 1);
    CQelLogMng::DeleteInstance();
    testing::internal::CaptureStderr();
    EXPECT_TRUE(Mng()->doDeleteFolderContents(Q(dir / "t")));
    const std::string log = testing::internal::GetCapturedStderr();
    CQelLogMng::GetInstance()->SetEnabled(false);
    const std::size_t start = log.find("doDeleteFolderContents[" + (dir / "t") + "] Start");
    const std::size_t inner = log.find("doDeleteFolderContents[" + (dir / "t/sub") + "] Start");
    const std::size_t end = log.find("doDeleteFolderContents[" + (dir / "t") + "] End");
    EXPECT_TRUE(start < inner && inner < end && end != std::string::npos) << log;
    EXPECT_FALSE(Mng()->doDeleteFolderContents(Q(dir / "file.txt")));
    EXPECT_FALSE(Mng()->doDeleteFolderContents(Q(dir / "missing")));
    EXPECT_EQ(TreeText(dir.path()), "file.txt=f outside/ outside/secret.txt=s");
}

TEST(CQelFileMngDelete, ReadOnlyFileStopsTheFolderAndStays) {
    QelTestDir dir;
    MakeTree(dir.path(), {"t/sub/locked.txt=keep me", "t/other.txt=o"});
    ::chmod((dir / "t/sub/locked.txt").c_str(), 0444);
    EXPECT_FALSE(Mng()->doDeleteFolderContents(Q(dir / "t")));
    // A failed sub-folder does not stop its parent: the other file is gone.
    EXPECT_EQ(TreeText(dir / "t"), "sub/ sub/locked.txt=keep me");
}
