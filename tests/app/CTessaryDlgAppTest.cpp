#include <gtest/gtest.h>

#include <QCoreApplication>
#include <sys/stat.h>
#include <QElapsedTimer>
#include <QProcess>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <set>

#include "CQelSingleInstance.h"
#include "CQelWinUtilFunc.h"
#include "CTessaryDlgDlg.h"
#include "QelAppTestHome.h"

namespace {

std::set<std::string> FilesBelow(const std::string& folder) {
    std::set<std::string> out;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) out.insert(entry.path().string());
    return out;
}

// Waits for the process while this one keeps answering its own events.
bool WaitWhileServing(QProcess& process, int timeoutMs) {
    if (process.state() != QProcess::NotRunning) {
        QEventLoop loop;
        QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
        QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
        loop.exec();
    }
    QCoreApplication::processEvents();
    return process.state() == QProcess::NotRunning;
}

QProcessEnvironment ProgramEnvironment(const std::string& home) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QELTESSARY_HOME", QString::fromStdString(home));
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("ASAN_OPTIONS", "detect_leaks=0");
    return env;
}

}  // namespace

TEST(CTessaryDlgApp, SecondStartRaisesTheRunningWindowAndTouchesNoFile) {
    QelAppTestHome home;
    std::filesystem::create_directories(home / "config");
    qputenv("QELTESSARY_HOME", QByteArray::fromStdString(home.path()));
    CQelSingleInstance first(CQelSingleInstance::DefaultPath());
    ASSERT_FALSE(first.ForwardToRunningInstance());

    CTessaryDlgDlg dialog;
    dialog.showMinimized();
    int raised = 0;
    QObject::connect(&first, &CQelSingleInstance::RaiseRequested, [&] {
        ++raised;
        dialog.BringToFront();
    });
    const std::set<std::string> before = FilesBelow(home.path());

    QProcess second;
    second.setProcessEnvironment(ProgramEnvironment(home.path()));
    second.start(QStringLiteral(QEL_APP_BINARY), {});
    ASSERT_TRUE(WaitWhileServing(second, 60000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(raised, 1);
    EXPECT_FALSE(dialog.isMinimized());
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(FilesBelow(home.path()), before);
    qunsetenv("QELTESSARY_HOME");
}

TEST(CTessaryDlgApp, OptionsAnswerWithoutADisplayAndAPlainStartSaysThereIsNone) {
    QelAppTestHome home;
    QProcessEnvironment env = ProgramEnvironment(home.path());
    env.remove("QT_QPA_PLATFORM");
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    const std::string version = CQelWinUtilFunc::GetInstance()->GetAppVersion().ToStdString();
    const struct {
        QStringList arguments;
        int status;
        std::string outStart;  // what standard output begins with
        std::string errorHas;  // the one line on standard error; empty for none
    } cases[] = {
        {{}, 1, "", "no display"},
        {{"--help"}, 0, "Usage: qeltessary [options]", ""},
        {{"--version"}, 0, "qeltessary " + version + "\n", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        QProcess program;
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(QEL_APP_BINARY), c.arguments);
        ASSERT_TRUE(program.waitForFinished(60000));
        EXPECT_EQ(program.exitCode(), c.status);
        const std::string out = program.readAllStandardOutput().toStdString();
        const QString error = QString::fromUtf8(program.readAllStandardError());
        EXPECT_TRUE(out.starts_with(c.outStart)) << out;
        if (c.arguments == QStringList{"--help"}) {
            EXPECT_NE(out.find("--log"), std::string::npos) << out;
        }
        EXPECT_EQ(error.count('\n'), c.errorHas.empty() ? 0 : 1) << error.toStdString();
        EXPECT_TRUE(error.contains(QString::fromStdString(c.errorHas))) << error.toStdString();
    }
    EXPECT_FALSE(std::filesystem::exists(home / "user"));
}

namespace {

// Starts the program with logging on and waits for its first own log line:
// by then SIGTERM is watched. Then sends SIGTERM and waits for the end.
void StartAndTerminate(QProcess& program, const std::string& home) {
    program.setProcessEnvironment(ProgramEnvironment(home));
    program.start(QStringLiteral(QEL_APP_BINARY), {QStringLiteral("--log")});
    ASSERT_TRUE(program.waitForStarted(60000));
    program.setReadChannel(QProcess::StandardError);
    QByteArray log;
    while (!log.contains("Program file:")) {  // Qt may warn before the program logs
        ASSERT_TRUE(program.waitForReadyRead(60000)) << log.toStdString();
        log += program.readAllStandardError();
    }
    program.terminate();  // SIGTERM
    ASSERT_TRUE(program.waitForFinished(60000)) << "the program did not end on SIGTERM";
    log += program.readAllStandardError();
    EXPECT_EQ(log.count("Program file:"), 1) << "each log line once:\n" << log.toStdString();
}

}  // namespace

TEST(CTessaryDlgApp, SigtermSavesTheSettingsAsExitDoes) {
    QelAppTestHome home;
    home.WriteConfigEnv(R"({"searchfilter": [{"name": "Docs"}]})");
    QProcess program;
    StartAndTerminate(program, home.path());
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
    const Json::Value saved = home.ReadUserEnv();
    EXPECT_TRUE(saved["applastpos"].isObject());
    for (const char* key : {"aftersearchjob", "searchpathhistory"}) EXPECT_TRUE(saved[key].isArray()) << key;
}

TEST(CTessaryDlgApp, SigtermWithAFailingSaveStillEndsTheProgram) {
    QelAppTestHome home;
    home.WriteFile("user", "a file where the user folder belongs");
    QProcess program;
    StartAndTerminate(program, home.path());  // a question box would hold it until the time limit
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    std::ifstream in(home / "user", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "a file where the user folder belongs");
}

TEST(CTessaryDlgApp, SigtermDuringTheStartUpWarningEndsTheProgramAndKeepsTheFile) {
    QelAppTestHome home;
    std::filesystem::create_directories(home / "user");
    ASSERT_EQ(::mkfifo((home / "user/env.json").c_str(), 0600), 0);  // warned about, then left alone
    QProcess program;
    StartAndTerminate(program, home.path());
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_TRUE(std::filesystem::is_fifo(home / "user/env.json"));
}
