#pragma once
// The command line of qeltessary-cli.

#include "QelString.h"

enum class QelCliOutputMode { kLines, kNulSeparated, kJson };

struct QelCliOptions {
    bool help = false;
    QelString path;
    QelStringArray names;
    QelStringArray exts;
    QelStringArray folders;
    QelString filter;  // unset when no --filter was given
    bool includeSubFolders = true;
    bool followLinks = false;
    bool sameFileSystem = false;
    QelCliOutputMode output = QelCliOutputMode::kLines;
};

// Fills options from argv; false with a message in error on a bad command line.
bool ParseCliOptions(int argc, const char* const* argv, QelCliOptions& options, QelString& error);

// The --help text.
const char* CliUsage();
