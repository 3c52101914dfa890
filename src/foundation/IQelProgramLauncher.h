#pragma once
// Handing a file or folder to the desktop: opening it with the program
// registered for its type, showing it in the file manager, or starting a
// named program on it. Callers reach the desktop only through this
// interface, so tests put a recorder in its place.

#include "QelString.h"

class IQelProgramLauncher {
public:
    virtual ~IQelProgramLauncher() = default;

    // The full path of the program registered for extension (".txt",
    // ".xlsx"); empty when none is.
    virtual QelString FindProgram(const QelString& extension) = 0;
    // Starts program with file as its one argument, not waiting for it; true when it started.
    virtual bool Open(const QelString& program, const QelString& file) = 0;
    // Opens path with the program registered for its content type (a folder
    // with the file manager); true when that program was started.
    virtual bool Open(const QelString& path) = 0;
    // Shows path selected in the file manager; where none answers, opens the
    // folder that holds it. True when either worked.
    virtual bool ShowInFolder(const QelString& path) = 0;
    // Why the last Open(path) or ShowInFolder failed, for the user.
    const QelString& LastFailure() const { return m_lastFailure; }

protected:
    QelString m_lastFailure;
};

namespace qel {
// The desktop's associations, process start, GIO and the freedesktop
// FileManager1 interface; one for the process.
IQelProgramLauncher& DesktopProgramLauncher();
// The command line that starts program on file: both quoted, so blanks and
// quotes in either stay part of it.
QelString OpenCommandLine(const QelString& program, const QelString& file);
}  // namespace qel
