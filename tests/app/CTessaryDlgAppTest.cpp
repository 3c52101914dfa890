// The program itself, started as the user starts it.
#include <QProcess>
#include <sys/stat.h>

#include "CQelSingleInstance.h"
#include "QelAppFixture.h"

namespace {

// The program with its home in home, started with arguments.
void Start(QProcess& program, const std::string& home, const QStringList& arguments = {}) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QELTESSARY_HOME", QString::fromStdString(home));
    env.insert("ASAN_OPTIONS", "detect_leaks=0");
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(QEL_APP_BINARY), arguments);
}

}  // namespace

TEST(CTessaryDlgApp, SecondStartRaisesTheRunningWindowAndTouchesNoFile) {
    QelAppTestHome home;
    home.WriteFile("config/");
    ScopedEnv programHome("QELTESSARY_HOME", home.path());
    CQelSingleInstance first(CQelSingleInstance::DefaultPath());
    ASSERT_FALSE(first.ForwardToRunningInstance());
    CTessaryDlgDlg dialog;
    dialog.showMinimized();
    QObject::connect(&first, &CQelSingleInstance::RaiseRequested, &dialog, &CTessaryDlgDlg::BringToFront);
    const std::string before = TreeText(home.path());
    QProcess second;
    Start(second, home.path());
    while (second.state() != QProcess::NotRunning) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);  // answering it
    EXPECT_EQ(second.exitCode(), 0);
    QCoreApplication::processEvents();
    EXPECT_FALSE(dialog.isMinimized());
    EXPECT_EQ(TreeText(home.path()), before);
}

// SIGTERM (the session's end) saves as Exit does, and ends the program even
// when the save fails or a start-up warning is open; what it cannot replace stays.
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
        program.terminate();
        ASSERT_TRUE(program.waitForFinished(60000)) << "the program did not end on SIGTERM";
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program.exitCode(), 0);
        const auto saved = [&] { return home.ReadUserEnv(); };  // else a fifo stays a fifo: nothing was replaced
        EXPECT_TRUE(&make == cases ? saved()["applastpos"].isObject() && saved()["searchpathhistory"].isArray() : TreeText(home.path()) == before);
    }
}
