#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "../../foundation/QelTestDir.h"
#include "QelInstallerFile.h"

namespace {

using qel::QelInstallerSave;

QelString Q(const std::string& s) { return QelString::FromFileName(s); }

mode_t ModeOf(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 ? st.st_mode : 0;
}

// Saves bytes as name in dir's "temp" folder.
QelInstallerSave Save(const QelTestDir& dir, const std::string& name, const std::string& bytes,
                      const QelString* sha256) {
    QelString path;
    return qel::SaveInstaller(Q(dir / "temp"), Q(name), bytes, sha256, path);
}

}  // namespace

TEST(InstallerFile, OnlyANameOfOneFolderEntryIsAccepted) {
    using namespace std::string_literals;  // names holding NUL keep their full length
    const struct {
        std::u16string name;
        bool plain;
    } cases[] = {
        {u"inst.run"s, true}, {u"..inst"s, true}, {u""s, false},    {u"."s, false},
        {u".."s, false},      {u"a/b"s, false},   {u"a\0b"s, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(qel::IsPlainFileName(QelString(c.name)), c.plain) << QelString(c.name).ToStdString();
        QelTestDir dir;
        if (!c.plain) {
            QelString path;
            EXPECT_EQ(qel::SaveInstaller(Q(dir / "temp"), QelString(c.name), "x", nullptr, path),
                      QelInstallerSave::kBadName);
            EXPECT_FALSE(Exists(dir / "temp")) << "a refused name touches nothing";
        }
    }
}

// The name comes from the network: an older file of that name is replaced,
// and a link planted under it is removed, never written through.
TEST(InstallerFile, AnOlderFileOrAPlantedLinkIsReplacedNotFollowed) {
    QelTestDir dir;
    ASSERT_EQ(::mkdir((dir / "temp").c_str(), 0700), 0);
    WriteBytes(dir / "temp/old.run", "previous download");
    ::chmod((dir / "temp/old.run").c_str(), 0644);
    WriteBytes(dir / "victim", "the user's file");
    ASSERT_EQ(::symlink((dir / "victim").c_str(), (dir / "temp/inst.run").c_str()), 0);
    ASSERT_EQ(::symlink((dir / "nowhere").c_str(), (dir / "temp/dangling.run").c_str()), 0);

    for (const char* name : {"old.run", "inst.run", "dangling.run"}) {
        ASSERT_EQ(Save(dir, name, "new installer", nullptr), QelInstallerSave::kSaved) << name;
        const std::string path = dir / ("temp/" + std::string(name));
        EXPECT_TRUE(S_ISREG(ModeOf(path))) << name;
        EXPECT_EQ(ReadBytes(path), "new installer") << name;
        EXPECT_EQ(ModeOf(path) & 07777, 0700u) << name;
    }
    EXPECT_EQ(ReadBytes(dir / "victim"), "the user's file");
    EXPECT_FALSE(Exists(dir / "nowhere"));
}

TEST(InstallerFile, ExpectedSha256MustMatchInAnyCaseElseNothingIsTouched) {
    const std::string bytes = "installer";
    // As sha256sum prints them.
    const std::string hash = "9c0d294c05fc1d88d698034609bb81c0c69196327594e4c69d2915c80fd9850c";
    EXPECT_EQ(qel::Sha256Hex(bytes), hash);
    EXPECT_EQ(qel::Sha256Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    std::string upper = hash;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const struct {
        std::string expected;
        QelInstallerSave result;
    } cases[] = {
        {hash, QelInstallerSave::kSaved},
        {upper, QelInstallerSave::kSaved},
        {std::string(64, '0'), QelInstallerSave::kDamaged},
        {hash.substr(0, 63), QelInstallerSave::kDamaged},
        {hash + "0", QelInstallerSave::kDamaged},
        {"", QelInstallerSave::kDamaged},
    };
    for (const auto& c : cases) {
        QelTestDir dir;
        ASSERT_EQ(::mkdir((dir / "temp").c_str(), 0700), 0);
        WriteBytes(dir / "temp/inst.run", "older");
        const QelString expected = Q(c.expected);
        EXPECT_EQ(Save(dir, "inst.run", bytes, &expected), c.result) << c.expected;
        EXPECT_EQ(ReadBytes(dir / "temp/inst.run"), c.result == QelInstallerSave::kSaved ? bytes : "older")
            << c.expected;
    }
}

// A disk that takes only part of the installer (here a file size limit):
// the partial file must not stay behind to be started later.
TEST(InstallerFile, AShortWriteLeavesNoPartialFile) {
    QelTestDir dir;
    ASSERT_EQ(::mkdir((dir / "temp").c_str(), 0700), 0);
    struct rlimit old {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    struct sigaction ignore {}, previous {};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGXFSZ, &ignore, &previous);
    struct rlimit small = old;
    small.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const QelInstallerSave result = Save(dir, "inst.run", std::string(100000, 'x'), nullptr);
    ::setrlimit(RLIMIT_FSIZE, &old);
    ::sigaction(SIGXFSZ, &previous, nullptr);
    EXPECT_EQ(result, QelInstallerSave::kWriteFailed);
    EXPECT_FALSE(Exists(dir / "temp/inst.run"));
}

TEST(InstallerFile, AFolderInTheWayIsKeptAndTheSaveFails) {
    QelTestDir dir;
    ASSERT_EQ(::mkdir((dir / "temp").c_str(), 0700), 0);
    ASSERT_EQ(::mkdir((dir / "temp/inst.run").c_str(), 0700), 0);
    WriteBytes(dir / "temp/inst.run/keep", "kept");
    EXPECT_EQ(Save(dir, "inst.run", "x", nullptr), QelInstallerSave::kWriteFailed);
    EXPECT_EQ(ReadBytes(dir / "temp/inst.run/keep"), "kept");
}
