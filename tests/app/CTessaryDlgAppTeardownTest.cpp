// Exit while the installer is still downloading, then the application's end:
// the HTTP workers must be gone before the log and folder services they use
// are deleted (the sanitizer reports any use after that), and the download
// must not hold the end up. Its own program: the application object is made
// and destroyed inside the test.
#include "../net/QelTestMemory.h"
#include "CTessaryDlgApp.h"
#include "QelAppFixture.h"
#include "QelElevation.h"
#include "QelUpdateTestServer.h"

namespace {

char g_name[] = "qeltessary";
char* g_argv[] = {g_name, nullptr};
int g_argc = 1;

// Made before the fixture's program folder, which needs the application's services.
struct WithItsOwnApplication {
    std::unique_ptr<CTessaryDlgApp> app = std::make_unique<CTessaryDlgApp>(g_argc, g_argv);
};
class CTessaryDlgAppTeardown : public WithItsOwnApplication, public QelMainWindowFixture {};

}  // namespace

TEST_F(CTessaryDlgAppTeardown, ExitDuringADownloadJoinsTheHttpWorkersAtOnceBeforeTheServicesGo) {
    QelUpdateTestServer server({{"appverchk", kVersionExists}, {"appfileurl", FileUrlReply(kInstallerUrl)}},
                               std::string(100000, 'i'), 200, true, /*held=*/true);
    home.WriteFile("config/env.json", R"({"updateserver": {"api": ")" + server.BaseUrl() + R"(", "files": ")" + server.BaseUrl() + "\"}}");
    std::atomic<bool> launched{false};
    qel::SetElevationLauncher([&launched](const QelString&) { return launched = true; });
    answers = {Answer::Yes};
    Open();
    ClickLink("versionLink");
    ASSERT_TRUE(PumpUntil([&] { return server.RequestCount() == 3; })) << "the installer was not asked for";
    dialog->GetExitButton()->click();
    dialog.reset();
    const std::size_t threads = ProcStatusNumber("Threads");
    QElapsedTimer clock;
    clock.start();
    app.reset();
    EXPECT_LT(clock.elapsed(), 5000) << "the end waited for the download";
    EXPECT_LE(ProcStatusNumber("Threads"), threads - 5) << "the 4 HTTP workers and their dispatcher still run";
    server.Release();
    EXPECT_FALSE(launched);
    qel::SetElevationLauncher({});
}
