// The update check end to end: the real main window, the real HTTP client and
// a scripted server on loopback; boxes are answered through the message-box
// service and the elevation command is a recorder.
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

#include "CQelHttpClient.h"
#include "CQelLogMng.h"
#include "CQelWinUtilFunc.h"
#include "QelElevation.h"
#include "QelHttpDownloadFile.h"
#include "QelMainWindowFixture.h"
#include "QelUpdateTestServer.h"

namespace {

using Kind = CQelMessageBox::Kind;
using Answer = CQelMessageBox::Answer;
using Replies = std::map<std::string, std::string>;

constexpr char kUpdateExists[] = R"({"msgcode":"0001","msg":"new version"})";
constexpr char kNotValid[] = "The file path is not valid!!";
constexpr char kNeedsHttps[] = "The update server must use https.";

std::string Sha256Hex(const std::string& bytes) {
    qel::http::QelSha256 hash;
    hash.Update(bytes);
    return hash.HexDigest();
}

// Runs the UI thread's events until done() holds, for at most 20 s.
template <typename Done>
bool PumpUntil(Done done) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < 20000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return done();
}

std::string FileUrlReply(const std::string& fileUrl, const std::string& extra = "") {
    return R"({"msgcode":"0000","msg":"","output":{"outblk1":{"fileurl":")" + fileUrl + "\"" + extra + "}}}";
}

// A few MiB, so the download arrives in many pieces.
std::string Installer() {
    std::string bytes = "#!/bin/sh\necho installing\n";
    bytes.resize(3 << 20);
    for (std::size_t i = 27; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7 % 251);
    return bytes;
}

// Standard error into a file for as long as it lives, with the log switched on.
class LogCapture {
public:
    explicit LogCapture(const std::string& path) : m_path(path) {
        std::fflush(stderr);
        m_saved = ::dup(STDERR_FILENO);
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(fd, STDERR_FILENO);
        ::close(fd);
        CQelLogMng::GetInstance()->SetEnabled(true);
    }
    ~LogCapture() { Stop(); }
    std::string Stop() {
        if (m_saved >= 0) {
            CQelLogMng::GetInstance()->SetEnabled(false);
            ::dup2(m_saved, STDERR_FILENO);
            ::close(m_saved);
            m_saved = -1;
        }
        std::ifstream in(m_path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

private:
    std::string m_path;
    int m_saved = -1;
};

class UpdateCheck : public QelMainWindowFixture {
protected:
    struct Launch {
        std::string path;
        std::string bytes;
        mode_t mode;
    };

    void SetUp() override {
        QelMainWindowFixture::SetUp();
        qel::SetElevationLauncher([this](const QelString& path) {
            struct stat st {};
            ::stat(path.ToFileName().c_str(), &st);
            std::ifstream in(path.ToFileName(), std::ios::binary);
            std::lock_guard lock(m_launchMutex);
            m_launches.push_back({path.ToFileName(), std::string(std::istreambuf_iterator<char>(in), {}),
                                  st.st_mode & 07777});
            return m_launchSucceeds;
        });
    }
    void TearDown() override {
        qel::SetElevationLauncher({});
        QelMainWindowFixture::TearDown();
    }

    // A fresh main window whose two update sessions point at baseUrl (or at
    // api and files), with the filter "Text" that finds .txt files.
    void OpenAgainst(const std::string& baseUrl, const std::string& files = "") {
        home.WriteConfigEnv(R"({"updateserver": {"api": ")" + baseUrl + R"(", "files": ")" +
                            (files.empty() ? baseUrl : files) + R"("},
            "searchfilter": [{"name": "Text", "filterfilename": [], "filterfileext": ["txt"], "filterdirname": []}]})");
        Open();
        progress = dialog->findChild<QProgressBar*>("updateProgress");
        QObject::connect(progress, &QProgressBar::valueChanged, progress, [this](int value) {
            progressSeen.push_back({value, progress->isVisible()});
            progressOffUiThread |= QThread::currentThread() != QCoreApplication::instance()->thread();
        });
    }

    QLabel* Link() const { return dialog->findChild<QLabel*>("versionLink"); }

    // Clicks "Check App Last Version" and runs the UI until the check has ended.
    void RunCheck() {
        QLabel* link = Link();
        emit link->linkActivated(QStringLiteral("#"));
        EXPECT_FALSE(link->isEnabled()) << "one check at a time";
        // Once the installer has started, the link stays disabled and the window closes.
        while (!link->isEnabled() && dialog->isVisible()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        for (const Box& box : boxes) EXPECT_TRUE(box.onUiThread) << box.text.toStdString();
        EXPECT_FALSE(progressOffUiThread);
    }

    std::vector<std::string> BoxTexts() const {
        std::vector<std::string> out;
        for (const Box& box : boxes) out.push_back(box.text.toStdString());
        return out;
    }
    std::vector<std::string> TempFiles() const {
        std::vector<std::string> out;
        std::error_code ignored;
        for (const auto& entry : std::filesystem::directory_iterator(home / "temp", ignored))
            out.push_back(entry.path().filename().string());
        return out;
    }
    std::vector<Launch> Launches() {
        std::lock_guard lock(m_launchMutex);
        return m_launches;
    }
    static std::string Input(bool withVersion) {
        const std::string version = CQelWinUtilFunc::GetInstance()->GetAppVersion().ToStdString();
        return withVersion ? R"({"appname":"QelTessary","appos":"Linux","appversion":")" + version + "\"}\n"
                           : "{\"appname\":\"QelTessary\",\"appos\":\"Linux\"}\n";
    }

    QProgressBar* progress = nullptr;
    std::vector<std::pair<int, bool>> progressSeen;  // value, bar visible
    bool progressOffUiThread = false;
    bool m_launchSucceeds = true;

private:
    std::mutex m_launchMutex;
    std::vector<Launch> m_launches;
};

}  // namespace

TEST_F(UpdateCheck, UpToDateShowsTheInformationBoxAndAsksNoMore) {
    QelUpdateTestServer server({{"appverchk", R"({"msgcode":"0000","msg":"latest"})"}}, "");
    OpenAgainst(server.BaseUrl());
    RunCheck();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].kind, Kind::Information);
    EXPECT_EQ(BoxTexts()[0], "This program is the latest version.");
    const auto forms = server.Forms();
    ASSERT_EQ(forms.size(), 1u);
    EXPECT_EQ(forms[0].cmd, "appverchk");
    EXPECT_EQ(forms[0].input, Input(true));
    EXPECT_TRUE(server.Gets().empty());
}

TEST_F(UpdateCheck, DecliningTheUpdateEndsTheCheck) {
    QelUpdateTestServer server({{"appverchk", kUpdateExists}, {"appfileurl", FileUrlReply("/var/www/html/a.run")}},
                               Installer());
    OpenAgainst(server.BaseUrl());
    answers = {Answer::No};
    RunCheck();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].kind, Kind::Question);
    EXPECT_EQ(BoxTexts()[0], "An updated version exists. Do you want to update?");
    EXPECT_EQ(server.Forms().size(), 1u);
    EXPECT_TRUE(server.Gets().empty());
    EXPECT_TRUE(dialog->isVisible());
}

TEST_F(UpdateCheck, AcceptedUpdateIsDownloadedSavedStartedElevatedAndTheProgramLeavesThroughExit) {
    const std::string installer = Installer();
    const std::string goodHash = ",\"sha256\":\"" + Sha256Hex(installer) + "\"";
    const struct {
        std::string fileUrl;
        std::string extra;
        bool announceLength;
    } cases[] = {
        {"/var/www/html/setup/inst.run", goodHash, true},
        {"/var/www/html/setup/inst.run", "", true},  // older servers send no hash
        {"/var/www/html/setup/inst.run?a=/etc/passwd#frag", "", true},  // the name comes from the path alone
        {"/var/www/html/setup/inst.run", goodHash, false},  // no length to tell a cut: the hash vouches
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fileUrl + c.extra + (c.announceLength ? "" : " no length"));
        QelUpdateTestServer server({{"appverchk", kUpdateExists}, {"appfileurl", FileUrlReply(c.fileUrl, c.extra)}},
                                   installer, 200, c.announceLength);
        boxes.clear();
        progressSeen.clear();
        OpenAgainst(server.BaseUrl());
        answers = {Answer::Yes};
        RunCheck();

        EXPECT_EQ(BoxTexts(), (Texts{"An updated version exists. Do you want to update?"}));
        const auto forms = server.Forms();
        ASSERT_EQ(forms.size(), 2u);
        EXPECT_EQ(forms[1].cmd, "appfileurl");
        EXPECT_EQ(forms[1].input, Input(false));
        EXPECT_EQ(server.Gets(), (Texts{"/setup/inst.run"}));

        const auto launches = Launches();
        ASSERT_FALSE(launches.empty());
        EXPECT_EQ(launches.back().path, home / "temp/inst.run");
        EXPECT_TRUE(launches.back().bytes == installer) << "the started file holds the download";
        EXPECT_EQ(launches.back().mode, 0700u);
        EXPECT_FALSE(dialog->isVisible()) << "the installer replaces a closed program";
        EXPECT_EQ(dialog->result(), QDialog::Accepted);
        EXPECT_TRUE(home.ReadUserEnv().isMember("applastpos")) << "left through Exit, settings saved";

        ASSERT_FALSE(progressSeen.empty());
        EXPECT_EQ(progressSeen.front().first, 0);
        if (!c.announceLength) continue;  // nothing to count percentages against
        // The bar appeared at 0, moved through the download and ended full.
        ASSERT_GE(progressSeen.size(), 3u);
        EXPECT_EQ(progressSeen.front().first, 0);
        EXPECT_EQ(progressSeen.back().first, 100);
        EXPECT_TRUE(std::any_of(progressSeen.begin(), progressSeen.end(),
                                [](const auto& seen) { return seen.first > 0 && seen.first < 100; }));
        EXPECT_TRUE(std::is_sorted(progressSeen.begin(), progressSeen.end()));
        EXPECT_TRUE(std::all_of(progressSeen.begin() + 1, progressSeen.end(),
                                [](const auto& seen) { return seen.second; }));

    }
    EXPECT_EQ(Launches().size(), std::size(cases));
}

TEST_F(UpdateCheck, ErrorRepliesAndRefusedLocationsShowTheirWarningAndDownloadNothing) {
    const struct {
        Replies replies;
        std::string warning;
    } cases[] = {
        {{{"appverchk", R"({"msgcode":"9001","msg":"Server busy"})"}},
         "[9001] Server busy\nUpdate version can not be checked!!"},
        {{{"appverchk", R"({"msg":"no code"})"}}, "[] no code\nUpdate version can not be checked!!"},
        {{{"appverchk", R"({"msgcode":1,"msg":"numeric code"})"}}, "[] numeric code\nUpdate version can not be checked!!"},
        {{{"appverchk", kUpdateExists}, {"appfileurl", R"({"msgcode":"0404","msg":"No installer"})"}},
         "[0404] No installer\nNew SetupFile URL Not Found!!"},
        {{{"appverchk", kUpdateExists}, {"appfileurl", R"({"msgcode":"0000","output":{"outblk1":{"fileurl":12}}})"}},
         kNotValid},
        {{{"appverchk", kUpdateExists}, {"appfileurl", FileUrlReply("/srv/files/setup/inst.run")}}, kNotValid},
        {{{"appverchk", kUpdateExists}, {"appfileurl", FileUrlReply("/var/www/html/setup/..")}}, kNotValid},
        {{{"appverchk", kUpdateExists}, {"appfileurl", FileUrlReply("/var/www/html/setup/.")}}, kNotValid},
        {{{"appverchk", kUpdateExists}, {"appfileurl", FileUrlReply("/var/www/html/")}}, kNotValid},
        {{{"appverchk", kUpdateExists}, {"appfileurl", FileUrlReply("/var/www/html/a\\u0000b")}}, kNotValid},
    };
    for (const auto& c : cases) {
        QelUpdateTestServer server(c.replies, Installer());
        boxes.clear();
        OpenAgainst(server.BaseUrl());
        answers = {Answer::Yes};
        RunCheck();
        ASSERT_FALSE(boxes.empty()) << c.warning;
        EXPECT_EQ(boxes.back().kind, Kind::Warning) << c.warning;
        EXPECT_EQ(BoxTexts().back(), c.warning);
        EXPECT_TRUE(server.Gets().empty()) << c.warning;
        EXPECT_FALSE(progress->isVisible()) << c.warning;
        EXPECT_TRUE(dialog->isVisible()) << c.warning;
    }
    EXPECT_TRUE(TempFiles().empty());
    EXPECT_TRUE(Launches().empty());
}

TEST_F(UpdateCheck, AnUnreachableServerShowsTheClientsErrorDocument) {
    std::string closedPort;
    {
        QelUpdateTestServer gone({}, "");
        closedPort = gone.BaseUrl();
    }
    OpenAgainst(closedPort);
    RunCheck();
    EXPECT_EQ(BoxTexts(), (Texts{"[-997] URL Open Error!\nUpdate version can not be checked!!"}));
}

TEST_F(UpdateCheck, AFailedDamagedOrUnstartableDownloadIsReportedAndTheProgramStays) {
    const std::string installer = Installer();
    const std::string goodHash = ",\"sha256\":\"" + Sha256Hex(installer) + "\"";
    const struct {
        int status;
        bool announceLength;
        std::string extra;
        bool launchSucceeds;
        std::string warning;
        bool saved;
    } cases[] = {
        {404, true, "", true, "[-994] Response Data Error!\nNew SetupFile Download Failed!!", false},
        {200, true, ",\"sha256\":\"" + std::string(64, 'f') + "\"", true, "The installer file is damaged!!", false},
        {200, false, ",\"sha256\":\"" + std::string(64, 'f') + "\"", true, "The installer file is damaged!!", false},
        // Ended by a closed connection, it may have been cut: without a hash nothing proves it whole.
        {200, false, "", true, "The installer download has no length or checksum to prove it complete!!", false},
        {200, true, goodHash, false, "Installation file execution failed. Please update again!!", true},
    };
    for (const auto& c : cases) {
        std::filesystem::remove_all(home / "temp");
        QelUpdateTestServer server(
            {{"appverchk", kUpdateExists}, {"appfileurl", FileUrlReply("/var/www/html/setup/inst.run", c.extra)}},
            installer, c.status, c.announceLength);
        boxes.clear();
        m_launchSucceeds = c.launchSucceeds;
        OpenAgainst(server.BaseUrl());
        answers = {Answer::Yes};
        RunCheck();
        EXPECT_EQ(BoxTexts().back(), c.warning);
        EXPECT_EQ(boxes.back().kind, Kind::Warning);
        const Texts gets = server.Gets();  // a failed download may be tried again
        EXPECT_FALSE(gets.empty()) << c.warning;
        EXPECT_TRUE(std::all_of(gets.begin(), gets.end(), [](const auto& p) { return p == "/setup/inst.run"; }));
        EXPECT_EQ(TempFiles(), c.saved ? Texts{"inst.run"} : Texts{}) << c.warning;
        EXPECT_FALSE(progress->isVisible()) << c.warning;
        EXPECT_TRUE(dialog->isVisible()) << c.warning;
    }
    // Only the intact download was handed to the elevation command.
    ASSERT_EQ(Launches().size(), 1u);
    EXPECT_EQ(Launches()[0].path, home / "temp/inst.run");
}

TEST_F(UpdateCheck, AReplyThatIsNotJsonShowsNothingAndIsLogged) {
    QelUpdateTestServer server({{"appverchk", "<html>502 Bad Gateway</html>"}}, "");
    OpenAgainst(server.BaseUrl());
    LogCapture log(home / "stderr.txt");
    RunCheck();
    const std::string logged = log.Stop();
    EXPECT_TRUE(boxes.empty());
    EXPECT_NE(logged.find("[AppVersionCheck] RecvData ^<html>502 Bad Gateway</html>^"), std::string::npos) << logged;
    EXPECT_NE(logged.find("RequestRet ^{\"reqidx\":"), std::string::npos) << logged;
}

// A proxy on the way (here the user's http_proxy, reached once the real host
// cannot be) would answer everything and hand over its own installer: plain
// http is refused before any request unless it stays on this machine.
TEST_F(UpdateCheck, AnUpdateServerOverPlainHttpIsRefusedBeforeAnyRequest) {
    QelUpdateTestServer proxy({{"appverchk", kUpdateExists}, {"appfileurl", FileUrlReply("/var/www/html/forged.run")}},
                              "#!/bin/sh\necho forged\n");
    ScopedEnv viaProxy("http_proxy", proxy.BaseUrl());
    const struct {
        std::string api;
        std::string files;
    } cases[] = {
        {"http://updates.corvane.invalid:7530", "https://updates.corvane.invalid:8080"},
        {"https://updates.corvane.invalid:7530", "http://updates.corvane.invalid:8080"},
    };
    for (const auto& c : cases) {
        boxes.clear();
        OpenAgainst(c.api, c.files);
        emit Link()->linkActivated(QStringLiteral("#"));
        EXPECT_TRUE(Link()->isEnabled()) << c.api;
        EXPECT_EQ(BoxTexts(), Texts{kNeedsHttps}) << c.api;
        EXPECT_EQ(boxes.back().kind, Kind::Warning);
    }
    EXPECT_TRUE(proxy.Forms().empty());
    EXPECT_TRUE(proxy.Gets().empty());
    EXPECT_TRUE(Launches().empty());
}

// Once 257 requests have been made, indexes are reused: the download takes
// the index the version request had. Its reply must still be recognised.
TEST_F(UpdateCheck, ADownloadReusingTheVersionRequestsIndexIsStillRecognised) {
    CQelHttpClient* client = CQelHttpClient::GetInstance();
    if (client->GetLastIndex() >= 0) GTEST_SKIP() << "needs a client no earlier test in this process used";
    const std::string installer = Installer();
    QelUpdateTestServer server({{"appverchk", kUpdateExists}, {"appfileurl", FileUrlReply("/var/www/html/inst.run")}},
                               installer);
    OpenAgainst(server.BaseUrl());
    static std::atomic<int> finished{0};
    auto count = [](void*, int, int, const char16_t*, int, int kind, const unsigned char*, int, const void*, int) {
        if (kind == kQelHttpResult) ++finished;
        return 0;
    };
    QelHttpFormFields warmUp;
    warmUp[QelString(u"cmd")][0] = QelString(u"warmup");
    int issued = 0;
    for (int i = 0; i < CQelHttpClient::kMaxWorkItems; ++i)
        issued += client->PostForm(QelString(u"appversion"), QelString(u""), warmUp, QelString(u""), count, &finished) >= 0;
    ASSERT_TRUE(PumpUntil([&] { return finished == issued; }));
    // From now on a request takes the first free item: the version request 0,
    // the file-URL request 1 (0 is busy asking the user). The download waits
    // until 0 is free again.
    server.beforeReply = [client](const std::string& cmd) {
        while (cmd == "appfileurl" && client->IsInProgress(0)) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    };
    answers = {Answer::Yes};
    RunCheck();
    EXPECT_EQ(client->GetLastIndex(), 0) << "the download took the version request's index";
    ASSERT_EQ(Launches().size(), 1u);
    EXPECT_TRUE(Launches()[0].bytes == installer);
    EXPECT_FALSE(dialog->isVisible());
}

// The installer starts while a search runs: the program must neither close in
// the middle of the search nor stay open with the link enabled again (a second
// click would start a second installer); it leaves once the search is over.
TEST_F(UpdateCheck, AnInstallerStartedDuringASearchEndsTheProgramOnceTheSearchIsOver) {
    QelUpdateTestServer server({{"appverchk", kUpdateExists}, {"appfileurl", FileUrlReply("/var/www/html/inst.run")}},
                               Installer());
    OpenAgainst(server.BaseUrl());
    const std::string tree = MakeTree();
    answers = {Answer::Yes};
    struct {
        bool searching = false, linkEnabled = true, visible = false;
    } afterLaunch;
    // Runs inside the walk's first pumping of events: the whole check happens there.
    QTimer::singleShot(0, dialog.get(), [&] {
        CQelHttpClient* client = CQelHttpClient::GetInstance();
        ASSERT_TRUE(PumpUntil([&] { return !Launches().empty() && !client->IsInProgress(client->GetLastIndex()); }));
        QCoreApplication::processEvents();  // the check's end, posted by its last callback
        afterLaunch = {dialog->IsSearching(), Link()->isEnabled(), dialog->isVisible()};
    });
    emit Link()->linkActivated(QStringLiteral("#"));
    Search(tree);
    EXPECT_TRUE(afterLaunch.searching);
    EXPECT_FALSE(afterLaunch.linkEnabled);
    EXPECT_TRUE(afterLaunch.visible) << "closed in the middle of the search";
    EXPECT_TRUE(PumpUntil([&] { return !dialog->isVisible(); })) << "the program stayed after the search";
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(Launches().size(), 1u);
    const Json::Value saved = home.ReadUserEnv();
    ASSERT_EQ(saved["searchpathhistory"].size(), 1u) << "the search ended before Exit saved";
    EXPECT_EQ(saved["searchpathhistory"][0]["path"].asString(), tree);
}

// The real box: the question's default button (Enter) is Yes.
TEST_F(UpdateCheck, TheUpdateQuestionsDefaultButtonIsYes) {
    CQelMessageBox::SetHandler({});
    QelUpdateTestServer server({{"appverchk", kUpdateExists}}, "");
    OpenAgainst(server.BaseUrl());
    QMessageBox::StandardButton preset = QMessageBox::NoButton;
    QString text;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->defaultButton()) return;
        preset = box->standardButton(box->defaultButton());
        text = box->text();
        box->button(QMessageBox::No)->click();
    });
    look.start(5);
    RunCheck();
    EXPECT_EQ(text.toStdString(), "An updated version exists. Do you want to update?");
    EXPECT_EQ(preset, QMessageBox::Yes);
    EXPECT_EQ(server.Forms().size(), 1u) << "No asks for nothing more";
}
