// The single-instance socket: one per user, display and program home, in a
// private folder, never used when another user placed it or listens on it.

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QSignalSpy>
#include <filesystem>

#include "CQelSingleInstance.h"
#include "QelAppTestHome.h"

namespace {

constexpr uid_t kOtherUser = 65534;

std::string MakeFolder(const QelAppTestHome& home, const std::string& leaf, mode_t mode) {
    std::filesystem::create_directories(home / leaf);
    ::chmod((home / leaf).c_str(), mode);
    return home / leaf;
}

// A listening Unix socket at path; its descriptor.
int ListenAt(const std::string& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, sizeof address.sun_path - 1);
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 4) != 0)
        return -1;
    return fd;
}

}  // namespace

TEST(CQelSingleInstance, EachUserDisplayAndProgramHomeKeepsItsOwnProgram) {
    QelAppTestHome home;
    ScopedEnv runtime("XDG_RUNTIME_DIR", MakeFolder(home, "run", 0700));
    ScopedEnv wayland("WAYLAND_DISPLAY", "");
    ScopedEnv programHome("QELTESSARY_HOME", "");
    const auto pathFor = [](const char* display, const char* wayland = "", const char* programHome = "") {
        ScopedEnv x("DISPLAY", display), w("WAYLAND_DISPLAY", wayland), h("QELTESSARY_HOME", programHome);
        return CQelSingleInstance::DefaultPath();
    };
    EXPECT_TRUE(CQelSingleInstance::DefaultName().startsWith(QStringLiteral("CORVANE_CLIENT_WIN_TESSARY-%1-").arg(::getuid())));
    EXPECT_TRUE(pathFor(":1").startsWith(QString::fromStdString(home / "run/")));
    EXPECT_EQ(pathFor(":1"), pathFor(":1"));
    for (const QString& other : {pathFor(":2"), pathFor(":1", "wayland-0"), pathFor(":1", "", "/tmp/one")})
        EXPECT_NE(other, pathFor(":1")) << other.toStdString();
    EXPECT_NE(pathFor(":1", "wayland-0"), pathFor(":1", "wayland-1"));
    EXPECT_NE(pathFor(":1", "", "/tmp/one"), pathFor(":1", "", "/tmp/two"));

    CQelSingleInstance first(pathFor(":1"));
    CQelSingleInstance second(pathFor(":2"));
    EXPECT_FALSE(first.ForwardToRunningInstance());
    EXPECT_FALSE(second.ForwardToRunningInstance());  // a start on another display gets a program
    QSignalSpy firstRaised(&first, &CQelSingleInstance::RaiseRequested);
    QSignalSpy secondRaised(&second, &CQelSingleInstance::RaiseRequested);
    CQelSingleInstance again(pathFor(":1"));
    EXPECT_TRUE(again.ForwardToRunningInstance());
    EXPECT_TRUE(firstRaised.wait(10000));
    EXPECT_EQ(secondRaised.count(), 0);
}

TEST(CQelSingleInstance, RuntimeFolderMustBePrivateElseAnOwnFolderIsUsedThatNoOtherUserMade) {
    QelAppTestHome home;
    ScopedEnv tmp("TMPDIR", MakeFolder(home, "tmp", 0777));
    ScopedEnv display("DISPLAY", ":0");
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
    const int listener = ListenAt(own + "/" + CQelSingleInstance::DefaultName().toStdString());
    ASSERT_GE(listener, 0);
    EXPECT_TRUE(CQelSingleInstance::SocketFolder().isEmpty());
    CQelSingleInstance instance(CQelSingleInstance::DefaultPath());
    EXPECT_FALSE(instance.ForwardToRunningInstance());  // the program starts on its own
    EXPECT_LT(::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC), 0) << "nobody connected";
    ::close(listener);
}

TEST(CQelSingleInstance, APeerOfAnotherUserIsToldNothing) {
    if (::geteuid() != 0) GTEST_SKIP() << "a listener of another user needs root to set up";
    QelAppTestHome home;
    ScopedEnv runtime("XDG_RUNTIME_DIR", MakeFolder(home, "run", 0700));
    const std::string staging = MakeFolder(home, "staging", 0777);
    ::chmod(home.path().c_str(), 0755);
    int ready[2], go[2], report[2];
    ASSERT_EQ(::pipe(ready) | ::pipe(go) | ::pipe(report), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        char byte = 0;
        if (::setgid(kOtherUser) != 0 || ::setuid(kOtherUser) != 0) ::_exit(2);
        const int listener = ListenAt(staging + "/sock");
        (void)!::write(ready[1], "r", 1);
        (void)!::read(go[0], &byte, 1);
        int received = -1;  // -1: nobody connected
        if (const int peer = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC); peer >= 0) {
            char buffer[64];
            received = static_cast<int>(std::max<ssize_t>(::recv(peer, buffer, sizeof buffer, 0), 0));
        }
        (void)!::write(report[1], &received, sizeof received);
        ::_exit(0);
    }
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    // Their socket, under our name in our private folder, made to look ours.
    const QString path = CQelSingleInstance::DefaultPath();
    ASSERT_EQ(::rename((staging + "/sock").c_str(), path.toLocal8Bit().constData()), 0);
    ASSERT_EQ(::chown(path.toLocal8Bit().constData(), ::getuid(), ::getgid()), 0);
    CQelSingleInstance instance(path);
    EXPECT_FALSE(instance.ForwardToRunningInstance());
    ASSERT_EQ(::write(go[1], "g", 1), 1);
    int received = -2;
    ASSERT_EQ(::read(report[0], &received, sizeof received), static_cast<ssize_t>(sizeof received));
    ::waitpid(child, nullptr, 0);
    EXPECT_EQ(received, 0) << "connected, checked and left without a word";
    for (int fd : {ready[0], ready[1], go[0], go[1], report[0], report[1]}) ::close(fd);
}
