#include <gtest/gtest.h>
#include <unistd.h>

#include "QelFileOps.h"
#include "QelTreeFixture.h"

TEST(QelCopyFile, NeverReplacesTheTarget) {
    QelTestDir dir;
    MakeFile(dir / "a.txt", "new");
    MakeFile(dir / "b.txt", "old");
    EXPECT_FALSE(qel::CopyFile(Q(dir / "a.txt"), Q(dir / "b.txt")));
    EXPECT_EQ(ReadBytes(dir / "b.txt"), "old");
    EXPECT_TRUE(qel::CopyFile(Q(dir / "a.txt"), Q(dir / "c.txt")));
    EXPECT_EQ(ReadBytes(dir / "c.txt"), "new");
}

TEST(QelCopyFile, KeepsModeAndTimesAndRefusesUnsafeTargets) {
    QelTestDir dir;
    MakeFile(dir / "src", std::string(300000, 'q'));
    ::chmod((dir / "src").c_str(), 0751);
    const timespec times[2] = {{1000000, 0}, {1234567, 0}};
    ::utimensat(AT_FDCWD, (dir / "src").c_str(), times, 0);
    ASSERT_TRUE(qel::CopyFile(Q(dir / "src"), Q(dir / "dst")));
    struct stat st;
    ASSERT_EQ(::stat((dir / "dst").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0751u);
    EXPECT_EQ(st.st_mtim.tv_sec, 1234567);
    EXPECT_EQ(ReadBytes(dir / "dst"), std::string(300000, 'q'));

    EXPECT_FALSE(qel::CopyFile(Q(dir / "src"), Q(dir / "src")));  // onto itself
    EXPECT_EQ(ReadBytes(dir / "src").size(), 300000u);
    MakeFile(dir / "ro", "read-only");
    ::chmod((dir / "ro").c_str(), 0444);
    EXPECT_FALSE(qel::CopyFile(Q(dir / "src"), Q(dir / "ro")));
    EXPECT_EQ(ReadBytes(dir / "ro"), "read-only");
    std::filesystem::create_directory(dir / "folder");
    EXPECT_FALSE(qel::CopyFile(Q(dir / "src"), Q(dir / "folder")));
    EXPECT_FALSE(qel::CopyFile(Q(dir / "missing"), Q(dir / "x")));
    EXPECT_FALSE(Exists(dir / "x"));
    EXPECT_FALSE(qel::CopyFile(Q(dir / "folder"), Q(dir / "y")));
    EXPECT_FALSE(Exists(dir / "y"));
}

TEST(QelMoveFile, NeverReplacesAnExistingTarget) {
    QelTestDir dir;
    MakeFile(dir / "a", "A");
    MakeFile(dir / "b", "B");
    EXPECT_FALSE(qel::MoveFile(Q(dir / "a"), Q(dir / "b")));
    EXPECT_EQ(ReadBytes(dir / "b"), "B");
    EXPECT_TRUE(Exists(dir / "a"));
    EXPECT_TRUE(qel::MoveFile(Q(dir / "a"), Q(dir / "c\xFF")));
    EXPECT_FALSE(Exists(dir / "a"));
    EXPECT_EQ(ReadBytes(dir / "c\xFF"), "A");
}

TEST(QelMoveFile, AcrossFileSystemsCopiesThenDeletes) {
    QelTestDir dir;
    struct stat tmp, shm;
    if (::stat("/dev/shm", &shm) != 0 || ::stat(dir.path().c_str(), &tmp) != 0 || tmp.st_dev == shm.st_dev)
        GTEST_SKIP() << "no second file system at hand";
    const std::string other = "/dev/shm/qeltest-move-" + std::to_string(::getpid());
    MakeFile(dir / "a", "A");
    ASSERT_TRUE(qel::MoveFile(Q(dir / "a"), Q(other)));
    EXPECT_FALSE(Exists(dir / "a"));
    EXPECT_EQ(ReadBytes(other), "A");
    MakeFile(dir / "b", "B");
    EXPECT_FALSE(qel::MoveFile(Q(dir / "b"), Q(other)));  // exists there
    EXPECT_EQ(ReadBytes(other), "A");
    MakeFile(dir / "ro", "R");
    ::chmod((dir / "ro").c_str(), 0444);
    ::unlink((other + "2").c_str());
    EXPECT_FALSE(qel::MoveFile(Q(dir / "ro"), Q(other + "2")));  // cannot delete the source: no second copy
    EXPECT_TRUE(Exists(dir / "ro"));
    EXPECT_FALSE(Exists(other + "2"));
    ::unlink(other.c_str());
}

TEST(QelDeleteFile, RefusesWriteProtectedFilesAndFolders) {
    QelTestDir dir;
    MakeFile(dir / "ro", "x");
    ::chmod((dir / "ro").c_str(), 0444);
    EXPECT_TRUE(qel::IsWriteProtected(0444 | S_IFREG));
    EXPECT_FALSE(qel::DeleteFile(Q(dir / "ro")));  // also for root, who could
    EXPECT_TRUE(Exists(dir / "ro"));
    std::filesystem::create_directory(dir / "folder");
    EXPECT_FALSE(qel::DeleteFile(Q(dir / "folder")));
    EXPECT_TRUE(IsDir(dir / "folder"));
    MakeFile(dir / "rw", "x");
    EXPECT_TRUE(qel::DeleteFile(Q(dir / "rw")));
    EXPECT_FALSE(Exists(dir / "rw"));
    ::symlink((dir / "ro").c_str(), (dir / "link").c_str());
    EXPECT_TRUE(qel::DeleteFile(Q(dir / "link")));  // the link goes, its target stays
    EXPECT_TRUE(Exists(dir / "ro"));
    EXPECT_FALSE(qel::DeleteFile(Q(dir / "missing")));
}
