#pragma once
// Starting a program with administrator rights: pkexec with the program's
// path. pkexec asks polkit on behalf of its parent process, so this process
// stays alive, and LaunchElevated returns only once the user has been asked:
// when pkexec has turned into the program (authorised) or has ended. The
// launcher is the one place tests replace (with a recorder); the program
// itself uses /usr/bin/pkexec and nothing else.

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

#include "QelString.h"

namespace qel {

// True when path's program was started with administrator rights.
using QelElevationLauncher = std::function<bool(const QelString& path)>;

// Runs the current launcher (pkexec unless a test installed another).
bool LaunchElevated(const QelString& path);

// Tests put a recorder in place; an empty function restores pkexec.
void SetElevationLauncher(QelElevationLauncher launcher);
// pkexec's part of LaunchElevated, with the elevator's path given (a test's
// stand-in): true once path's program runs; false when the elevator ended on
// its own account (126 dismissed, 127 refused), by a signal, or never started.
bool RunElevatedThrough(const std::string& elevator, const QelString& path);

// How a child started by RunUntilReplaced ended its first stage.
struct QelChildOutcome {
    enum class Kind {
        kNotStarted,  // no such program, or it could not be run
        kExited,      // it ended with exitCode
        kSignalled,   // a signal ended it
        kReplaced,    // it executed another program, which runs on (pid); a thread reaps it
    };
    Kind kind = Kind::kNotStarted;
    int exitCode = 0;
    pid_t pid = -1;
};

// Starts argv (argv[0] an absolute path, no shell) as a child of this
// process and waits until it either ends or executes another program, seen
// as its process name changing from argv[0]'s name. Blocks the calling thread.
QelChildOutcome RunUntilReplaced(const std::vector<std::string>& argv);

}  // namespace qel
