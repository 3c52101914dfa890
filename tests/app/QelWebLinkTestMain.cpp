// The main window's web links against a desktop of the test's own making: the
// freedesktop folders point into a fresh folder whose only program for ".html"
// (with --registered) is a script that writes down the address it was given.
// Its own program: the desktop's programs are read once per process.

#include <sys/stat.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <cstring>

#include "CTessaryDlgApp.h"
#include "QelAppFixture.h"
#include "QelWebPages.h"

namespace {

QelAppTestHome* g_desktop;  // the fake desktop; also the program folder of a test that makes its own

void MakeDesktop(bool registered) {
    g_desktop = new QelAppTestHome;
    for (const char* dir : {"sysdata/", "sysconfig/", "data/applications/", "config/"}) g_desktop->WriteFile(dir);
    std::filesystem::create_symlink("/usr/share/mime", *g_desktop / "sysdata/mime");  // the system's type database
    for (const auto& [variable, dir] : {std::pair{"XDG_DATA_DIRS", "sysdata"}, {"XDG_DATA_HOME", "data"},
                                        {"XDG_CONFIG_DIRS", "sysconfig"}, {"XDG_CONFIG_HOME", "config"}})
        ::setenv(variable, (*g_desktop / dir).c_str(), 1);
    if (!registered) return;
    const std::string opened = *g_desktop / "opened.txt";
    g_desktop->WriteFile("browser.sh", "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + opened + ".part' && mv '" + opened +
                                           ".part' '" + opened + "'\n");
    ::chmod((*g_desktop / "browser.sh").c_str(), 0700);
    g_desktop->WriteFile("data/applications/qeltest-browser.desktop", "[Desktop Entry]\nType=Application\nName=Test Browser\nExec=" +
                                                                          (*g_desktop / "browser.sh") + " %u\nMimeType=text/html;\n");
    g_desktop->WriteFile("config/mimeapps.list", "[Default Applications]\ntext/html=qeltest-browser.desktop\n");
}

// What the script was started with, waiting for it to run; empty after the timeout.
std::string WaitForOpenedAddress() {
    QElapsedTimer timer;
    timer.start();
    while (!std::filesystem::exists(*g_desktop / "opened.txt") && timer.elapsed() < 15000)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    const std::string line = g_desktop->ReadFile("opened.txt");
    std::filesystem::remove(*g_desktop / "opened.txt");
    return line.substr(0, line.find('\n'));
}

class WebLinks : public QelMainWindowFixture {
protected:
    void SetUp() override {
        QelMainWindowFixture::SetUp();
        CQelDirMng::GetInstance()->SetModuleDir(QelString::FromFileName(QEL_RUNTIME_DIR));
        Open();
    }
    void Activate(int link) {
        if (link == 2) return Click("donateButton");
        emit dialog->findChild<QLabel*>(link ? "blogLink" : "manualLink")->linkActivated(QStringLiteral("#"));
    }
};

using WebLinksRegistered = WebLinks;
using WebLinksNone = WebLinks;

}  // namespace

TEST_F(WebLinksRegistered, LinksOpenTheirPagesInTheRegisteredProgramAndAFailedStartIsReported) {
    const std::string addresses[] = {"file://" + std::string(QEL_RUNTIME_DIR) + "/res/manual/index.html",
                                     QelString(qel::kDeveloperBlogAddress).ToStdString(),
                                     QelString(qel::kDonationAddress).ToStdString()};
    for (int i = 0; i < 3; ++i) {
        Activate(i);
        EXPECT_EQ(WaitForOpenedAddress(), addresses[i]);
    }
    EXPECT_TRUE(boxes.empty());
    // Registered and executable, but its interpreter is missing, so starting it fails.
    g_desktop->WriteFile("browser.sh", "#!/nonexistent/interpreter\n");
    Activate(0);
    EXPECT_EQ(BoxTexts(), Texts{"\".html\" Failed to run the registered program."});
    // A manual that is not a regular file (a FIFO would hang the browser) is not handed on.
    const QelAppTestHome folder;
    folder.WriteFile("res/manual/");
    ASSERT_EQ(::mkfifo((folder / "res/manual/index.html").c_str(), 0600), 0);
    Activate(0);
    EXPECT_EQ(BoxTexts().back(), "The manual \"" + (folder / "res/manual/index.html") + "\" could not be opened (not a regular file)!!");
    EXPECT_FALSE(std::filesystem::exists(*g_desktop / "opened.txt"));
}

TEST_F(WebLinksNone, NoRegisteredProgramIsReported) {
    for (int i = 0; i < 3; ++i) Activate(i);
    EXPECT_EQ(BoxTexts(), Texts(3, "No registered programs found."));
}

int main(int argc, char** argv) {
    bool registered = false;
    for (int i = 1; i < argc; ++i) registered = registered || std::strcmp(argv[i], "--registered") == 0;
    MakeDesktop(registered);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    CTessaryDlgApp app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    delete g_desktop;
    return result;
}
