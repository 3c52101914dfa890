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

// Below a writable program folder every folder is its own; an installed
// program keeps settings, logs and cache in the user's XDG folders (absolute
// values only) and reads its data from the data folder; an empty or unusable
// program folder gives no paths. Only a path asked for with creation, or the
// day's request log, makes its folder.
TEST(CQelDirMng, EachFolderLiesWhereTheProgramRuns) {
    QelTestDir dir;
    ::setenv("XDG_CONFIG_HOME", (dir / "cfg").c_str(), 1);
    ::setenv("XDG_STATE_HOME", (dir / "state").c_str(), 1);
    ::setenv("XDG_CACHE_HOME", "relative/ignored", 1);
    ::setenv("HOME", (dir / "home").c_str(), 1);
    WriteBytes(dir / "file", "x");
    const std::string installed = QEL_INSTALL_BINDIR, data = QEL_INSTALL_DATADIR;
    const struct { std::string module; const char16_t* name; std::string path; } cases[] = {
        {dir.path(), u"config", dir / "config"},   {dir.path(), u"res//img", dir / "res/img"},
        {installed, u"user", dir / "cfg/qeltessary/user"}, {installed, u"Log", dir / "state/qeltessary/Log"},
        {installed, u"temp", dir / "home/.cache/qeltessary/temp"}, {installed, u"config", data + "/config"},
        {installed, u"res//img", data + "/res/img"}, {"", u"config", ""},
    };
    CQelDirMng* dirs = CQelDirMng::GetInstance();
    for (const auto& c : cases) {
        dirs->SetModuleDir(QelString::FromFileName(c.module));
        EXPECT_EQ(PathIn(c.name) + "|" + std::to_string(dirs->UsesProgramFolder()), c.path + "|" + std::to_string(c.module == dir.path())) << c.path;
    }
    dirs->SetModuleDir(QelString::FromFileName(dir.path()));
    EXPECT_EQ(dirs->GetSubPath(u"res//img", u"ArrowDown.png", false).ToFileName(), dir / "res/img/ArrowDown.png");
    EXPECT_EQ(dirs->GetSubPath(u"user", u"x.txt", true).ToFileName(), dir / "user/x.txt");
    EXPECT_TRUE(!Exists(dir / "res") && Exists(dir / "user"));
    const qel::LocalTime t = qel::NowLocal();
    char leaf[32];
    std::snprintf(leaf, sizeof leaf, "Log/qelhttp_%04u%02u%02u.log", t.year, t.month, t.day);
    EXPECT_EQ(dirs->GetRequestLogFilePath().ToFileName(), dir / leaf);
    EXPECT_TRUE(Exists(dir / "Log"));
    dirs->SetModuleDir(QelString::FromFileName(installed));
    EXPECT_EQ(dirs->GetSubPath(u"user", u"env.json", true).ToFileName(), dir / "cfg/qeltessary/user/env.json");
    EXPECT_FALSE(dirs->GetLogDir().IsEmpty());
    EXPECT_TRUE(Exists(dir / "cfg/qeltessary/user") && Exists(dir / "state/qeltessary/Log"));
    for (const std::string& unusable : {std::string(), dir / "file"}) {
        dirs->SetModuleDir(QelString::FromFileName(unusable));
        EXPECT_TRUE(dirs->GetSubPath(u"user", u"x.txt", true).IsEmpty() || !unusable.empty()) << unusable;
        EXPECT_TRUE(dirs->GetLogDir().IsEmpty() && dirs->GetRequestLogFilePath().IsEmpty()) << unusable;
    }
}
