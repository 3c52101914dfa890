// The update check end to end: the real main window, the real HTTP client and
// a scripted server on loopback; the elevation command is a recorder.
#include <sys/stat.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

#include "CQelHttpClient.h"
#include "CQelWinUtilFunc.h"
#include "QelElevation.h"
#include "QelHttpDownloadFile.h"
#include "QelMainWindowFixture.h"
#include "QelUpdateTestServer.h"

namespace {

constexpr char kUpdateExists[] = R"({"msgcode":"0001","msg":"new version"})";
constexpr char kQuestion[] = "An updated version exists. Do you want to update?";
constexpr char kNotValid[] = "The file path is not valid!!";
constexpr char kUrl[] = "/var/www/html/setup/inst.run";

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

// Runs the UI thread's events until done() holds, for at most 20 s.
template <typename Done>
bool PumpUntil(Done done) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < 20000) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return done();
}

class UpdateCheck : public QelMainWindowFixture {
protected:
    struct Launch {
        std::string path, bytes;
        mode_t mode;
    };

    void SetUp() override {
        QelMainWindowFixture::SetUp();
        qel::SetElevationLauncher([this](const QelString& path) {
            struct stat st {};
            ::stat(path.ToFileName().c_str(), &st);
            std::ifstream in(path.ToFileName(), std::ios::binary);
            std::lock_guard lock(m_launchMutex);
            m_launches.push_back({path.ToFileName(), std::string(std::istreambuf_iterator<char>(in), {}), st.st_mode & 07777});
            return launchSucceeds;
        });
    }
    void TearDown() override {
        qel::SetElevationLauncher({});
        QelMainWindowFixture::TearDown();
    }
    // A fresh main window whose two update sessions point at api and files.
    void OpenAgainst(const std::string& api, const std::string& files) {
        home.WriteConfigEnv(R"({"updateserver": {"api": ")" + api + R"(", "files": ")" + files +
                            R"("}, "searchfilter": [{"name": "Text", "filterfileext": ["txt"]}]})");
        Open();
        progress = dialog->findChild<QProgressBar*>("updateProgress");
        progressSeen.clear();
        QObject::connect(progress, &QProgressBar::valueChanged, progress, [this](int value) {
            progressSeen.push_back({value, progress->isVisible()});
            progressOffUiThread |= QThread::currentThread() != QCoreApplication::instance()->thread();
        });
    }
    QLabel* Link() const { return dialog->findChild<QLabel*>("versionLink"); }
    // Clicks "Check App Last Version" and runs the UI until the check has ended.
    void RunCheck() {
        emit Link()->linkActivated(QStringLiteral("#"));
        EXPECT_FALSE(Link()->isEnabled()) << "one check at a time";
        // Once the installer has started, the link stays disabled and the window closes.
        while (!Link()->isEnabled() && dialog->isVisible()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        for (const Box& box : boxes) EXPECT_TRUE(box.onUiThread) << box.text.toStdString();
        EXPECT_FALSE(progressOffUiThread);
    }
    std::vector<Launch> Launches() {
        std::lock_guard lock(m_launchMutex);
        return m_launches;
    }

    QProgressBar* progress = nullptr;
    std::vector<std::pair<int, bool>> progressSeen;  // value, bar visible
    bool progressOffUiThread = false;
    bool launchSucceeds = true;

private:
    std::mutex m_launchMutex;
    std::vector<Launch> m_launches;
};

}  // namespace

TEST_F(UpdateCheck, EachAnswerEndsInItsBoxAndOnlyAnIntactDownloadIsStartedAsTheProgramLeaves) {
    const std::string installer = Installer();
    qel::http::QelSha256 hash;
    hash.Update(installer);
    const std::string goodHash = ",\"sha256\":\"" + hash.HexDigest() + "\"";
    const std::string version = CQelWinUtilFunc::GetInstance()->GetAppVersion().ToStdString();
    const struct Case {
        std::string verchk, fileurl;  // the replies; an empty fileurl reply: not asked for
        Texts boxes;
        bool started = false;  // the installer was started and the program left
        int status = 200;
        bool announceLength = true, launchSucceeds = true;
    } cases[] = {
        {R"({"msgcode":"0000","msg":"latest"})", "", {"This program is the latest version."}},
        {kUpdateExists, "", {kQuestion}},  // answered No
        {kUpdateExists, FileUrlReply(kUrl, goodHash), {kQuestion}, true},
        {kUpdateExists, FileUrlReply(kUrl + std::string("?a=/etc/passwd#frag")), {kQuestion}, true},  // no hash
        {kUpdateExists, FileUrlReply(kUrl, goodHash), {kQuestion}, true, 200, false},  // the hash vouches
        {R"({"msgcode":"9001","msg":"Server busy"})", "", {"[9001] Server busy\nUpdate version can not be checked!!"}},
        {R"({"msgcode":1,"msg":"numeric code"})", "", {"[] numeric code\nUpdate version can not be checked!!"}},
        {kUpdateExists, R"({"msgcode":"0404","msg":"No installer"})",
         {kQuestion, "[0404] No installer\nNew SetupFile URL Not Found!!"}},
        {kUpdateExists, FileUrlReply("/srv/files/setup/inst.run"), {kQuestion, kNotValid}},
        {kUpdateExists, FileUrlReply("/var/www/html/setup/.."), {kQuestion, kNotValid}},
        {kUpdateExists, FileUrlReply(kUrl), {kQuestion, "[-994] Response Data Error!\nNew SetupFile Download Failed!!"},
         false, 404},
        {kUpdateExists, FileUrlReply(kUrl, ",\"sha256\":\"" + std::string(64, 'f') + "\""),
         {kQuestion, "The installer file is damaged!!"}, false, 200, false},
        {kUpdateExists, FileUrlReply(kUrl),
         {kQuestion, "The installer download has no length or checksum to prove it complete!!"}, false, 200, false},
        {kUpdateExists, FileUrlReply(kUrl, goodHash),
         {kQuestion, "Installation file execution failed. Please update again!!"}, false, 200, true, false},
        {"<html>502 Bad Gateway</html>", "", {}},  // logged only
    };
    std::size_t launches = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.verchk + " " + c.fileurl + " " + std::to_string(c.status));
        std::filesystem::remove_all(home / "temp");
        std::map<std::string, std::string> replies = {{"appverchk", c.verchk}};
        if (!c.fileurl.empty()) replies["appfileurl"] = c.fileurl;
        QelUpdateTestServer server(replies, installer, c.status, c.announceLength);
        boxes.clear();
        launchSucceeds = c.launchSucceeds;
        OpenAgainst(server.BaseUrl(), server.BaseUrl());
        answers = {c.fileurl.empty() ? Answer::No : Answer::Yes};
        RunCheck();
        EXPECT_EQ(BoxTexts(), c.boxes);
        if (c.boxes.size() == 2) { EXPECT_EQ(boxes.back().kind, CQelMessageBox::Kind::Warning); }
        const Texts forms = server.Forms(), gets = server.Gets();
        ASSERT_EQ(forms.size(), c.fileurl.empty() ? 1u : 2u);
        EXPECT_EQ(forms[0], R"({"appname":"QelTessary","appos":"Linux","appversion":")" + version + "\"}\n");
        if (forms.size() == 2) { EXPECT_EQ(forms[1], "{\"appname\":\"QelTessary\",\"appos\":\"Linux\"}\n"); }
        EXPECT_TRUE(std::all_of(gets.begin(), gets.end(), [](const auto& p) { return p == "/setup/inst.run"; }));
        if (std::count(c.boxes.begin(), c.boxes.end(), kNotValid)) { EXPECT_TRUE(gets.empty()); }
        EXPECT_FALSE(progress->isVisible() && dialog->isVisible());
        EXPECT_EQ(dialog->isVisible(), !c.started) << "the installer replaces a closed program";
        if (Launches().size() == launches) continue;
        launches = Launches().size();
        const Launch launch = Launches().back();
        EXPECT_EQ(launch.path, home / "temp/inst.run");
        EXPECT_TRUE(launch.bytes == installer) << "the started file holds the download";
        EXPECT_EQ(launch.mode, 0700u);
        if (!c.started) continue;
        EXPECT_EQ(dialog->result(), QDialog::Accepted);
        EXPECT_TRUE(home.ReadUserEnv().isMember("applastpos")) << "left through Exit, settings saved";
        if (!c.announceLength) continue;  // nothing to count percentages against
        // The bar appeared at 0, moved through the download and ended full.
        ASSERT_GE(progressSeen.size(), 3u);
        EXPECT_EQ(progressSeen.front().first, 0);
        EXPECT_EQ(progressSeen.back().first, 100);
        EXPECT_TRUE(std::is_sorted(progressSeen.begin(), progressSeen.end()));
        EXPECT_TRUE(std::all_of(progressSeen.begin() + 1, progressSeen.end(), [](const auto& s) { return s.second; }));
    }
    EXPECT_EQ(launches, 4u);

    std::string closed;
    {
        QelUpdateTestServer gone({}, "");
        closed = gone.BaseUrl();
    }
    boxes.clear();
    OpenAgainst(closed, closed);
    RunCheck();
    EXPECT_EQ(BoxTexts(), (Texts{"[-997] URL Open Error!\nUpdate version can not be checked!!"}));
}

// A proxy on the way (here the user's http_proxy, reached once the real host
// cannot be) would answer everything and hand over its own installer: plain
// http is refused before any request unless it stays on this machine. The
// shipped placeholder server is not asked at all.
TEST_F(UpdateCheck, AnUpdateServerOverPlainHttpOrNoneConfiguredIsRefusedBeforeAnyRequest) {
    QelUpdateTestServer proxy({{"appverchk", kUpdateExists}, {"appfileurl", FileUrlReply("/var/www/html/forged.run")}},
                              "#!/bin/sh\necho forged\n");
    ScopedEnv viaProxy("http_proxy", proxy.BaseUrl());
    for (const auto& [api, files] : {std::pair{"http://updates.corvane.invalid:7530", "https://updates.corvane.invalid"},
                                     {"https://updates.corvane.invalid:7530", "http://updates.corvane.invalid"}}) {
        boxes.clear();
        OpenAgainst(api, files);
        emit Link()->linkActivated(QStringLiteral("#"));
        EXPECT_TRUE(Link()->isEnabled()) << api;
        EXPECT_EQ(BoxTexts(), Texts{"The update server must use https."}) << api;
    }
    EXPECT_TRUE(proxy.Forms().empty());
    EXPECT_TRUE(Launches().empty());
    home.WriteConfigEnv("{}");
    Open();
    boxes.clear();
    dialog->CheckAppVersion();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(boxes[0].text.startsWith("No update server is configured")) << boxes[0].text.toStdString();
    EXPECT_TRUE(Link()->isEnabled());
}

// The installer starts while a search runs: the program must neither close in
// the middle of the search nor stay open with the link enabled again (a second
// click would start a second installer); it leaves once the search is over.
TEST_F(UpdateCheck, AnInstallerStartedDuringASearchEndsTheProgramOnceTheSearchIsOver) {
    QelUpdateTestServer server({{"appverchk", kUpdateExists}, {"appfileurl", FileUrlReply("/var/www/html/inst.run")}},
                               Installer());
    const std::string tree = MakeTree();
    OpenAgainst(server.BaseUrl(), server.BaseUrl());
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
    EXPECT_EQ(Launches().size(), 1u);
    ASSERT_EQ(home.ReadUserEnv()["searchpathhistory"].size(), 1u) << "the search ended before Exit saved";
}

// Once 257 requests have been made, indexes are reused: the download takes
// the index the version request had. Its reply must still be recognised.
TEST_F(UpdateCheck, ADownloadReusingTheVersionRequestsIndexIsStillRecognised) {
    CQelHttpClient* client = CQelHttpClient::GetInstance();
    if (client->GetLastIndex() >= 0) GTEST_SKIP() << "needs a client no earlier test in this process used";
    const std::string installer = Installer();
    // From the warm-up on a request takes the first free item: the version request 0,
    // the file-URL request 1 (0 is busy asking the user). The download waits until 0 is free again.
    QelUpdateTestServer server({{"appverchk", kUpdateExists}, {"appfileurl", FileUrlReply("/var/www/html/inst.run")}},
                               installer, 200, true, [client](const std::string& cmd) {
                                   while (cmd == "appfileurl" && client->IsInProgress(0))
                                       std::this_thread::sleep_for(std::chrono::milliseconds(1));
                               });
    OpenAgainst(server.BaseUrl(), server.BaseUrl());
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
    answers = {Answer::Yes};
    RunCheck();
    EXPECT_EQ(client->GetLastIndex(), 0) << "the download took the version request's index";
    ASSERT_EQ(Launches().size(), 1u);
    EXPECT_TRUE(Launches()[0].bytes == installer);
    EXPECT_FALSE(dialog->isVisible());
}

// The real box: the question's default button (Enter) is Yes.
TEST_F(UpdateCheck, TheUpdateQuestionsDefaultButtonIsYes) {
    CQelMessageBox::SetHandler({});
    QelUpdateTestServer server({{"appverchk", kUpdateExists}}, "");
    OpenAgainst(server.BaseUrl(), server.BaseUrl());
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
    EXPECT_EQ(text.toStdString(), kQuestion);
    EXPECT_EQ(preset, QMessageBox::Yes);
    EXPECT_EQ(server.Forms().size(), 1u) << "No asks for nothing more";
}
