#pragma once
// Handing a found file or folder to the desktop: opening it with the program
// registered for its type, or showing it in the desktop's file manager.
// Callers hold a pointer to a launcher, so tests can put a recorder in place.

#include "QelString.h"

class CQelDesktopLauncher {
public:
    virtual ~CQelDesktopLauncher() = default;

    // The process-wide launcher that talks to the desktop.
    static CQelDesktopLauncher* GetDefault();

    // Opens path with the program registered for its content type (a folder
    // with the file manager); true when that program was started.
    virtual bool Open(const QelString& path);
    // Shows path selected in the file manager through the freedesktop
    // FileManager1 interface on the session bus; where none answers, opens
    // the folder that holds it with its default program. True when either worked.
    virtual bool ShowInFolder(const QelString& path);
    // Why the last Open or ShowInFolder of this launcher failed, for the user.
    const QelString& LastFailure() const { return m_lastFailure; }

protected:
    QelString m_lastFailure;
};
