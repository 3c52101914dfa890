// The single-instance socket: one per user, display and program home, in a
// private folder, never used when another user placed it.

#include <sys/stat.h>

#include <QLocalServer>
#include <QSet>

#include "CQelSingleInstance.h"
#include "QelAppFixture.h"

namespace {

constexpr uid_t kOtherUser = 65534;

std::string MakeFolder(const QelAppTestHome& home, const std::string& leaf, mode_t mode) {
    home.WriteFile(leaf + "/");
    ::chmod((home / leaf).c_str(), mode);
    return home / leaf;
}

}  // namespace

// The forwarding itself: CTessaryDlgApp.SecondStartRaisesTheRunningWindowAndTouchesNoFile.
TEST(CQelSingleInstance, EachUserDisplayAndProgramHomeKeepsItsOwnProgram) {
    QelAppTestHome home;
    ScopedEnv runtime("XDG_RUNTIME_DIR", MakeFolder(home, "run", 0700));
    const auto pathFor = [](const char* display, const char* wayland = "", const char* programHome = "") {
        ScopedEnv x("DISPLAY", display), w("WAYLAND_DISPLAY", wayland), h("QELTESSARY_HOME", programHome);
        return CQelSingleInstance::DefaultPath();
    };
    EXPECT_TRUE(pathFor(":1").startsWith(QString::fromStdString(home / ("run/CORVANE_CLIENT_WIN_TESSARY-" + std::to_string(::getuid())))));
    EXPECT_EQ(pathFor(":1"), pathFor(":1"));
    const QString paths[] = {pathFor(":2"), pathFor(":1", "wayland-0"), pathFor(":1", "wayland-1"),
                             pathFor(":1", "", "/tmp/one"), pathFor(":1", "", "/tmp/two"), pathFor(":1")};
    EXPECT_EQ(QSet<QString>(std::begin(paths), std::end(paths)).size(), 6);
}

TEST(CQelSingleInstance, RuntimeFolderMustBePrivateElseAnOwnFolderIsUsedThatNoOtherUserMade) {
    QelAppTestHome home;
    ScopedEnv tmp("TMPDIR", MakeFolder(home, "tmp", 0777)), display("DISPLAY", ":0");
    const std::string own = home / ("tmp/qeltessary-" + std::to_string(::getuid()));
    std::filesystem::create_symlink(own, home / "run-link");
    for (const std::string& runtime : {MakeFolder(home, "r1", 0755), MakeFolder(home, "r2", 0701), std::string(),
                                       home / "run-link"}) {  // a link is not taken as the folder
        ScopedEnv xdg("XDG_RUNTIME_DIR", runtime);
        EXPECT_EQ(CQelSingleInstance::SocketFolder().toStdString(), own) << runtime;
        struct stat st;
        ASSERT_EQ(::lstat(own.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0700u);
    }
    // The other user was first: the folder is theirs (or, without root, open to all).
    ScopedEnv xdg("XDG_RUNTIME_DIR", "");
    ::chmod(own.c_str(), 0777);
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(own.c_str(), kOtherUser, kOtherUser), 0);
        ::chmod(own.c_str(), 0700);
    }
    QLocalServer listener;
    ASSERT_TRUE(listener.listen(QString::fromStdString(own + "/") + CQelSingleInstance::DefaultName()));
    EXPECT_TRUE(CQelSingleInstance::SocketFolder().isEmpty());
    CQelSingleInstance instance(CQelSingleInstance::DefaultPath());
    EXPECT_FALSE(instance.ForwardToRunningInstance());  // the program starts on its own
    EXPECT_FALSE(listener.waitForNewConnection(0)) << "somebody connected";
}
