#include <gtest/gtest.h>
#include <sys/wait.h>

#include <chrono>
#include <regex>
#include <set>
#include <thread>

#include "CQelLogMng.h"
#include "CQelWinUtilFunc.h"
#include "QelTestDir.h"

namespace {
CQelWinUtilFunc* Util() { return CQelWinUtilFunc::GetInstance(); }
}  // namespace

// Fresh upper-case hex each time; each byte without its leading zero.
TEST(CQelWinUtilFunc, GuidStringsAreFreshUpperCaseHex) {
    const std::uint8_t bytes[16] = {0x0A, 0x0B, 0x00, 0xFF, 0x10, 1, 2, 3, 4, 5, 6, 7, 8, 0xEE, 0xEE, 0xEE};
    EXPECT_EQ(CQelWinUtilFunc::FormatGuidBytes(bytes).ToStdString(), "AB0FF1012345678");
    std::set<std::string> seen;
    for (int i = 0; i < 50; ++i) seen.insert(Util()->MakeGuidString().ToStdString());
    EXPECT_EQ(seen.size(), 50u);
    for (const std::string& guid : seen) EXPECT_TRUE(std::regex_match(guid, std::regex("[0-9A-F]{13,26}"))) << guid;
}

// The command line is split as a shell would; the started program runs on
// its own, with no child left behind; what cannot start is logged.
TEST(CQelWinUtilFunc, RunProcessSplitsLikeAShellAndLeavesNoChild) {
    QelTestDir dir;
    const std::string out = dir / "out file.txt";
    const struct { std::string command; bool started; const char* logged; } cases[] = {
        {"sh -c 'printf \"%s|%s\" \"$0\" \"$1\" > \"$2\"' 'two words' x\\ y '" + out + "'", true, "CreateProcess returned 1"},
        {"", false, ""},  // starts and logs nothing
        {"/no/such/program-qel --flag", false, "CreateProcess returned 0 for </no/such/program-qel --flag>"},
        {"echo 'unbalanced", false, "CreateProcess returned 0 for <echo 'unbalanced>"},
    };
    ::setenv("QELTESSARY_LOG", "1", 1);
    CQelLogMng::DeleteInstance();
    for (const auto& c : cases) {
        testing::internal::CaptureStderr();
        EXPECT_EQ(Util()->RunProcess(QelString::FromFileName(c.command)), c.started) << c.command;
        const std::string log = testing::internal::GetCapturedStderr();
        EXPECT_TRUE(*c.logged ? log.find(c.logged) != std::string::npos : log.empty()) << log;
        EXPECT_EQ(log.find("\n\n"), std::string::npos) << "no empty log line";
    }
    CQelLogMng::GetInstance()->SetEnabled(false);
    for (int i = 0; i < 1000 && ReadBytes(out).empty(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(ReadBytes(out), "two words|x y");
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    int status = 0;
    errno = 0;
    EXPECT_EQ(::waitpid(-1, &status, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
}
