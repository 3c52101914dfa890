// The update check end to end: the real main window, the real HTTP client and
// a scripted server on loopback; the elevation command is a recorder.
#include <QProgressBar>
#include <mutex>

#include "CQelHttpClient.h"
#include "CQelUpdateCheck.h"
#include "CQelUpdateUiBridge.h"
#include "CQelWinUtilFunc.h"
#include "QelAppFixture.h"
#include "QelElevation.h"
#include "QelHttpDownloadFile.h"
#include "QelUpdateTestServer.h"

namespace {

constexpr char kNotValid[] = "The file path is not valid!!";

class UpdateCheck : public QelMainWindowFixture {
protected:
    void SetUp() override {
        QelMainWindowFixture::SetUp();
        installer.resize(3 << 20);  // a few MiB, so the download arrives in many pieces
        for (std::size_t i = 0; i < installer.size(); ++i) installer[i] = static_cast<char>(i * 7 % 251);
        qel::SetElevationLauncher([this](const QelString& path) {
            std::lock_guard lock(m_launchMutex);
            m_launched.push_back(path.ToFileName() == home / "temp/inst.run" ? home.ReadFile("temp/inst.run") : path.ToFileName());
            return launchSucceeds;
        });
    }
    void TearDown() override {
        qel::SetElevationLauncher({});
        QelMainWindowFixture::TearDown();
    }
    // A fresh main window whose two update sessions point at api and files.
    void OpenAgainst(const std::string& api, const std::string& files) {
        home.WriteFile("config/env.json", R"({"updateserver": {"api": ")" + api + R"(", "files": ")" + files +
                                              R"("}, "searchfilter": [{"name": "All", "filterfilename": [""]}]})");
        Open();
        progress = dialog->findChild<QProgressBar*>("updateProgress");
        progressSeen.clear();
        QObject::connect(progress, &QProgressBar::valueChanged, progress, [this](int value) { progressSeen.push_back(value); });
    }
    QLabel* Link() const { return dialog->findChild<QLabel*>("versionLink"); }
    Texts Launched() {
        std::lock_guard lock(m_launchMutex);
        return m_launched;
    }

    std::string installer;
    QProgressBar* progress = nullptr;
    std::vector<int> progressSeen;
    bool launchSucceeds = true;

private:
    std::mutex m_launchMutex;
    Texts m_launched;  // the bytes of each installer started from the temp folder, else its path
};

}  // namespace

TEST_F(UpdateCheck, EachAnswerEndsInItsBoxAndOnlyAnIntactDownloadIsStartedAsTheProgramLeaves) {
    qel::http::QelSha256 hash;
    hash.Update(installer);
    const std::string good = hash.HexDigest(), version = CQelWinUtilFunc::GetInstance()->GetAppVersion().ToStdString();
    const Texts forms = {R"({"appname":"QelTessary","appos":"Linux","appversion":")" + version + "\"}\n",
                         "{\"appname\":\"QelTessary\",\"appos\":\"Linux\"}\n"};
    const std::string closed = QelTestHttpServer().Url();  // a port nobody listens on any more
    enum { kStarted = 1, kNoLength = 2, kLaunchFails = 4, kNotFound = 8, kClosed = 16 };
    const struct Case {
        std::string verchk, fileurl, box;  // the replies (no fileurl reply: answered No); the box after the question
        int flags = 0;
    } cases[] = {
        {R"({"msgcode":"0000","msg":"latest"})", "", "This program is the latest version."},
        {kVersionExists, "", ""},
        {kVersionExists, FileUrlReply(kInstallerUrl, good), "", kStarted},
        {kVersionExists, FileUrlReply(kInstallerUrl + "?a=/etc/passwd#frag"), "", kStarted},  // the length vouches
        {kVersionExists, FileUrlReply(kInstallerUrl, good), "", kStarted | kNoLength},         // the hash vouches
        {R"({"msgcode":"9001","msg":"Server busy"})", "", "[9001] Server busy\nUpdate version can not be checked!!"},
        {kVersionExists, R"({"msgcode":"0404","msg":"No installer"})", "[0404] No installer\nNew SetupFile URL Not Found!!"},
        {kVersionExists, FileUrlReply("/srv/files/setup/inst.run"), kNotValid},
        {kVersionExists, FileUrlReply("/var/www/html/setup/.."), kNotValid},
        {kVersionExists, FileUrlReply(kInstallerUrl), "[-994] Response Data Error!\nNew SetupFile Download Failed!!", kNotFound},
        {kVersionExists, FileUrlReply(kInstallerUrl, std::string(64, 'f')), "The installer file is damaged!!", kNoLength},
        {kVersionExists, FileUrlReply(kInstallerUrl), "The installer download has no length or checksum to prove it complete!!", kNoLength},
        {kVersionExists, FileUrlReply(kInstallerUrl, good), "Installation file execution failed. Please update again!!", kLaunchFails},
        {"<html>502 Bad Gateway</html>", "", ""},  // logged only
        {"", "", "[-997] URL Open Error!\nUpdate version can not be checked!!", kClosed},
    };
    std::size_t launches = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.verchk + " " + c.fileurl + " " + std::to_string(c.flags));
        std::filesystem::remove_all(home / "temp");
        QelUpdateTestServer server({{"appverchk", c.verchk}, {"appfileurl", c.fileurl}}, installer, c.flags & kNotFound ? 404 : 200,
                                   !(c.flags & kNoLength));
        const std::string base = c.flags & kClosed ? closed : server.Url();
        launchSucceeds = !(c.flags & kLaunchFails);
        boxes.clear();
        OpenAgainst(base, base);
        answers = {c.fileurl.empty() ? Answer::No : Answer::Yes};
        ClickLink("versionLink");
        EXPECT_FALSE(Link()->isEnabled()) << "one check at a time";
        while (!Link()->isEnabled() && dialog->isVisible()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        Texts expected = c.verchk == kVersionExists ? Texts{"An updated version exists. Do you want to update?"} : Texts{};
        if (!c.box.empty()) expected.push_back(c.box);
        EXPECT_EQ(boxes, expected);
        EXPECT_EQ(server.Forms(), Texts(forms.begin(), forms.begin() + (c.flags & kClosed ? 0 : c.fileurl.empty() ? 1 : 2)));
        const Texts gets = server.Gets();  // a refused path is never asked for
        EXPECT_EQ(gets, Texts(c.box == kNotValid ? 0 : gets.size(), "/setup/inst.run"));
        EXPECT_FALSE(progress->isVisible() && dialog->isVisible());
        EXPECT_EQ(dialog->isVisible(), !(c.flags & kStarted)) << "the installer replaces a closed program";
        if (Launched().size() == launches) continue;
        EXPECT_TRUE(Launched().at(launches++) == installer) << "the started file holds the download";
        if (!(c.flags & kStarted)) continue;
        EXPECT_TRUE(home.ReadUserEnv().isMember("applastpos")) << "left through Exit, settings saved";
        if (c.flags & kNoLength) continue;  // nothing to count percentages against
        EXPECT_TRUE(progressSeen.size() > 2 && progressSeen.front() == 0 && progressSeen.back() == 100 &&
                    std::is_sorted(progressSeen.begin(), progressSeen.end()));
    }
    EXPECT_EQ(launches, 4u);
}

// A proxy on the way (here the user's http_proxy, reached once the real host
// cannot be) would answer everything and hand over its own installer: plain
// http is refused before any request unless it stays on this machine. The
// shipped placeholder server is not asked at all.
TEST_F(UpdateCheck, AnUpdateServerOverPlainHttpOrNoneConfiguredIsRefusedBeforeAnyRequest) {
    QelUpdateTestServer proxy({{"appverchk", kVersionExists}, {"appfileurl", FileUrlReply(kInstallerUrl)}}, "forged");
    ScopedEnv viaProxy("http_proxy", proxy.Url());
    const std::string http = "http://updates.corvane.invalid", https = "https://updates.corvane.invalid";
    for (const auto& [api, files] : {std::pair{http, https}, {https, http}, {std::string(), std::string()}}) {
        api.empty() ? (home.WriteFile("config/env.json", "{}"), Open()) : OpenAgainst(api, files);
        ClickLink("versionLink");
        EXPECT_TRUE(Link()->isEnabled());
    }
    EXPECT_TRUE(proxy.Forms().empty());
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_TRUE(boxes[0] == boxes[1] && boxes[1] == "The update server must use https." &&
                boxes[2].starts_with("No update server is configured")) << boxes[0] << "|" << boxes[2];
}

// The installer starts while a search runs: the program must neither close in
// the middle of the search nor stay open with the link enabled again (a second
// click would start a second installer); it leaves once the search is over.
TEST_F(UpdateCheck, AnInstallerStartedDuringASearchEndsTheProgramOnceTheSearchIsOver) {
    QelUpdateTestServer server({{"appverchk", kVersionExists}, {"appfileurl", FileUrlReply(kInstallerUrl)}}, installer);
    home.WriteFile("tree/a.txt");
    OpenAgainst(server.Url(), server.Url());
    answers = {Answer::Yes};
    bool searching = false, linkEnabled = true, visible = false;
    // Runs inside the walk's first pumping of events: the whole check happens there.
    QTimer::singleShot(0, dialog.get(), [&] {
        CQelHttpClient* client = CQelHttpClient::GetInstance();
        ASSERT_TRUE(PumpUntil([&] { return !Launched().empty() && !client->IsInProgress(client->GetLastIndex()); }));
        QCoreApplication::processEvents();  // the check's end, posted by its last callback
        searching = dialog->IsSearching(), linkEnabled = Link()->isEnabled(), visible = dialog->isVisible();
    });
    ClickLink("versionLink");
    Search(home / "tree");
    EXPECT_TRUE(searching && visible) << "closed in the middle of the search";
    EXPECT_FALSE(linkEnabled);
    EXPECT_TRUE(PumpUntil([&] { return !dialog->isVisible(); })) << "the program stayed after the search";
    EXPECT_EQ(Launched().size(), 1u);
    EXPECT_EQ(home.ReadUserEnv()["searchpathhistory"].size(), 1u) << "the search ended before Exit saved";
}

// Replies are told apart by index and type together: a form's reply that
// carries the running download's index (its item reused) is not the download's
// end, which must still start the installer.
TEST_F(UpdateCheck, AFormReplyWithTheDownloadsIndexIsNotTakenForTheDownload) {
    QelUpdateTestServer server({}, installer, 200, true, /*held=*/true);
    OpenAgainst(server.Url(), server.Url());
    const QelString base = QelString::FromUtf8(server.Url());
    const auto check = CQelUpdateCheck::Create(std::make_shared<CQelUpdateUiBridge>(dialog.get(), progress, Link()), {base, base});
    ASSERT_TRUE(check->DownloadInstaller(QelString::FromUtf8(kInstallerUrl)));
    CQelHttpClient* client = CQelHttpClient::GetInstance();
    const int index = client->GetLastIndex();
    const QelString descriptor = QelString::Formatted(u"{\"reqidx\":%d}", index);
    CQelUpdateCheck::OnHttpResult(check.get(), 0, static_cast<int>(QelHttpDataType::kForm), descriptor.c_str(),
                                  static_cast<int>(descriptor.GetLength()), kQelHttpResult, nullptr, 0, nullptr, 0);
    server.Release();
    EXPECT_TRUE(PumpUntil([&] { return !dialog->isVisible() && !client->IsInProgress(index); }));
    EXPECT_EQ(Launched(), Texts{installer}) << "the installer was not started";
    EXPECT_EQ(boxes, Texts{});
}
