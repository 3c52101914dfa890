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

// The started program writes path on its own time; wait until it holds something.
std::string WaitForContent(const std::string& path) {
    for (int i = 0; i < 1000 && ReadBytes(path).empty(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return ReadBytes(path);
}

std::string CaptureLog(const std::function<void()>& action) {
    ::setenv("QELTESSARY_LOG", "1", 1);
    CQelLogMng::DeleteInstance();
    testing::internal::CaptureStderr();
    action();
    return testing::internal::GetCapturedStderr();
}
}  // namespace

// Fresh upper-case hex each time; each byte without its leading zero.
TEST(CQelWinUtilFunc, GuidStringsAreFreshUpperCaseHex) {
    const std::uint8_t bytes[16] = {0x0A, 0x0B, 0x00, 0xFF, 0x10, 1, 2, 3, 4, 5, 6, 7, 8, 0xEE, 0xEE, 0xEE};
    EXPECT_EQ(CQelWinUtilFunc::FormatGuidBytes(bytes).ToStdString(), "AB0FF1012345678");
    std::set<std::string> seen;
    for (int i = 0; i < 50; ++i) {
        const std::string guid = Util()->MakeGuidString().ToStdString();
        EXPECT_TRUE(std::regex_match(guid, std::regex("[0-9A-F]{13,26}"))) << guid;
        seen.insert(guid);
    }
    EXPECT_EQ(seen.size(), 50u);
}

TEST(CQelWinUtilFunc, RunProcessSplitsLikeAShellAndLeavesNoChild) {
    QelTestDir dir;
    const std::string out = dir / "out file.txt";
    const QelString command = QelString::FromFileName("sh -c 'printf \"%s|%s\" \"$0\" \"$1\" > \"$2\"' 'two words' x\\ y '" + out + "'");
    ASSERT_TRUE(Util()->RunProcess(command));
    EXPECT_EQ(WaitForContent(out), "two words|x y");
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    int status = 0;
    errno = 0;
    EXPECT_EQ(::waitpid(-1, &status, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
}

TEST(CQelWinUtilFunc, RunProcessFailures) {
    std::string log = CaptureLog([] { EXPECT_FALSE(Util()->RunProcess(QelString(u""))); });
    EXPECT_EQ(log, "");  // an empty command starts and logs nothing
    log = CaptureLog([] { EXPECT_FALSE(Util()->RunProcess(u"/no/such/program-qel --flag")); });
    EXPECT_NE(log.find("CreateProcess returned 0 for </no/such/program-qel --flag>"), std::string::npos) << log;
    EXPECT_FALSE(Util()->RunProcess(u"echo 'unbalanced"));
}

// An empty or missing association, buffer or length is refused as "not found", and logged.
TEST(CQelWinUtilFunc, AssocQueryStringRejectsBadParameters) {
    char16_t buffer[16] = {u'x'};
    std::uint32_t length = 16, zero = 0;
    std::set<std::uint32_t> statuses;
    const std::string log = CaptureLog([&] {
        for (std::uint32_t status : {Util()->_AssocQueryString(u".txt", buffer, &zero), Util()->_AssocQueryString(u"", buffer, &length),
                                     Util()->_AssocQueryString(nullptr, buffer, &length), Util()->_AssocQueryString(u".txt", nullptr, &length),
                                     Util()->_AssocQueryString(u".txt", buffer, nullptr)})
            statuses.insert(status);
    });
    EXPECT_EQ(statuses, std::set<std::uint32_t>{0x80070002u});
    EXPECT_NE(log.find("ERROR: _AssocQueryString: bad parameters"), std::string::npos);
}
