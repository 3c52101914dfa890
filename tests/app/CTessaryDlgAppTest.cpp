#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <filesystem>
#include <set>

#include "CQelSingleInstance.h"
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
    QElapsedTimer timer;
    timer.start();
    while (process.state() != QProcess::NotRunning && timer.elapsed() < timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
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
    CQelSingleInstance first(CQelSingleInstance::DefaultName());
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

TEST(CTessaryDlgApp, SingleInstanceNamesArePerUserAndPerProgramHome) {
    qunsetenv("QELTESSARY_HOME");
    const QString plain = CQelSingleInstance::DefaultName();
    EXPECT_TRUE(plain.startsWith("CORVANE_CLIENT_WIN_TESSARY-"));
    qputenv("QELTESSARY_HOME", "/tmp/one");
    const QString one = CQelSingleInstance::DefaultName();
    qputenv("QELTESSARY_HOME", "/tmp/two");
    EXPECT_NE(CQelSingleInstance::DefaultName(), one);
    qunsetenv("QELTESSARY_HOME");
    EXPECT_NE(one, plain);
}

TEST(CTessaryDlgApp, WithoutADisplaySaysSoInOneLineAndFails) {
    QelAppTestHome home;
    QProcessEnvironment env = ProgramEnvironment(home.path());
    env.remove("QT_QPA_PLATFORM");
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    QProcess program;
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(QEL_APP_BINARY), {});
    ASSERT_TRUE(program.waitForFinished(60000));
    EXPECT_NE(program.exitCode(), 0);
    const QString error = QString::fromUtf8(program.readAllStandardError());
    EXPECT_EQ(error.count('\n'), 1) << error.toStdString();
    EXPECT_TRUE(error.contains("no display")) << error.toStdString();
    EXPECT_TRUE(program.readAllStandardOutput().isEmpty());
    EXPECT_FALSE(std::filesystem::exists(home / "user"));
}
