#include "CQelDirMng.h"

#include <pwd.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>

#include "CQelLogMng.h"
#include "QelLocalTime.h"
#include "QelPath.h"
#include "QelSingleton.h"
#include "QelVersion.h"

namespace {
QelSingletonSlot<CQelDirMng> g_dirMng;

QelString ReadExecutablePath() {
    char buffer[PATH_MAX + 1];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, PATH_MAX);
    return n > 0 ? QelString::FromFileName(std::string_view(buffer, static_cast<std::size_t>(n))) : QelString(u"");
}

// "res//img" and "res/img" name the same folder; keep one spelling.
QelString CleanName(const QelString& name) {
    QelString r(u"");
    for (int i = 0; i < name.GetLength(); ++i) {
        const char16_t c = name[i];
        if (c == u'/' && (r.IsEmpty() || r[r.GetLength() - 1] == u'/')) continue;
        r.Append(c);
    }
    return qel::RemoveTrailingSeparator(r);
}

QelString HomeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home) return QelString::FromFileName(home);
    passwd entry{};
    passwd* found = nullptr;
    char buffer[4096];
    if (::getpwuid_r(::getuid(), &entry, buffer, sizeof buffer, &found) == 0 && found && found->pw_dir)
        return QelString::FromFileName(found->pw_dir);
    return QelString(u"");
}

// An XDG base folder: the variable when it holds an absolute path, else the default below home.
QelString XdgFolder(const char* variable, const char16_t* fallback) {
    if (const char* value = std::getenv(variable); value && value[0] == '/') return QelString::FromFileName(value);
    const QelString home = HomeFolder();
    return home.IsEmpty() ? home : QelString::Formatted(u"%s/%s", home, fallback);
}

bool IsWritableProgramFolder(const QelString& dir) {
    if (dir.IsEmpty()) return false;
    // root may write anywhere; an installed program still keeps its folder clean.
    if (dir.Equals(QelString::FromUtf8(QEL_INSTALL_BINDIR))) return false;
    return ::access(dir.ToFileName().c_str(), W_OK) == 0;
}
}  // namespace

CQelDirMng* CQelDirMng::GetInstance() {
    return g_dirMng.Get([] { return new CQelDirMng(); });
}

void CQelDirMng::DeleteInstance() { g_dirMng.Delete(); }

CQelDirMng::CQelDirMng() {
    m_modulePath = ReadExecutablePath();
    const int slash = m_modulePath.ReverseFind(u'/');
    QelString dir = slash >= 1 ? m_modulePath.Left(slash) : QelString(u"");
    if (const char* home = std::getenv("QELTESSARY_HOME"); home && *home) dir = QelString::FromFileName(home);
    SetModuleDir(dir);
    LogFolders();
}

void CQelDirMng::SetModuleDir(const QelString& dir) {
    m_moduleDir = qel::RemoveTrailingSeparator(dir);
    m_writable = IsWritableProgramFolder(m_moduleDir);
}

QelString CQelDirMng::GetPathInModuleDir(const QelString& name) const {
    if (m_moduleDir.IsEmpty()) return QelString(u"");
    const QelString clean = CleanName(name);
    if (m_writable) return QelString::Formatted(u"%s/%s", m_moduleDir, clean);

    const int slash = clean.Find(u'/');
    const QelString first = slash < 0 ? clean : clean.Left(slash);
    QelString base;
    if (first.Equals(u"user")) base = XdgFolder("XDG_CONFIG_HOME", u".config");
    else if (first.Equals(u"Log")) base = XdgFolder("XDG_STATE_HOME", u".local/state");
    else if (first.Equals(u"temp")) base = XdgFolder("XDG_CACHE_HOME", u".cache");
    else return QelString::Formatted(u"%s/%s", QelString::FromUtf8(QEL_INSTALL_DATADIR), clean);
    if (base.IsEmpty()) return base;
    return QelString::Formatted(u"%s/qeltessary/%s", base, clean);
}

QelString CQelDirMng::GetSubPath(const QelString& name, const QelString& leaf, bool create) const {
    const QelString base = GetPathInModuleDir(name);
    if (base.IsEmpty()) return base;
    if (create) MakeDirectoryChain(base);
    return QelString::Formatted(u"%s/%s", base, leaf);
}

QelString CQelDirMng::GetLogDir() const {
    const QelString dir = GetPathInModuleDir(u"Log");
    if (dir.IsEmpty() || !MakeDirectoryChain(dir)) return QelString(u"");
    return dir;
}

QelString CQelDirMng::GetRequestLogFilePath() const {
    const QelString dir = GetLogDir();
    if (dir.IsEmpty()) return dir;
    const qel::LocalTime t = qel::NowLocal();
    return QelString::Formatted(u"%s/qelhttp_%04u%02u%02u.log", dir, t.year, t.month, t.day);
}

bool CQelDirMng::MakeDirectoryChain(const QelString& path) { return qel::MakeDirectoryChain(path); }

void CQelDirMng::LogFolders() const {
    CQelLogMng* log = CQelLogMng::GetInstance();
    if (!log->IsEnabled()) return;
    log->Write(u"Program file: %s", m_modulePath);
    log->Write(u"Program folder: %s (%s)", m_moduleDir,
               m_writable ? u"writable, all folders inside" : u"read-only, installed layout");
    for (const char16_t* name : {u"config", u"user", u"Log", u"temp", u"res/img", u"res/view"})
        log->Write(u"Folder %s: %s", name, GetPathInModuleDir(name));
}
