#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

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

// Only the bytes of the last attempt stay, hashed as sha256sum would.
TEST(DownloadFile, TheFileHoldsTheLastAttemptWithItsSha256AndOwnerOnlyRights) {
    QelTestDir dir;
    QelHttpDownload saved;
    ASSERT_TRUE(Save(dir, "inst.run", "installer", saved));
    EXPECT_EQ(saved.path.ToStdString(), dir / "temp/inst.run");
    EXPECT_EQ(saved.size, 9u);
    EXPECT_EQ(saved.sha256, "9c0d294c05fc1d88d698034609bb81c0c69196327594e4c69d2915c80fd9850c");
    EXPECT_EQ(ReadBytes(dir / "temp/inst.run"), "installer");
    EXPECT_EQ(ModeOf(dir / "temp/inst.run") & 07777, 0700u);
    ASSERT_TRUE(Save(dir, "empty.run", "", saved));
    EXPECT_EQ(saved.sha256, "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
}

// An older file of that name is replaced, and a link planted under it is
// removed, never written through.
TEST(DownloadFile, AnOlderFileOrAPlantedLinkIsReplacedNotFollowed) {
    QelTestDir dir;
    ASSERT_EQ(::mkdir((dir / "temp").c_str(), 0700), 0);
    WriteBytes(dir / "temp/old.run", "previous download");
    ::chmod((dir / "temp/old.run").c_str(), 0644);
    WriteBytes(dir / "victim", "the user's file");
    ASSERT_EQ(::symlink((dir / "victim").c_str(), (dir / "temp/inst.run").c_str()), 0);
    ASSERT_EQ(::symlink((dir / "nowhere").c_str(), (dir / "temp/dangling.run").c_str()), 0);
    for (const char* name : {"old.run", "inst.run", "dangling.run"}) {
        QelHttpDownload saved;
        ASSERT_TRUE(Save(dir, name, "new installer", saved)) << name;
        const std::string path = dir / ("temp/" + std::string(name));
        EXPECT_TRUE(S_ISREG(ModeOf(path))) << name;
        EXPECT_EQ(ReadBytes(path), "new installer") << name;
        EXPECT_EQ(ModeOf(path) & 07777, 0700u) << name;
    }
    EXPECT_EQ(ReadBytes(dir / "victim"), "the user's file");
    EXPECT_FALSE(Exists(dir / "nowhere"));
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
