#pragma once
// The command line of qeltessary-cli.

#include "QelString.h"

enum class QelCliOutputMode { kLines, kNulSeparated, kJson };
enum class QelCliCommand { kSearch, kJob };

struct QelCliOptions {
    bool help = false;
    QelCliCommand command = QelCliCommand::kSearch;
    QelString path;
    QelString jobName;  // job: the saved after-search job to run
    bool dryRun = false;  // job: tell what would be done, touch nothing
    QelStringArray names;
    QelStringArray exts;
    QelStringArray folders;
    QelString filter;  // unset when no --filter was given
    bool includeSubFolders = true;
    bool followLinks = false;
    bool sameFileSystem = false;
    QelCliOutputMode output = QelCliOutputMode::kLines;
};

// Fills options from argv; false with a message in error on a bad command
// line. Every argument is taken as its exact bytes.
bool ParseCliOptions(int argc, const char* const* argv, QelCliOptions& options, QelString& error);

// The --help text.
const char* CliUsage();

// Prints message as one line on standard error; returns exit status 2.
int PrintCliFailure(const QelString& message);
