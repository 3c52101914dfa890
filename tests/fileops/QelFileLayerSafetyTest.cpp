// What the file layer must never do to a user's files: act through a link it
// was handed as the last component of a path, leave half a copy behind, or
// take a name for another one.
#include <gtest/gtest.h>
#include <unistd.h>

#include "CQelFileMng.h"
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
        MakeFile(dir / "real/a.txt", "precious");
        MakeFile(dir / "src/a.txt", "new");
        ::symlink("real", (dir / "link").c_str());
        EXPECT_FALSE(Mng()->doDeleteFolderContents(Q(dir / spelling))) << spelling;
        EXPECT_FALSE(Mng()->doCopyFolderContents(Q(dir / "src"), Q(dir / spelling))) << spelling;
        EXPECT_EQ(ReadBytes(dir / "real/a.txt"), "precious") << spelling;
        EXPECT_TRUE(IsLink(dir / "link")) << spelling;
        // As a source the link is no folder: nothing behind it is copied.
        EXPECT_TRUE(Mng()->doCopyFolderContents(Q(dir / spelling), Q(dir / "out"))) << spelling;
        EXPECT_TRUE(Names(dir / "out").empty()) << spelling;
    }
}

TEST(QelLinkAtTheTop, SingleFileOperationsActOnTheLinkItself) {
    QelTestDir dir;
    MakeFile(dir / "real/target.txt", "t");
    ::symlink("real/target.txt", (dir / "flink").c_str());
    ::symlink("real", (dir / "dlink").c_str());

    EXPECT_FALSE(qel::CopyFile(Q(dir / "flink"), Q(dir / "copy")));  // a link is not copied as a file
    EXPECT_FALSE(Exists(dir / "copy"));
    MakeFile(dir / "other.txt", "o");
    EXPECT_FALSE(qel::CopyFile(Q(dir / "other.txt"), Q(dir / "flink/")));  // neither replaced nor written through
    EXPECT_TRUE(IsLink(dir / "flink"));
    EXPECT_EQ(ReadBytes(dir / "real/target.txt"), "t");
    ASSERT_TRUE(qel::MoveFile(Q(dir / "dlink/"), Q(dir / "moved")));
    EXPECT_TRUE(IsLink(dir / "moved"));
    EXPECT_TRUE(IsDir(dir / "real"));
    EXPECT_TRUE(qel::DeleteFile(Q(dir / "moved/")));
    EXPECT_FALSE(IsLink(dir / "moved"));
    EXPECT_EQ(ReadBytes(dir / "real/target.txt"), "t");
}

TEST(QelFullDisk, AFailedCopyLeavesNothingBehind) {
    QelTestDir dir;
    QelTmpfsMount small(dir / "small", "64k");
    if (!small.Mounted()) GTEST_SKIP() << small.WhyNot();
    MakeFile(dir / "src/f.bin", std::string(200000, 'n'));
    std::filesystem::create_directories(dir / "small/dst");
    EXPECT_FALSE(Mng()->doCopyFolderContents(Q(dir / "src"), Q(dir / "small/dst")));
    EXPECT_FALSE(qel::CopyFile(Q(dir / "src/f.bin"), Q(dir / "small/dst/g.bin")));
    EXPECT_TRUE(Names(dir / "small/dst").empty());
}

TEST(QelTrailingBlank, IsPartOfTheNameEverywhere) {
    QelTestDir dir;
    MakeFile(dir / "w/src /a.txt", "a");
    ASSERT_TRUE(Mng()->doCopyFolderContents(Q(dir / "w/src "), Q(dir / "w/dst ")));
    EXPECT_EQ(ReadBytes(dir / "w/dst /a.txt"), "a");
    EXPECT_FALSE(Exists(dir / "w/dst"));
    EXPECT_FALSE(Exists(dir / "w/src"));
    EXPECT_TRUE(qel::MakeDirectoryChain(Q(dir / "w/new  /deeper ")));
    EXPECT_TRUE(IsDir(dir / "w/new  /deeper "));
    EXPECT_FALSE(Exists(dir / "w/new"));
    EXPECT_TRUE(Mng()->doDeleteFolderContents(Q(dir / "w/dst ")));
    EXPECT_FALSE(Exists(dir / "w/dst "));
    EXPECT_TRUE(IsDir(dir / "w/src "));
}
