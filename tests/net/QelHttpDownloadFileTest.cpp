#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <memory>

#include "../foundation/QelTestDir.h"
#include "QelHttpDownloadFile.h"

namespace {
QelString Q(const std::string& s) { return QelString::FromFileName(s); }

auto OpenFiles() { return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {}); }
}  // namespace

// The name comes from the URL's path alone, decoded, and must name one folder entry.
TEST(DownloadFile, TheNameIsTheLastComponentOfTheDecodedPath) {
    // name: "" for refused
    const struct { std::string url; const char* name; } cases[] = {
        {"https://h/setup/inst.run?a=/etc/passwd#frag", "inst.run"}, {"https://h/setup/inst.run#x/y", "inst.run"},
        {"https://h/setup/in%20st%2Erun", "in st.run"}, {"https://h/setup/..inst", "..inst"}, {"https://h/setup/%2E%2E", ""},
        {"https://h/setup/.", ""}, {"https://h/setup/", ""}, {"https://h/setup/a%2Fb", ""}, {"https://h/setup/a%00b", ""},
        {std::string("https://h/a\0/inst.run", 21), ""}, {"not a url", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(qel::http::DownloadFileName(QelString::FromFileName(c.url)).ToStdString(), c.name) << c.url;
}

// Only the bytes of the last attempt stay, hashed as sha256sum would, readable
// by the owner only; an older file of that name is replaced, a link planted
// under it removed, never written through; a refused name or a folder in the
// way touches nothing; no descriptor stays open.
TEST(DownloadFile, TheFileHoldsTheLastAttemptReplacesOldFilesAndLinksUnfollowedAndLeavesNoPartOfAFailure) {
    const std::string sha = "9c0d294c05fc1d88d698034609bb81c0c69196327594e4c69d2915c80fd9850c";
    QelTestDir dir;
    for (const char* name : {"", ".", "..", "a/b"}) EXPECT_EQ(QelHttpDownloadFile().Open(Q(dir / "temp"), Q(name)), EINVAL);
    EXPECT_FALSE(Exists(dir / "temp")) << "a refused name touches nothing";
    std::filesystem::create_directories(dir / "temp/folder.run");
    WriteBytes(dir / "temp/folder.run/keep", "kept");
    EXPECT_NE(QelHttpDownloadFile().Open(Q(dir / "temp"), Q("folder.run")), 0);
    EXPECT_EQ(ReadBytes(dir / "temp/folder.run/keep"), "kept");

    const auto filesBefore = OpenFiles();
    WriteBytes(dir / "temp/old.run", "previous download");
    ::chmod((dir / "temp/old.run").c_str(), 0644);
    WriteBytes(dir / "victim", "the user's file");
    ASSERT_EQ(::symlink((dir / "victim").c_str(), (dir / "temp/link.run").c_str()), 0);
    ASSERT_EQ(::symlink((dir / "nowhere").c_str(), (dir / "temp/dangling.run").c_str()), 0);
    const struct { const char* name; std::string bytes, sha256; } cases[] = {
        {"inst.run", "installer", sha}, {"empty.run", "", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"old.run", "installer", sha}, {"link.run", "installer", sha}, {"dangling.run", "installer", sha},
    };
    const mode_t umask = ::umask(0277);  // the mode is set, not left to whatever the umask allows
    for (const auto& c : cases) {
        QelHttpDownloadFile file;
        QelHttpDownload saved;
        ASSERT_EQ(file.Open(Q(dir / "temp"), Q(c.name)), 0) << c.name;
        ASSERT_TRUE(file.Append("stale bytes of a first attempt") && file.Restart() && file.Append(c.bytes) && file.Finish(saved));
        const std::string path = dir / ("temp/" + std::string(c.name));
        EXPECT_EQ(saved.path.ToStdString() + "|" + std::to_string(saved.size) + "|" + saved.sha256 + "|" + ReadBytes(path),
                  path + "|" + std::to_string(c.bytes.size()) + "|" + c.sha256 + "|" + c.bytes);
        struct stat st {};
        EXPECT_EQ(::lstat(path.c_str(), &st) == 0 ? st.st_mode : 0, S_IFREG | 0700u) << c.name;
    }
    ::umask(umask);
    EXPECT_EQ(ReadBytes(dir / "victim"), "the user's file");
    EXPECT_FALSE(Exists(dir / "nowhere"));
    // A disk that takes only part of the download (here a file size limit), or a
    // download given up: no partial file stays behind to be started later.
    for (const rlim_t limit : {RLIM_INFINITY, rlim_t{4096}}) {
        auto file = std::make_unique<QelHttpDownloadFile>();
        ASSERT_EQ(file->Open(Q(dir / "temp"), Q("part.run")), 0);
        WithFileSizeLimit(limit, [&] { EXPECT_EQ(file->Append(std::string(100000, 'x')), limit == RLIM_INFINITY); });
        limit == RLIM_INFINITY ? file->Discard() : file.reset();
        EXPECT_FALSE(Exists(dir / "temp/part.run")) << limit;
    }
    EXPECT_EQ(OpenFiles(), filesBefore) << "a descriptor is left open";
}
