#pragma once
// Writes the results of qeltessary-cli to a file descriptor.

#include "QelCliOptions.h"

// File results first, then folder results. Paths go out as their file-name
// bytes; the JSON form escapes what is not text (raw bytes of names that are
// not UTF-8 appear as "\udcXX", as Python's surrogateescape reads them).
// False when the output could not be written.
bool WriteResults(int fd, const QelStringArray& files, const QelStringArray& folders, QelCliOutputMode mode);
