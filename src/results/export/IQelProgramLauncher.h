#pragma once
// Finding the program the desktop registered for a file type and opening a
// file with it. The exports reach the desktop only through this interface,
// so tests put a recorder in its place.

#include "QelString.h"

class IQelProgramLauncher {
public:
    virtual ~IQelProgramLauncher() = default;
    // The full path of the program registered for extension (".txt",
    // ".xlsx"); empty when none is.
    virtual QelString FindProgram(const QelString& extension) = 0;
    // Starts program with file as its one argument, not waiting for it; true when it started.
    virtual bool Open(const QelString& program, const QelString& file) = 0;
};

namespace qel {
// The desktop's associations (CQelWinUtilFunc::_AssocQueryString) and
// process start (CQelWinUtilFunc::RunProcess); one for the process.
IQelProgramLauncher& DesktopProgramLauncher();
// The command line that starts program on file: both quoted, so blanks and
// quotes in either stay part of it.
QelString OpenCommandLine(const QelString& program, const QelString& file);
}  // namespace qel
