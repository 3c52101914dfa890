// The main window's web links against a desktop of the test's own making: the
// freedesktop folders point into a fresh folder whose only program for ".html"
// (with --registered) is a script that writes down the address it was given.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <stdlib.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <cstring>
#include <utility>
#include <filesystem>
#include <fstream>

#include "CQelDirMng.h"
#include "CQelMessageBox.h"
#include "CTessaryDlgApp.h"
#include "CTessaryDlgDlg.h"
#include "QelWebPages.h"

namespace {

std::string g_desktop;  // the fake desktop's folder
std::string g_opened, g_browser;  // what the browser script writes; the script

void Write(const std::string& path, const std::string& text) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path) << text;
}

void MakeDesktop(bool registered) {
    char name[] = "/tmp/qelweblink-XXXXXX";
    g_desktop = ::mkdtemp(name);
    g_opened = g_desktop + "/opened.txt";
    g_browser = g_desktop + "/browser.sh";
    // The type database stays the system's; programs come only from here.
    for (const char* dir : {"sysdata", "sysconfig", "data/applications", "config"})
        std::filesystem::create_directories(g_desktop + "/" + dir);
    std::filesystem::create_symlink("/usr/share/mime", g_desktop + "/sysdata/mime");
    for (const auto& [variable, dir] : {std::pair{"XDG_DATA_DIRS", "/sysdata"}, {"XDG_DATA_HOME", "/data"},
                                        {"XDG_CONFIG_DIRS", "/sysconfig"}, {"XDG_CONFIG_HOME", "/config"}})
        ::setenv(variable, (g_desktop + dir).c_str(), 1);
    if (!registered) return;
    Write(g_browser, "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + g_opened + ".part' && mv '" + g_opened +
                               ".part' '" + g_opened + "'\n");
    std::filesystem::permissions(g_browser, std::filesystem::perms::owner_all);
    Write(g_desktop + "/data/applications/qeltest-browser.desktop",
          "[Desktop Entry]\nType=Application\nName=Test Browser\nExec=" + g_browser +
              " %u\nMimeType=text/html;\n");
    Write(g_desktop + "/config/mimeapps.list", "[Default Applications]\ntext/html=qeltest-browser.desktop\n");
}

// What the script was started with, waiting for it to run; empty after the timeout.
std::string WaitForOpenedAddress() {
    QElapsedTimer timer;
    timer.start();
    while (!std::filesystem::exists(g_opened) && timer.elapsed() < 15000) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    std::ifstream in(g_opened);
    std::string line;
    std::getline(in, line);
    std::filesystem::remove(g_opened);
    return line;
}

class WebLinks : public ::testing::Test {
protected:
    void SetUp() override {
        CQelDirMng::GetInstance()->SetModuleDir(QelString::FromFileName(QEL_RUNTIME_DIR));
        CQelMessageBox::SetHandler([this](CQelMessageBox::Kind, const QString& text) {
            messages.push_back(text.toStdString());
            return CQelMessageBox::Answer::Ok;
        });
    }
    void TearDown() override { CQelMessageBox::SetHandler({}); }
    static void Activate(CTessaryDlgDlg& dialog, const char* link) {
        if (std::strcmp(link, "donateButton") == 0) return dialog.findChild<QPushButton*>(link)->click();
        emit dialog.findChild<QLabel*>(link)->linkActivated(QStringLiteral("#"));
    }

    std::vector<std::string> messages;
};

using WebLinksRegistered = WebLinks;
using WebLinksNone = WebLinks;

}  // namespace

TEST_F(WebLinksRegistered, LinksOpenTheirPagesInTheRegisteredProgramAndAFailedStartIsReported) {
    CTessaryDlgDlg dialog;
    for (const auto& [link, address] :
         {std::pair{"manualLink", "file://" + std::string(QEL_RUNTIME_DIR) + "/res/manual/index.html"},
          {"blogLink", QelString(qel::kDeveloperBlogAddress).ToStdString()},
          {"donateButton", QelString(qel::kDonationAddress).ToStdString()}}) {
        Activate(dialog, link);
        EXPECT_EQ(WaitForOpenedAddress(), address);
    }
    EXPECT_TRUE(messages.empty());

    // Registered and executable, but its interpreter is missing, so starting it fails.
    Write(g_browser, "#!/nonexistent/interpreter\n");
    Activate(dialog, "manualLink");
    EXPECT_EQ(messages, std::vector<std::string>{"\".html\" Failed to run the registered program."});
    EXPECT_FALSE(std::filesystem::exists(g_opened));
}

// A manual that is not a regular file (a FIFO would hang the browser) is not handed on.
TEST_F(WebLinksRegistered, AManualThatIsNotServedIsReportedAndNotOpened) {
    char name[] = "/tmp/qelmanual-XXXXXX";
    const std::string folder = ::mkdtemp(name);
    std::filesystem::create_directories(folder + "/res/manual");
    ASSERT_EQ(::mkfifo((folder + "/res/manual/index.html").c_str(), 0600), 0);
    CQelDirMng::GetInstance()->SetModuleDir(QelString::FromFileName(folder));
    CTessaryDlgDlg dialog;
    Activate(dialog, "manualLink");
    const std::string page = folder + "/res/manual/index.html";
    EXPECT_EQ(messages,
              std::vector<std::string>{"The manual \"" + page + "\" could not be opened (not a regular file)!!"});
    EXPECT_FALSE(std::filesystem::exists(g_opened));
    std::filesystem::remove_all(folder);
}

TEST_F(WebLinksNone, NoRegisteredProgramIsReported) {
    CTessaryDlgDlg dialog;
    for (const char* link : {"manualLink", "blogLink", "donateButton"}) Activate(dialog, link);
    EXPECT_EQ(messages, std::vector<std::string>(3, "No registered programs found."));
}

int main(int argc, char** argv) {
    bool registered = false;
    for (int i = 1; i < argc; ++i) registered = registered || std::strcmp(argv[i], "--registered") == 0;
    MakeDesktop(registered);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    CTessaryDlgApp app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    std::error_code ignored;
    std::filesystem::remove_all(g_desktop, ignored);
    return result;
}
