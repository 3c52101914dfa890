// The program itself, started as the user starts it.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>
#include <sys/stat.h>
#include <filesystem>
#include <functional>
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
    ScopedEnv programHome("QELTESSARY_HOME", home.path());
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
    QEventLoop loop;  // this process keeps answering its own events meanwhile
    QObject::connect(&second, &QProcess::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    second.start(QStringLiteral(QEL_APP_BINARY), {});
    loop.exec();
    ASSERT_EQ(second.state(), QProcess::NotRunning);
    EXPECT_EQ(second.exitCode(), 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(raised, 1);
    EXPECT_FALSE(dialog.isMinimized());
    EXPECT_EQ(FilesBelow(home.path()), before);
}

// SIGTERM (the session's end) saves as Exit does, and ends the program even
// when the save fails or a start-up warning is open; what it cannot replace stays.
TEST(CTessaryDlgApp, SigtermSavesTheSettingsAsExitDoesAndAlwaysEndsTheProgram) {
    const struct Case {
        const char* name;
        std::function<void(const QelAppTestHome&)> make;
        bool saved;
    } cases[] = {
        {"plain", [](auto& h) { h.WriteConfigEnv(R"({"searchfilter": [{"name": "Docs"}]})"); }, true},
        {"failing save", [](auto& h) { h.WriteFile("user", "a file where the user folder belongs"); }, false},
        {"start-up warning", [](auto& h) {
             std::filesystem::create_directories(h / "user");
             ::mkfifo((h / "user/env.json").c_str(), 0600);
         }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QelAppTestHome home;
        c.make(home);
        const std::set<std::string> before = FilesBelow(home.path());
        const auto envType = std::filesystem::status(home / "user/env.json").type();
        QProcess program;
        program.setProcessEnvironment(ProgramEnvironment(home.path()));
        program.start(QStringLiteral(QEL_APP_BINARY), {QStringLiteral("--log")});
        ASSERT_TRUE(program.waitForStarted(60000));
        program.setReadChannel(QProcess::StandardError);
        QByteArray log;  // its first own log line: by then SIGTERM is watched
        while (!log.contains("Program file:")) {
            ASSERT_TRUE(program.waitForReadyRead(60000)) << log.toStdString();
            log += program.readAllStandardError();
        }
        program.terminate();
        ASSERT_TRUE(program.waitForFinished(60000)) << "the program did not end on SIGTERM";
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program.exitCode(), 0);
        if (!c.saved) {
            EXPECT_EQ(FilesBelow(home.path()), before);
            EXPECT_EQ(std::filesystem::status(home / "user/env.json").type(), envType);
            continue;
        }
        const Json::Value saved = home.ReadUserEnv();
        EXPECT_TRUE(saved["applastpos"].isObject());
        EXPECT_TRUE(saved["searchpathhistory"].isArray());
    }
}

TEST(CTessaryDlgApp, OptionsAnswerWithoutADisplayAndAPlainStartSaysThereIsNone) {
    QelAppTestHome home;
    QProcessEnvironment env = ProgramEnvironment(home.path());
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) env.remove(name);
    const std::string version = CQelWinUtilFunc::GetInstance()->GetAppVersion().ToStdString();
    const struct {
        QStringList arguments;
        int status;
        std::string out, error;  // what standard output begins with; what standard error holds
    } cases[] = {
        {{}, 1, "", "no display"},
        {{"--help"}, 0, "Usage: qeltessary [options]", ""},
        {{"--version"}, 0, "qeltessary " + version + "\n", ""},
    };
    for (const auto& c : cases) {
        QProcess program;
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(QEL_APP_BINARY), c.arguments);
        ASSERT_TRUE(program.waitForFinished(60000));
        EXPECT_EQ(program.exitCode(), c.status);
        EXPECT_TRUE(program.readAllStandardOutput().toStdString().starts_with(c.out));
        const QString error = QString::fromUtf8(program.readAllStandardError());
        EXPECT_EQ(error.count('\n'), c.error.empty() ? 0 : 1) << error.toStdString();
        EXPECT_TRUE(error.contains(QString::fromStdString(c.error))) << error.toStdString();
    }
    EXPECT_FALSE(std::filesystem::exists(home / "user"));
}
