#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>

#include "CQelDirMng.h"
#include "QelLocalTime.h"
#include "QelTestDir.h"
#include "QelVersion.h"

TEST(CQelDirMng, ProgramFolderComesFromTheEnvironmentOrTheRunningExecutable) {
    char exe[4096] = {};
    ASSERT_GT(::readlink("/proc/self/exe", exe, sizeof exe - 1), 0);
    QelTestDir home;
    for (const bool fromEnvironment : {true, false}) {
        if (fromEnvironment) ::setenv("QELTESSARY_HOME", (home.path() + "/").c_str(), 1);
        else ::unsetenv("QELTESSARY_HOME");
        CQelDirMng::DeleteInstance();
        EXPECT_EQ(CQelDirMng::GetInstance()->GetModuleDir().ToFileName(), fromEnvironment ? home.path() : std::string(exe, std::strrchr(exe, '/')));
    }
}

// Below a writable program folder every folder is its own; an installed
// program keeps settings, logs and cache in the user's XDG folders (absolute
// values only) and reads its data from the data folder; an empty or unusable
// program folder gives no paths. Only a path asked for with creation, or the
// day's request log (a row without a folder name), makes its folder.
TEST(CQelDirMng, EachFolderLiesWhereTheProgramRuns) {
    QelTestDir dir;
    ::setenv("XDG_CONFIG_HOME", (dir / "cfg").c_str(), 1);
    ::setenv("XDG_STATE_HOME", (dir / "state").c_str(), 1);
    ::setenv("XDG_CACHE_HOME", "relative/ignored", 1);
    ::setenv("HOME", (dir / "home").c_str(), 1);
    WriteBytes(dir / "file", "x");
    const qel::LocalTime t = qel::NowLocal();
    char day[32];
    std::snprintf(day, sizeof day, "qelhttp_%04u%02u%02u.log", t.year, t.month, t.day);
    const std::string installed = QEL_INSTALL_BINDIR, data = QEL_INSTALL_DATADIR, log = day;
    const struct { std::string module; const char16_t* name; const char* leaf; bool create; std::string path; } cases[] = {
        {dir.path(), u"config", "a", false, dir / "config/a"}, {dir.path(), u"res//img", "b.png", false, dir / "res/img/b.png"},
        {dir.path(), u"user", "x.txt", true, dir / "user/x.txt"}, {dir.path(), nullptr, "", true, dir / "Log/" + log},
        {installed, u"user", "env.json", true, dir / "cfg/qeltessary/user/env.json"},
        {installed, u"Log", "a", false, dir / "state/qeltessary/Log/a"}, {installed, nullptr, "", true, dir / "state/qeltessary/Log/" + log},
        {installed, u"temp", "a", false, dir / "home/.cache/qeltessary/temp/a"}, {installed, u"config", "a", false, data + "/config/a"},
        {installed, u"res//img", "a", false, data + "/res/img/a"},
        {"", u"user", "a", true, ""}, {"", nullptr, "", true, ""}, {dir / "file", nullptr, "", true, ""},
    };
    CQelDirMng* dirs = CQelDirMng::GetInstance();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.module + " " + c.path);
        dirs->SetModuleDir(QelString::FromFileName(c.module));
        const QelString path = c.name ? dirs->GetSubPath(c.name, QelString::FromFileName(c.leaf), c.create) : dirs->GetRequestLogFilePath();
        EXPECT_EQ(path.ToFileName(), c.path);
        EXPECT_TRUE(!c.path.starts_with(dir.path()) || Exists(c.path.substr(0, c.path.rfind('/'))) == c.create);
    }
}
