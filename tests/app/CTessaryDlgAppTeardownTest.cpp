// Exit while the installer is still downloading, then the application's end:
// the HTTP workers must be gone before the log and folder services they use
// are deleted (the sanitizer reports any use after that), and the download
// must not hold the end up. Its own program: the application object is made
// and destroyed inside the test.
#include <QElapsedTimer>
#include <QLabel>
#include <atomic>

#include "../net/QelTestMemory.h"
#include "CTessaryDlgApp.h"
#include "QelAppFixture.h"
#include "QelElevation.h"
#include "QelUpdateTestServer.h"

TEST(CTessaryDlgAppTeardown, ExitDuringADownloadJoinsTheHttpWorkersAtOnceBeforeTheServicesGo) {
    int argc = 1;
    char name[] = "qeltessary";
    char* argv[] = {name, nullptr};
    auto app = std::make_unique<CTessaryDlgApp>(argc, argv);
    QelAppTestHome home;
    QelUpdateTestServer server({{"appverchk", R"({"msgcode":"0001","msg":"new"})"},
                                {"appfileurl", R"({"msgcode":"0000","output":{"outblk1":{"fileurl":"/var/www/html/i.run"}}})"}},
                               std::string(100000, 'i'), 200, true, /*held=*/true);  // the installer waits until released
    home.WriteFile("config/env.json", R"({"updateserver": {"api": ")" + server.BaseUrl() + R"(", "files": ")" + server.BaseUrl() + "\"}}");
    std::atomic<bool> launched{false};
    qel::SetElevationLauncher([&launched](const QelString&) { return launched = true; });
    CQelMessageBox::SetHandler([](CQelMessageBox::Kind kind, const QString&) {
        return kind == CQelMessageBox::Kind::Question ? Answer::Yes : Answer::Ok;
    });
    auto dialog = std::make_unique<CTessaryDlgDlg>();
    dialog->show();
    emit dialog->findChild<QLabel*>("versionLink")->linkActivated(QStringLiteral("#"));
    QElapsedTimer clock;
    clock.start();
    while (server.Gets().empty() && clock.elapsed() < 20000) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    ASSERT_FALSE(server.Gets().empty());
    dialog->GetExitButton()->click();
    dialog.reset();

    const std::size_t threads = ProcStatusNumber("Threads");
    clock.restart();
    app.reset();
    EXPECT_LT(clock.elapsed(), 5000) << "the end waited for the download";
    EXPECT_LE(ProcStatusNumber("Threads"), threads - 5) << "the 4 HTTP workers and their dispatcher still run";
    server.Release();
    EXPECT_FALSE(launched);
    CQelMessageBox::SetHandler({});
    qel::SetElevationLauncher({});
}
