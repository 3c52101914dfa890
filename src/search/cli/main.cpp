// qeltessary-cli: searches a folder tree with the program's search engine
// and prints the hits. See CliUsage() for the command line.

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "CQelFileMng.h"
#include "QelCliFilter.h"
#include "QelCliOptions.h"
#include "QelCliOutput.h"

namespace {

constexpr int kFound = 0;
constexpr int kNothingFound = 1;
constexpr int kFailed = 2;

int Fail(const QelString& message) {
    std::fprintf(stderr, "%s\n", message.ToUtf8());
    return kFailed;
}

void Append(QelStringArray& to, const QelStringArray& from) { to.insert(to.end(), from.begin(), from.end()); }

}  // namespace

int main(int argc, char** argv) {
    QelCliOptions options;
    QelString error;
    if (!ParseCliOptions(argc, argv, options, error)) {
        Fail(error);
        std::fputs("Try 'qeltessary-cli --help'.\n", stderr);
        return kFailed;
    }
    if (options.help) {
        std::fputs(CliUsage(), stdout);
        return kFound;
    }
    if (options.path.IsEmpty()) return Fail(QelString(u"The path is empty!!"));
    // An existence test only, as in the main window: a file passes and yields nothing.
    if (access(options.path.ToFileName().c_str(), F_OK) != 0) return Fail(QelString(u"The search path is invalid!!"));

    QelStringArray names, exts, folders;
    if (options.filter.IsSet() && !LoadNamedFilter(options.filter, names, exts, folders, error)) return Fail(error);
    Append(names, options.names);
    Append(exts, options.exts);
    Append(folders, options.folders);
    if (names.empty() && exts.empty() && folders.empty()) return Fail(QelString(u"There are no search criteria!!"));

    // Static, so the lists die with the process instead of being freed one
    // string at a time after the output is written.
    static QelStringArray* fileResults = new QelStringArray;
    static QelStringArray* folderResults = new QelStringArray;
    CQelFileMng::GetInstance()->SearchFiles(options.path, *fileResults, *folderResults, names, exts, folders,
                                            options.includeSubFolders);
    if (!WriteResults(STDOUT_FILENO, *fileResults, *folderResults, options.output))
        return Fail(QelString(u"The results could not be written."));
    CQelFileMng::DeleteInstance();
    return fileResults->empty() && folderResults->empty() ? kNothingFound : kFound;
}
