#pragma once
// Knows the program's folder and forms paths below it: config, user, Log,
// temp, res/img, res/view. When the program folder is not writable (an
// installed program), user, Log and temp go to the XDG folders and config and
// res are read from the installed data folder.

#include "QelString.h"

class CQelDirMng {
public:
    static CQelDirMng* GetInstance();
    static void DeleteInstance();
    virtual ~CQelDirMng() = default;

    QelString GetModuleDir() const { return m_moduleDir; }
    // The folder for name ("config", "user", "Log", "temp", "res/img", "res/view"...)
    // joined with "%s/%s"; empty when the module folder is unknown.
    QelString GetPathInModuleDir(const QelString& name) const;
    // GetPathInModuleDir(name) + "/" + leaf; creates the folder first when create is true.
    QelString GetSubPath(const QelString& name, const QelString& leaf, bool create) const;
    // The Log folder, created on demand; empty when it cannot be created.
    QelString GetLogDir() const;
    // Log folder + "qelhttp_YYYYMMDD.log" for today; empty without a Log folder.
    QelString GetRequestLogFilePath() const;
    // Same algorithm as CQelFileMng::doMakeDirectoryChain.
    static bool MakeDirectoryChain(const QelString& path);

    // Tests and tools point the program folder elsewhere (also the
    // QELTESSARY_HOME environment variable, read at construction).
    void SetModuleDir(const QelString& dir);
    // Writes the folders in use into the debug log.
    void LogFolders() const;

protected:
    CQelDirMng();

private:
    QelString m_moduleDir;
    QelString m_modulePath;
    bool m_writable = true;
};
