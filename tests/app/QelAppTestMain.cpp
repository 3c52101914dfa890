// Runs the main-window tests headless inside the program's own application
// object, on a desktop of the test's own making: the freedesktop folders point
// into a fresh folder whose only program for ".html" is a script that writes
// down the address it was given (the desktop's programs are read once per process).
#include <sys/stat.h>

#include <QElapsedTimer>
#include <QLabel>

#include "CTessaryDlgApp.h"
#include "QelAppFixture.h"
#include "QelWebPages.h"

namespace {

QelAppTestHome* g_desktop;

void MakeDesktop() {
    g_desktop = new QelAppTestHome;
    g_desktop->WriteFile("sysconfig/");
    std::filesystem::create_directories(*g_desktop / "sysdata");
    std::filesystem::create_symlink("/usr/share/mime", *g_desktop / "sysdata/mime");  // the system's type database
    for (const auto& [variable, dir] : {std::pair{"XDG_DATA_DIRS", "sysdata"}, {"XDG_DATA_HOME", "data"},
                                        {"XDG_CONFIG_DIRS", "sysconfig"}, {"XDG_CONFIG_HOME", "config"}})
        ::setenv(variable, (*g_desktop / dir).c_str(), 1);
    const std::string opened = *g_desktop / "opened.txt";
    g_desktop->WriteFile("browser.sh", "#!/bin/sh\nprintf '%s\\n' \"$1\" > '" + opened + ".part' && mv '" + opened + ".part' '" + opened + "'\n");
    ::chmod((*g_desktop / "browser.sh").c_str(), 0700);
    g_desktop->WriteFile("data/applications/qeltest-browser.desktop", "[Desktop Entry]\nType=Application\nName=Browser\nExec=" +
                                                                          (*g_desktop / "browser.sh") + " %u\nMimeType=text/html;\n");
    g_desktop->WriteFile("config/mimeapps.list", "[Default Applications]\ntext/html=qeltest-browser.desktop\n");
}

// What the script was started with, waiting for it to run; empty after the timeout.
std::string OpenedAddress() {
    QElapsedTimer timer;
    timer.start();
    while (!std::filesystem::exists(*g_desktop / "opened.txt") && timer.elapsed() < 15000) QApplication::processEvents(QEventLoop::AllEvents, 20);
    const std::string line = g_desktop->ReadFile("opened.txt");
    std::filesystem::remove(*g_desktop / "opened.txt");
    return line.substr(0, line.find('\n'));
}

using WebLinks = QelMainWindowFixture;

}  // namespace

// The links open their pages in the registered program; a failed start, and a
// manual that is not a regular file (a FIFO would hang the browser), are reported.
TEST_F(WebLinks, LinksOpenTheirPagesInTheRegisteredProgramAndAFailureIsReported) {
    home.WriteFile("res/manual/index.html", "<html></html>");
    Open();
    const auto activate = [&](const char* link) { emit dialog->findChild<QLabel*>(link)->linkActivated(QStringLiteral("#")); };
    activate("manualLink");
    EXPECT_EQ(OpenedAddress(), "file://" + (home / "res/manual/index.html"));
    activate("blogLink");
    EXPECT_EQ(OpenedAddress(), QelString(qel::kDeveloperBlogAddress).ToStdString());
    Click("donateButton");
    EXPECT_EQ(OpenedAddress(), QelString(qel::kDonationAddress).ToStdString());
    std::filesystem::remove(home / "res/manual/index.html");
    ::mkfifo((home / "res/manual/index.html").c_str(), 0600);
    activate("manualLink");
    g_desktop->WriteFile("browser.sh", "#!/nonexistent/interpreter\n");  // registered and executable, but it cannot start
    activate("blogLink");
    EXPECT_EQ(boxes, (Texts{"The manual \"" + (home / "res/manual/index.html") + "\" could not be opened (not a regular file)!!",
                            "\".html\" Failed to run the registered program."}));
    EXPECT_FALSE(std::filesystem::exists(*g_desktop / "opened.txt"));
}

int main(int argc, char** argv) {
    MakeDesktop();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    int result = 0;
    {
        CTessaryDlgApp app(argc, argv);
        ::testing::InitGoogleTest(&argc, argv);
        result = RUN_ALL_TESTS();
    }
    delete g_desktop;
    return result;
}
