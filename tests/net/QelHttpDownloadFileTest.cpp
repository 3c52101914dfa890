#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "../foundation/QelTestDir.h"
#include "QelHttpDownloadFile.h"

namespace {

QelString Q(const std::string& s) { return QelString::FromFileName(s); }

mode_t ModeOf(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 ? st.st_mode : 0;
}

// Writes bytes as name in dir's "temp" folder; the file's description, or nothing.
bool Save(const QelTestDir& dir, const std::string& name, const std::string& bytes, QelHttpDownload& saved) {
    QelHttpDownloadFile file;
    if (file.Open(Q(dir / "temp"), Q(name)) != 0) return false;
    return file.Append("stale bytes of a first attempt") && file.Restart() && file.Append(bytes) && file.Finish(saved);
}

}  // namespace

// The name comes from the URL's path alone, decoded, and must name one folder entry.
TEST(DownloadFile, TheNameIsTheLastComponentOfTheDecodedPath) {
    const struct {
        const char* url;
        const char* name;  // "" for refused
    } cases[] = {
        {"https://h/setup/inst.run", "inst.run"},
        {"https://h/setup/inst.run?a=/etc/passwd#frag", "inst.run"},
        {"https://h/setup/inst.run#x/y", "inst.run"},
        {"https://h/setup/in%20st%2Erun", "in st.run"},
        {"https://h/setup/..inst", "..inst"},
        {"https://h/setup/%2E%2E", ""},
        {"https://h/setup/.", ""},
        {"https://h/setup/", ""},
        {"https://h/setup/a%2Fb", ""},
        {"https://h/setup/a%00b", ""},
        {"not a url", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(qel::http::DownloadFileName(Q(c.url)).ToStdString(), c.name) << c.url;
}

// Only the bytes of the last attempt stay, hashed as sha256sum would, readable
// by the owner only; an older file of that name is replaced, and a link
// planted under it is removed, never written through.
TEST(DownloadFile, TheFileHoldsTheLastAttemptAndReplacesOldFilesAndLinksUnfollowed) {
    const std::string sha = "9c0d294c05fc1d88d698034609bb81c0c69196327594e4c69d2915c80fd9850c";
    QelTestDir dir;
    const auto openFiles = [] { return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {}); };
    const auto filesBefore = openFiles();
    const struct {
        const char* name;
        std::string bytes, sha256;
    } cases[] = {
        {"inst.run", "installer", sha},  // creates temp
        {"empty.run", "", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"old.run", "installer", sha},
        {"link.run", "installer", sha},
        {"dangling.run", "installer", sha},
    };
    for (const auto& c : cases) {
        if (c.name == std::string("old.run")) {
            WriteBytes(dir / "temp/old.run", "previous download");
            ::chmod((dir / "temp/old.run").c_str(), 0644);
            WriteBytes(dir / "victim", "the user's file");
            ASSERT_EQ(::symlink((dir / "victim").c_str(), (dir / "temp/link.run").c_str()), 0);
            ASSERT_EQ(::symlink((dir / "nowhere").c_str(), (dir / "temp/dangling.run").c_str()), 0);
        }
        QelHttpDownload saved;
        ASSERT_TRUE(Save(dir, c.name, c.bytes, saved)) << c.name;
        const std::string path = dir / ("temp/" + std::string(c.name));
        EXPECT_EQ(saved.path.ToStdString(), path);
        EXPECT_EQ(saved.size, c.bytes.size()) << c.name;
        EXPECT_EQ(saved.sha256, c.sha256) << c.name;
        EXPECT_TRUE(S_ISREG(ModeOf(path))) << c.name;
        EXPECT_EQ(ReadBytes(path), c.bytes) << c.name;
        EXPECT_EQ(ModeOf(path) & 07777, 0700u) << c.name;
    }
    EXPECT_EQ(ReadBytes(dir / "victim"), "the user's file");
    EXPECT_FALSE(Exists(dir / "nowhere"));
    EXPECT_EQ(openFiles(), filesBefore) << "a descriptor is left open";
}

TEST(DownloadFile, RefusedNamesAndFoldersInTheWayTouchNothing) {
    using namespace std::string_literals;
    QelTestDir dir;
    for (const std::string& name : {""s, "."s, ".."s, "a/b"s, "a\0b"s}) {
        QelHttpDownloadFile file;
        EXPECT_EQ(file.Open(Q(dir / "temp"), QelString::FromFileName(name)), EINVAL);
    }
    EXPECT_FALSE(Exists(dir / "temp")) << "a refused name touches nothing";
    ASSERT_EQ(::mkdir((dir / "temp").c_str(), 0700), 0);
    ASSERT_EQ(::mkdir((dir / "temp/inst.run").c_str(), 0700), 0);
    WriteBytes(dir / "temp/inst.run/keep", "kept");
    QelHttpDownloadFile file;
    EXPECT_NE(file.Open(Q(dir / "temp"), Q("inst.run")), 0);
    EXPECT_EQ(ReadBytes(dir / "temp/inst.run/keep"), "kept");
}

// A disk that takes only part of the download (here a file size limit), or a
// download given up: no partial file stays behind to be started later.
TEST(DownloadFile, AShortWriteOrADiscardLeavesNoPartialFile) {
    QelTestDir dir;
    QelHttpDownloadFile given;
    ASSERT_EQ(given.Open(Q(dir / "temp"), Q("given.run")), 0);
    ASSERT_TRUE(given.Append("half"));
    given.Discard();
    EXPECT_FALSE(Exists(dir / "temp/given.run"));

    struct rlimit old {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    struct sigaction ignore {}, previous {};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGXFSZ, &ignore, &previous);
    struct rlimit small = old;
    small.rlim_cur = 4096;
    bool appended = true;
    {
        QelHttpDownloadFile file;
        ASSERT_EQ(file.Open(Q(dir / "temp"), Q("inst.run")), 0);
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
        appended = file.Append(std::string(100000, 'x'));
        ::setrlimit(RLIMIT_FSIZE, &old);
    }
    ::sigaction(SIGXFSZ, &previous, nullptr);
    EXPECT_FALSE(appended);
    EXPECT_FALSE(Exists(dir / "temp/inst.run"));
}
