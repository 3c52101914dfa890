#pragma once
// Starting a program with administrator rights: pkexec with the program's
// path, detached from this process. The launcher is the one place tests
// replace (with a recorder); the program itself uses pkexec and nothing else.

#include <functional>

#include "QelString.h"

namespace qel {

// True when path's program was handed to the elevation command.
using QelElevationLauncher = std::function<bool(const QelString& path)>;

// Runs the current launcher (pkexec unless a test installed another).
bool LaunchElevated(const QelString& path);

// Tests put a recorder in place; an empty function restores pkexec.
void SetElevationLauncher(QelElevationLauncher launcher);

}  // namespace qel
