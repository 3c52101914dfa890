#include <gtest/gtest.h>
#include <unistd.h>

#include "CQelDirMng.h"
#include "QelLocalTime.h"
#include "QelTestDir.h"
#include "QelVersion.h"

namespace {
std::string PathIn(const char16_t* name) { return CQelDirMng::GetInstance()->GetPathInModuleDir(name).ToFileName(); }
}  // namespace

TEST(CQelDirMng, ProgramFolderComesFromTheRunningExecutable) {
    ::unsetenv("QELTESSARY_HOME");
    CQelDirMng::DeleteInstance();
    char exe[4096] = {};
    ASSERT_GT(::readlink("/proc/self/exe", exe, sizeof exe - 1), 0);
    const std::string exePath(exe);
    CQelDirMng* dirs = CQelDirMng::GetInstance();
    EXPECT_EQ(dirs->GetModulePath().ToFileName(), exePath);
    EXPECT_EQ(dirs->GetModuleDir().ToFileName(), exePath.substr(0, exePath.rfind('/')));

    QelTestDir home;
    ::setenv("QELTESSARY_HOME", (home.path() + "/").c_str(), 1);
    CQelDirMng::DeleteInstance();
    EXPECT_EQ(CQelDirMng::GetInstance()->GetModuleDir().ToFileName(), home.path());
    EXPECT_EQ(PathIn(u"config"), home / "config");
    ::unsetenv("QELTESSARY_HOME");
    CQelDirMng::DeleteInstance();
}

TEST(CQelDirMng, PathsBelowAWritableProgramFolder) {
    QelTestDir dir;
    CQelDirMng* dirs = CQelDirMng::GetInstance();
    dirs->SetModuleDir(QelString::FromFileName(dir.path()));
    EXPECT_TRUE(dirs->UsesProgramFolder());
    EXPECT_EQ(PathIn(u"config"), dir / "config");
    EXPECT_EQ(PathIn(u"res//img"), dir / "res/img");
    EXPECT_EQ(PathIn(u"res/view"), dir / "res/view");

    EXPECT_EQ(dirs->GetSubPath(u"res//img", u"ArrowDown.png", false).ToFileName(), dir / "res/img/ArrowDown.png");
    EXPECT_FALSE(Exists(dir / "res"));
    EXPECT_EQ(dirs->GetSubPath(u"user", u"x.txt", true).ToFileName(), dir / "user/x.txt");
    EXPECT_TRUE(Exists(dir / "user"));

    const qel::LocalTime t = qel::NowLocal();
    char leaf[32];
    std::snprintf(leaf, sizeof leaf, "Log/qelhttp_%04u%02u%02u.log", t.year, t.month, t.day);
    EXPECT_EQ(dirs->GetRequestLogFilePath().ToFileName(), dir / leaf);
    EXPECT_TRUE(Exists(dir / "Log"));  // asking for the path makes the folder
}

TEST(CQelDirMng, EmptyOrUnusableProgramFolder) {
    QelTestDir dir;
    CQelDirMng* dirs = CQelDirMng::GetInstance();
    dirs->SetModuleDir(QelString(u""));
    EXPECT_TRUE(dirs->GetPathInModuleDir(u"config").IsEmpty());
    EXPECT_TRUE(dirs->GetSubPath(u"user", u"x.txt", true).IsEmpty());
    EXPECT_TRUE(dirs->GetRequestLogFilePath().IsEmpty());

    WriteBytes(dir / "file", "x");
    dirs->SetModuleDir(QelString::FromFileName(dir / "file"));
    EXPECT_TRUE(dirs->GetLogDir().IsEmpty());
    EXPECT_TRUE(dirs->GetRequestLogFilePath().IsEmpty());
}

TEST(CQelDirMng, InstalledProgramUsesXdgAndDataFolders) {
    QelTestDir dir;
    ::setenv("XDG_CONFIG_HOME", (dir / "cfg").c_str(), 1);
    ::setenv("XDG_STATE_HOME", (dir / "state").c_str(), 1);
    ::setenv("XDG_CACHE_HOME", "relative/ignored", 1);
    ::setenv("HOME", (dir / "home").c_str(), 1);
    CQelDirMng* dirs = CQelDirMng::GetInstance();
    dirs->SetModuleDir(QelString::FromUtf8(QEL_INSTALL_BINDIR));
    EXPECT_FALSE(dirs->UsesProgramFolder());
    EXPECT_EQ(PathIn(u"user"), dir / "cfg/qeltessary/user");
    EXPECT_EQ(PathIn(u"Log"), dir / "state/qeltessary/Log");
    EXPECT_EQ(PathIn(u"temp"), dir / "home/.cache/qeltessary/temp");  // relative XDG values do not count
    EXPECT_EQ(PathIn(u"config"), std::string(QEL_INSTALL_DATADIR) + "/config");
    EXPECT_EQ(PathIn(u"res//img"), std::string(QEL_INSTALL_DATADIR) + "/res/img");

    EXPECT_EQ(dirs->GetSubPath(u"user", u"env.json", true).ToFileName(), dir / "cfg/qeltessary/user/env.json");
    EXPECT_TRUE(Exists(dir / "cfg/qeltessary/user"));
    EXPECT_FALSE(dirs->GetLogDir().IsEmpty());
    EXPECT_TRUE(Exists(dir / "state/qeltessary/Log"));
}
