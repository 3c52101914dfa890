// Trees far deeper than any path the system call interface accepts.
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "CQelFileMng.h"
#include "CQelWinUtilFunc.h"
#include "QelTreeFixture.h"

namespace {
constexpr int kDepth = 5000;
const char kLevel[] = "level";  // 5000 levels of "level/" make a path of 30000 bytes

// Builds root/level/level/.../level/bottom.txt by descriptors.
void MakeDeepTree(const std::string& root) {
    int fd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(fd, 0);
    for (int i = 0; i < kDepth; ++i) {
        ASSERT_EQ(::mkdirat(fd, kLevel, 0755), 0);
        const int next = ::openat(fd, kLevel, O_RDONLY | O_DIRECTORY);
        ::close(fd);
        ASSERT_GE(next, 0);
        fd = next;
    }
    const int file = ::openat(fd, "bottom.txt", O_WRONLY | O_CREAT, 0644);
    ASSERT_EQ(::write(file, "deep", 4), 4);
    ::close(file);
    ::close(fd);
}

// Walks down the deep tree; the content of bottom.txt, or "" when a level is missing.
std::string ReadDeepBottom(const std::string& root) {
    int fd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY);
    for (int i = 0; i < kDepth && fd >= 0; ++i) {
        const int next = ::openat(fd, kLevel, O_RDONLY | O_DIRECTORY);
        ::close(fd);
        fd = next;
    }
    if (fd < 0) return "";
    char buffer[16] = {};
    const int file = ::openat(fd, "bottom.txt", O_RDONLY);
    const ssize_t n = file >= 0 ? ::read(file, buffer, sizeof buffer) : -1;
    if (file >= 0) ::close(file);
    ::close(fd);
    return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : "";
}

// Sets the mode of bottom.txt through descriptors (its path is too long for chmod).
bool ChmodDeepBottom(const std::string& root, mode_t mode) {
    int fd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY);
    for (int i = 0; i < kDepth && fd >= 0; ++i) {
        const int next = ::openat(fd, kLevel, O_RDONLY | O_DIRECTORY);
        ::close(fd);
        fd = next;
    }
    const bool ok = fd >= 0 && ::fchmodat(fd, "bottom.txt", mode, 0) == 0;
    if (fd >= 0) ::close(fd);
    return ok;
}

int OpenDescriptors() {
    int n = 0;
    DIR* d = ::opendir("/proc/self/fd");
    while (d && ::readdir(d)) ++n;
    if (d) ::closedir(d);
    return n - 3;  // ".", ".." and the one reading
}
}  // namespace

TEST(CQelFileMngDeepTree, CopiesAndDeletesFiveThousandLevels) {
    QelTestDir dir;
    std::filesystem::create_directories(dir / "src");
    MakeDeepTree(dir / "src");
    ASSERT_EQ(ReadDeepBottom(dir / "src"), "deep");

    const int before = OpenDescriptors();
    int most = 0, calls = 0;
    CQelFileMng::SetPumpInterval({});  // sample on every entry
    CQelWinUtilFunc::SetPumpHook([&] {
        if (++calls % 250 == 0) most = std::max(most, OpenDescriptors());
    });
    EXPECT_TRUE(CQelFileMng::GetInstance()->doCopyFolderContents(Q(dir / "src"), Q(dir / "dst")));
    EXPECT_EQ(ReadDeepBottom(dir / "dst"), "deep");
    // The walk holds a handful of descriptors however deep it goes.
    EXPECT_LE(most - before, 8);

    most = 0;
    EXPECT_TRUE(CQelFileMng::GetInstance()->doDeleteFolderContents(Q(dir / "dst")));
    EXPECT_LE(most - before, 8);
    CQelWinUtilFunc::SetPumpHook(nullptr);
    CQelFileMng::SetPumpInterval(CQelFileMng::kPumpInterval);
    EXPECT_FALSE(Exists(dir / "dst"));
    EXPECT_EQ(OpenDescriptors(), before);
    EXPECT_TRUE(CQelFileMng::GetInstance()->doDeleteFolderContents(Q(dir / "src")));
    EXPECT_FALSE(Exists(dir / "src"));
}

TEST(CQelFileMngDeepTree, ReadOnlyFileAtTheBottomIsKeptAndReported) {
    QelTestDir dir;
    std::filesystem::create_directories(dir / "src");
    MakeDeepTree(dir / "src");
    ASSERT_TRUE(ChmodDeepBottom(dir / "src", 0444));
    EXPECT_FALSE(CQelFileMng::GetInstance()->doDeleteFolderContents(Q(dir / "src")));
    EXPECT_EQ(ReadDeepBottom(dir / "src"), "deep");
    // Once writable again the same tree goes (and the test leaves nothing slow to clean up).
    ASSERT_TRUE(ChmodDeepBottom(dir / "src", 0644));
    EXPECT_TRUE(CQelFileMng::GetInstance()->doDeleteFolderContents(Q(dir / "src")));
    EXPECT_FALSE(Exists(dir / "src"));
}
