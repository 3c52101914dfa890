// Trees far deeper than any path the system call interface accepts.
#include <gtest/gtest.h>

#include "CQelFileMng.h"
#include "CQelWinUtilFunc.h"
#include "QelTreeFixture.h"

namespace {
constexpr int kDepth = 5000;  // 5000 levels of "level/" make a path of 30000 bytes

// The content of bottom.txt at the foot of the deep tree, or "" when a level is missing.
std::string ReadDeepBottom(const std::string& root) {
    const int fd = DeepLevel(root, kDepth, false);
    const int file = fd >= 0 ? ::openat(fd, "bottom.txt", O_RDONLY) : -1;
    char buffer[16] = {};
    const ssize_t n = file >= 0 ? ::read(file, buffer, sizeof buffer) : -1;
    if (file >= 0) ::close(file);
    if (fd >= 0) ::close(fd);
    return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : "";
}

// Makes root/level/.../level/bottom.txt, or sets its mode (its path is too long for chmod).
void DeepBottom(const std::string& root, bool make, mode_t mode) {
    const int fd = DeepLevel(root, kDepth, make);
    ASSERT_GE(fd, 0);
    if (make) {
        const int file = ::openat(fd, "bottom.txt", O_WRONLY | O_CREAT, 0644);
        ASSERT_EQ(::write(file, "deep", 4), 4);
        ::close(file);
    }
    EXPECT_EQ(::fchmodat(fd, "bottom.txt", mode, 0), 0);
    ::close(fd);
}

}  // namespace

TEST(CQelFileMngDeepTree, CopiesAndDeletesFiveThousandLevelsWithAHandfulOfDescriptors) {
    QelTestDir dir;
    std::filesystem::create_directories(dir / "src");
    DeepBottom(dir / "src", true, 0644);
    const int before = OpenDescriptors();
    int most = 0, calls = 0;
    CQelFileMng::SetPumpInterval({});  // sample on every entry
    CQelWinUtilFunc::SetPumpHook([&] {
        if (++calls % 250 == 0) most = std::max(most, OpenDescriptors());
    });
    EXPECT_TRUE(CQelFileMng::GetInstance()->doCopyFolderContents(Q(dir / "src"), Q(dir / "dst")));
    EXPECT_EQ(ReadDeepBottom(dir / "dst"), "deep");
    EXPECT_LE(most - before, 8);
    most = 0;
    EXPECT_TRUE(CQelFileMng::GetInstance()->doDeleteFolderContents(Q(dir / "dst")));
    EXPECT_LE(most - before, 8);
    CQelWinUtilFunc::SetPumpHook(nullptr);
    CQelFileMng::SetPumpInterval(CQelFileMng::kPumpInterval);
    EXPECT_FALSE(Exists(dir / "dst"));
    EXPECT_EQ(OpenDescriptors(), before);

    // A read-only file at the bottom is kept and reported; once writable the tree goes.
    DeepBottom(dir / "src", false, 0444);
    EXPECT_FALSE(CQelFileMng::GetInstance()->doDeleteFolderContents(Q(dir / "src")));
    EXPECT_EQ(ReadDeepBottom(dir / "src"), "deep");
    DeepBottom(dir / "src", false, 0644);
    EXPECT_TRUE(CQelFileMng::GetInstance()->doDeleteFolderContents(Q(dir / "src")));
    EXPECT_FALSE(Exists(dir / "src"));
}
