#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <regex>
#include <sstream>
#include <thread>

#include "CQelLogMng.h"
#include "QelTestDir.h"

namespace {
// A fresh log service, as made at program start with the given environment.
CQelLogMng* FreshLog(const char* envValue) {
    if (envValue) ::setenv("QELTESSARY_LOG", envValue, 1);
    else ::unsetenv("QELTESSARY_LOG");
    CQelLogMng::DeleteInstance();
    return CQelLogMng::GetInstance();
}
}  // namespace

// Off unless QELTESSARY_LOG=1 or --log; off, nothing is written anywhere.
TEST(CQelLogMng, OffUnlessSwitchedOn) {
    QelTestDir dir;
    testing::internal::CaptureStderr();
    FreshLog(nullptr)->Write(u"hidden %d", 1);
    CQelLogMng::GetInstance()->WriteFile(QelString::FromFileName(dir / "off.log"), u"hidden");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_FALSE(Exists(dir / "off.log"));
    const char* const args[] = {"qeltessary", "--other", "--log"};
    CQelLogMng* log = FreshLog(nullptr);
    log->ApplyCommandLine(2, args);
    const bool withoutFlag = log->IsEnabled();
    log->ApplyCommandLine(3, args);
    const bool withFlag = log->IsEnabled();
    EXPECT_EQ(std::to_string(FreshLog("0")->IsEnabled()) + std::to_string(FreshLog("1")->IsEnabled()) + std::to_string(withoutFlag) +
                  std::to_string(withFlag), "0101");
}

TEST(CQelLogMng, DebugLineFormatAndCut) {
    CQelLogMng* log = FreshLog("1");
    testing::internal::CaptureStderr();
    log->Write(u"Run Search! %s=%d", QelString(u"files"), 12);
    log->Write(u"%s", std::u16string_view(std::u16string(1500, u'z')));
    log->Write(u"%s", std::u16string_view(std::u16string(1023, u'z') + u"\U00010000 tail"));  // a pair at the cut goes whole
    const std::string out = testing::internal::GetCapturedStderr();
    const std::string stamp = R"(\[\d\d:\d\d:\d\d:\d\d\d\]:)";
    EXPECT_TRUE(std::regex_match(out, std::regex(stamp + "Run Search! files=12\n" + stamp + "z{1024}\n" + stamp + "z{1023}\n"))) << out;
}

// Each line is appended whole with its date and time and CR LF, also from
// many threads at once; a file that cannot be opened, or is no regular file, drops the line.
TEST(CQelLogMng, FileLinesAppendWholeWithCrLf) {
    QelTestDir dir;
    const QelString path = QelString::FromFileName(dir / "day.log");
    FreshLog("1")->WriteFile(path, u"%s HTTP Request(url:%s)", u"[QelCliComm] ", u"http://x");
    {
        std::vector<std::jthread> threads;  // each reaches the service through the accessor, as HTTP workers do
        for (int t = 0; t < 8; ++t)
            threads.emplace_back([t, &path] { for (int i = 0; i < 200; ++i) CQelLogMng::GetInstance()->WriteFile(path, u"thread %d line %03d", t, i); });
    }
    std::istringstream lines(ReadBytes(dir / "day.log"));
    std::string line;
    std::getline(lines, line);
    const std::string stamp = R"(\[\d{4}/\d\d/\d\d\]\[\d\d:\d\d:\d\d:\d\d\d\] )";
    EXPECT_TRUE(std::regex_match(line, std::regex(stamp + R"(\[QelCliComm\]  HTTP Request\(url:http://x\)\r)"))) << line;
    int count = 0;
    for (const std::regex shape(stamp + R"(thread [0-7] line \d{3}\r)"); std::getline(lines, line); ++count)
        EXPECT_TRUE(std::regex_match(line, shape)) << line;
    EXPECT_EQ(count, 1600);
    CQelLogMng::GetInstance()->WriteFile(QelString::FromFileName(dir / "no/such/folder.log"), u"lost");
    EXPECT_FALSE(Exists(dir / "no"));
    ASSERT_EQ(::mkfifo((dir / "fifo.log").c_str(), 0600), 0);
    std::filesystem::create_symlink("/dev/null", dir / "device.log");
    const auto openFiles = [] { return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {}); };
    const auto filesBefore = openFiles();
    for (const char* leaf : {"fifo.log", "device.log"})  // returns: no reader is waited for
        CQelLogMng::GetInstance()->WriteFile(QelString::FromFileName(dir / leaf), u"line");
    EXPECT_EQ(openFiles(), filesBefore) << "a descriptor is left open";
}
