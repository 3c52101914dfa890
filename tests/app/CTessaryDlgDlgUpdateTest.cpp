// The update check end to end: the real main window, the real HTTP client and
// a scripted server on loopback; boxes are answered through the message-box
// service and the elevation command is a recorder.
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QThread>
#include <mutex>

#include "CQelLogMng.h"
#include "CQelWinUtilFunc.h"
#include "QelElevation.h"
#include "QelInstallerFile.h"
#include "QelMainWindowFixture.h"
#include "QelUpdateTestServer.h"

namespace {

using Kind = CQelMessageBox::Kind;
using Answer = CQelMessageBox::Answer;
using Replies = std::map<std::string, std::string>;

constexpr char kUpdateExists[] = R"({"msgcode":"0001","msg":"new version"})";
constexpr char kNotValid[] = "The file path is not valid!!";

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

    // A fresh main window whose two update sessions point at baseUrl.
    void OpenAgainst(const std::string& baseUrl) {
        home.WriteConfigEnv(R"({"updateserver": {"api": ")" + baseUrl + R"(", "files": ")" + baseUrl + "\"}}");
        Open();
        progress = dialog->findChild<QProgressBar*>("updateProgress");
        QObject::connect(progress, &QProgressBar::valueChanged, progress, [this](int value) {
            progressSeen.push_back({value, progress->isVisible()});
            progressOffUiThread |= QThread::currentThread() != QCoreApplication::instance()->thread();
        });
    }

    // Clicks "Check App Last Version" and runs the UI until the check has ended.
    void RunCheck() {
        QLabel* link = dialog->findChild<QLabel*>("versionLink");
        emit link->linkActivated(QStringLiteral("#"));
        EXPECT_FALSE(link->isEnabled()) << "one check at a time";
        while (!link->isEnabled()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
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

// With and without the installer's SHA-256 in the reply (older servers send none).
TEST_F(UpdateCheck, AcceptedUpdateIsDownloadedSavedStartedElevatedAndTheProgramLeavesThroughExit) {
    const std::string installer = Installer();
    for (const std::string& extra : {",\"sha256\":\"" + qel::Sha256Hex(installer) + "\"", std::string()}) {
        QelUpdateTestServer server(
            {{"appverchk", kUpdateExists}, {"appfileurl", FileUrlReply("/var/www/html/setup/inst.run", extra)}},
            installer);
        boxes.clear();
        progressSeen.clear();
        OpenAgainst(server.BaseUrl());
        answers = {Answer::Yes};
        RunCheck();

        EXPECT_EQ(BoxTexts(), (Texts{"An updated version exists. Do you want to update?"})) << extra;
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

        // The bar appeared at 0, moved through the download and ended full.
        ASSERT_GE(progressSeen.size(), 3u);
        EXPECT_EQ(progressSeen.front().first, 0);
        EXPECT_EQ(progressSeen.back().first, 100);
        EXPECT_TRUE(std::any_of(progressSeen.begin(), progressSeen.end(),
                                [](const auto& seen) { return seen.first > 0 && seen.first < 100; }));
        EXPECT_TRUE(std::is_sorted(progressSeen.begin(), progressSeen.end()));
        EXPECT_TRUE(std::all_of(progressSeen.begin() + 1, progressSeen.end(),
                                [](const auto& seen) { return seen.second; }));

        EXPECT_FALSE(dialog->isVisible()) << "the installer replaces a closed program";
        EXPECT_EQ(dialog->result(), QDialog::Accepted);
        EXPECT_TRUE(home.ReadUserEnv().isMember("applastpos")) << "left through Exit, settings saved";
    }
    EXPECT_EQ(Launches().size(), 2u);
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
    const std::string goodHash = ",\"sha256\":\"" + qel::Sha256Hex(installer) + "\"";
    const struct {
        int status;
        std::string extra;
        bool launchSucceeds;
        std::string warning;
        bool saved;
    } cases[] = {
        {404, "", true, "[-994] Response Data Error!\nNew SetupFile Download Failed!!", false},
        {200, ",\"sha256\":\"" + std::string(64, 'f') + "\"", true, "The installer file is damaged!!", false},
        {200, goodHash, false, "Installation file execution failed. Please update again!!", true},
    };
    for (const auto& c : cases) {
        std::filesystem::remove_all(home / "temp");
        QelUpdateTestServer server(
            {{"appverchk", kUpdateExists}, {"appfileurl", FileUrlReply("/var/www/html/setup/inst.run", c.extra)}},
            installer, c.status);
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
