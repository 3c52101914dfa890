// The program itself, started as the user starts it, and its single-instance
// socket: one per user, display and program home, in a private folder, never
// used when another user placed it.
#include <QLocalServer>
#include <QProcess>
#include <QSet>
#include <sys/stat.h>

#include "CQelSingleInstance.h"
#include "QelAppFixture.h"

namespace {

constexpr uid_t kOtherUser = 65534;

std::string MakeFolder(const QelAppTestHome& home, const std::string& leaf, mode_t mode) {
    home.WriteFile(leaf + "/");
    ::chmod((home / leaf).c_str(), mode);
    return home / leaf;
}

// The program with its home in home, started with arguments.
void Start(QProcess& program, const std::string& home, const QStringList& arguments = {}) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QELTESSARY_HOME", QString::fromStdString(home));
    env.insert("ASAN_OPTIONS", "detect_leaks=0");
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(QEL_APP_BINARY), arguments);
}

}  // namespace

// SIGTERM (the session's end) saves as Exit does, and ends the program even
// when the save fails or a start-up warning is open; what it cannot replace
// stays. A second start meanwhile hands over to the running program at once.
TEST(CTessaryDlgApp, SigtermSavesTheSettingsAsExitDoesAndAlwaysEndsTheProgram) {
    const std::function<void(const QelAppTestHome&)> cases[] = {
        [](auto& h) { h.WriteFile("config/env.json", R"({"searchfilter": [{"name": "Docs"}]})"); },  // saved
        [](auto& h) { h.WriteFile("user", "a file where the user folder belongs"); },  // the save fails
        [](auto& h) { h.WriteFile("user/"), ::mkfifo((h / "user/env.json").c_str(), 0600); },  // a start-up warning
    };
    for (const auto& make : cases) {
        SCOPED_TRACE(&make - cases);
        QelAppTestHome home;
        make(home);
        const std::string before = TreeText(home.path());
        QProcess program;
        Start(program, home.path(), {QStringLiteral("--log")});
        program.setReadChannel(QProcess::StandardError);
        QByteArray log;  // its first own log line: by then SIGTERM is watched
        while (!log.contains("Program file:") && program.waitForReadyRead(60000)) log += program.readAllStandardError();
        if (&make == cases) {
            const std::string running = TreeText(home.path());
            QProcess second;
            Start(second, home.path());
            EXPECT_TRUE(second.waitForFinished(60000) && second.exitCode() == 0 && TreeText(home.path()) == running);
        }
        program.terminate();
        ASSERT_TRUE(program.waitForFinished(60000)) << "the program did not end on SIGTERM";
        EXPECT_TRUE(program.exitStatus() == QProcess::NormalExit && program.exitCode() == 0);
        const auto saved = [&] { return home.ReadUserEnv(); };  // else a fifo stays a fifo: nothing was replaced
        EXPECT_TRUE(&make == cases ? saved()["applastpos"].isObject() && saved()["searchpathhistory"].isArray() : TreeText(home.path()) == before);
    }
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
    ScopedEnv xdg("XDG_RUNTIME_DIR", "");
    const auto pathFor = [](const char* display, const char* wayland, const char* programHome) {
        ScopedEnv x("DISPLAY", display), w("WAYLAND_DISPLAY", wayland), h("QELTESSARY_HOME", programHome);
        return CQelSingleInstance::DefaultPath();
    };
    const QString paths[] = {pathFor(":1", "", ""), pathFor(":2", "", ""), pathFor(":1", "wayland-0", ""),
                             pathFor(":1", "", "/tmp/one"), pathFor(":1", "", "")};
    EXPECT_EQ(QSet<QString>(std::begin(paths), std::end(paths)).size(), 4) << "one per display and program home";
    // The other user was first: the folder is theirs (or, without root, open to all).
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
