#include <gtest/gtest.h>

#include "../common/QelTreeText.h"
#include "QelFileOps.h"
#include "QelTmpfsMount.h"
#include "QelTreeFixture.h"

// Every refusal leaves source and target as they were.
TEST(QelFileOps, RefusesToReplaceOrToActOnWhatIsNoFile) {
    enum Op { Copy, Move, Delete };
    const struct { Op op; const char *from, *to; } cases[] = {{Copy, "a", "b"},      {Copy, "a", "a"},      {Copy, "a", "ro"},   {Copy, "a", "folder"},
                 {Copy, "missing", "x"}, {Copy, "folder", "x"}, {Move, "a", "b"},    {Move, "missing", "x"},
                 {Delete, "ro", ""},     {Delete, "folder", ""}, {Delete, "missing", ""}, {Delete, "folder/..", ""},
                 {Copy, "a", "folder/."}, {Move, "folder/..", "x"}};
    for (const auto& c : cases) {
        QelTestDir dir;
        MakeTree(dir.path(), {"a=new", "b=old", "ro=read-only", "folder/"});
        ::chmod((dir / "ro").c_str(), 0444);
        const bool done = c.op == Copy   ? qel::CopyFile(Q(dir / c.from), Q(dir / c.to))
                          : c.op == Move ? qel::MoveFile(Q(dir / c.from), Q(dir / c.to))
                                         : qel::DeleteFile(Q(dir / c.from));  // read-only also for root, who could
        EXPECT_FALSE(done) << c.op << " " << c.from << " " << c.to;
        EXPECT_EQ(TreeText(dir.path()), "a=new b=old folder/ ro=read-only") << c.op << " " << c.from << " " << c.to;
    }
}

TEST(QelFileOps, CopyKeepsModeAndTimesMoveAndDeleteTakeOddNamesAndLinks) {
    QelTestDir dir;
    MakeTree(dir.path(), {"src=" + std::string(300000, 'q'), "link->src", "folder/"});
    ::chmod((dir / "src").c_str(), 0751);
    const timespec times[2] = {{1000000, 0}, {1234567, 0}};
    ::utimensat(AT_FDCWD, (dir / "src").c_str(), times, 0);
    ASSERT_TRUE(qel::CopyFile(Q(dir / "src"), Q(dir / "dst")));
    struct stat st;
    ASSERT_EQ(::stat((dir / "dst").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0751u);
    EXPECT_EQ(st.st_mtim.tv_sec, 1234567);
    EXPECT_TRUE(qel::MoveFile(Q(dir / "dst"), Q(dir / "c\xFF")));
    EXPECT_EQ(ReadBytes(dir / "c\xFF"), std::string(300000, 'q'));
    EXPECT_TRUE(qel::DeleteFile(Q(dir / "c\xFF")));
    ::chmod((dir / "src").c_str(), 0444);
    EXPECT_TRUE(qel::DeleteFile(Q(dir / "link")));  // the link goes, its read-only target stays
    EXPECT_EQ(Names(dir.path()), (std::set<std::string>{"folder", "src"}));
    // A path relative to the working folder names its last component there.
    ASSERT_EQ(::chdir(dir.path().c_str()), 0);
    EXPECT_TRUE(qel::CopyFile(Q("src"), Q("folder/copy")));
    EXPECT_TRUE(qel::MoveFile(Q("folder/copy"), Q("moved")));
    EXPECT_EQ(ReadBytes(dir / "moved").size(), 300000u);
    EXPECT_EQ(::chdir("/"), 0);
}

TEST(QelFileOps, MoveAcrossFileSystemsCopiesThenDeletesOrLeavesNoSecondCopy) {
    QelTestDir dir;
    QelTmpfsMount other(dir / "other", "1m");
    if (!other.Mounted()) GTEST_SKIP() << other.WhyNot();
    MakeTree(dir.path(), {"a=A", "b=B", "ro=R"});
    ::chmod((dir / "ro").c_str(), 0444);
    EXPECT_TRUE(qel::MoveFile(Q(dir / "a"), Q(dir / "other/a")));
    EXPECT_FALSE(qel::MoveFile(Q(dir / "b"), Q(dir / "other/a")));   // exists there
    EXPECT_FALSE(qel::MoveFile(Q(dir / "ro"), Q(dir / "other/r")));  // cannot delete the source: no second copy
    EXPECT_EQ(TreeText(dir.path()), "b=B other/ other/a=A ro=R");
}
