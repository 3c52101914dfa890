// What the file layer must never do to a user's files: act through a link it
// was handed as the last component of a path, leave half a copy behind, or
// take a name for another one.
#include <gtest/gtest.h>
#include <unistd.h>

#include "../common/QelTreeText.h"
#include "CQelFileMng.h"
#include "QelDirCursor.h"
#include "QelFileOps.h"
#include "QelPath.h"
#include "QelTmpfsMount.h"
#include "QelTreeFixture.h"

namespace {
CQelFileMng* Mng() { return CQelFileMng::GetInstance(); }

// The ways a user or a caller may write the path of a link to a folder.
const char* const kLinkSpellings[] = {"link", "link/", "link//", "link///"};
}  // namespace

TEST(QelLinkAtTheTop, TreeOperationsNeverEnterALinkedFolder) {
    for (const char* spelling : kLinkSpellings) {
        QelTestDir dir;
        MakeTree(dir.path(), {"real/a.txt=precious", "src/a.txt=new", "link->real"});
        EXPECT_FALSE(Mng()->doDeleteFolderContents(Q(dir / spelling))) << spelling;
        EXPECT_FALSE(Mng()->doCopyFolderContents(Q(dir / "src"), Q(dir / spelling))) << spelling;
        // As a source the link is no folder: nothing behind it is copied.
        EXPECT_TRUE(Mng()->doCopyFolderContents(Q(dir / spelling), Q(dir / "out"))) << spelling;
        EXPECT_EQ(TreeText(dir.path()), "link->real out/ real/ real/a.txt=precious src/ src/a.txt=new") << spelling;
    }
}

TEST(QelLinkAtTheTop, SingleFileOperationsActOnTheLinkItself) {
    QelTestDir dir;
    MakeTree(dir.path(), {"real/target.txt=t", "flink->real/target.txt", "dlink->real", "other.txt=o"});
    EXPECT_FALSE(qel::CopyFile(Q(dir / "flink"), Q(dir / "copy")));  // a link is not copied as a file
    EXPECT_FALSE(qel::CopyFile(Q(dir / "other.txt"), Q(dir / "flink/")));  // neither replaced nor written through
    ASSERT_TRUE(qel::MoveFile(Q(dir / "dlink/"), Q(dir / "moved")));
    EXPECT_EQ(TreeText(dir.path()), "flink->real/target.txt moved->real other.txt=o real/ real/target.txt=t");
    EXPECT_TRUE(qel::DeleteFile(Q(dir / "moved/")));
    EXPECT_EQ(TreeText(dir.path()), "flink->real/target.txt other.txt=o real/ real/target.txt=t");
}

// A folder is entered through a link only when the caller follows links; an
// entry whose type the file system leaves unsaid is judged by the entry itself.
TEST(QelLinkAtTheTop, AFolderHandleFollowsALinkOnlyWhenToldAndAnUnnamedTypeIsLookedUp) {
    QelTestDir dir;
    MakeTree(dir.path(), {"real/", "link->real", "file=f"});
    QelDirHandle handle;
    EXPECT_FALSE(handle.Open(AT_FDCWD, (dir / "link").c_str(), false));
    EXPECT_TRUE(handle.Open(AT_FDCWD, (dir / "link").c_str(), true));
    ASSERT_TRUE(handle.Open(AT_FDCWD, dir.path().c_str(), false));
    const std::pair<const char*, int> types[] = {{"real", DT_DIR}, {"link", DT_LNK}, {"file", DT_REG}, {"gone", DT_UNKNOWN}};
    for (const auto& [name, type] : types) EXPECT_EQ(EntryType(handle.Fd(), {name}), type) << name;
}

TEST(QelFullDisk, AFailedCopyLeavesNothingBehind) {
    QelTestDir dir;
    QelTmpfsMount small(dir / "small", "64k");
    if (!small.Mounted()) GTEST_SKIP() << small.WhyNot();
    MakeTree(dir.path(), {"src/f.bin=" + std::string(200000, 'n'), "small/dst/"});
    EXPECT_FALSE(Mng()->doCopyFolderContents(Q(dir / "src"), Q(dir / "small/dst")));
    EXPECT_FALSE(qel::CopyFile(Q(dir / "src/f.bin"), Q(dir / "small/dst/g.bin")));
    EXPECT_EQ(TreeText(dir / "small"), "dst/");
}

TEST(QelTrailingBlank, IsPartOfTheNameEverywhere) {
    QelTestDir dir;
    MakeTree(dir.path(), {"src /a.txt=a"});
    ASSERT_TRUE(Mng()->doCopyFolderContents(Q(dir / "src "), Q(dir / "dst ")));
    EXPECT_TRUE(qel::MakeDirectoryChain(Q(dir / "new  /deeper ")));
    EXPECT_EQ(TreeText(dir.path()), "dst / dst /a.txt=a new  / new  /deeper / src / src /a.txt=a");
    EXPECT_TRUE(Mng()->doDeleteFolderContents(Q(dir / "dst ")));
    EXPECT_EQ(TreeText(dir.path()), "new  / new  /deeper / src / src /a.txt=a");
}
