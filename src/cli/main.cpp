// qeltessary-cli: searches a folder tree with the program's search engine
// and prints the hits as it finds them, or runs a saved after-search job on
// them. See CliUsage() for the command line.

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "CQelSearchCriteria.h"
#include "QelCliFilter.h"
#include "QelCliJob.h"
#include "QelCliNameListing.h"
#include "QelCliOptions.h"
#include "QelPath.h"
#include "QelCliOutput.h"
#include "QelWalkTree.h"

namespace {

constexpr int kFound = 0;
constexpr int kNothingFound = 1;
constexpr int kFailed = 2;

int Fail(const QelString& message) { return PrintCliFailure(message); }

void Append(QelStringArray& to, const QelStringArray& from) { to.insert(to.end(), from.begin(), from.end()); }

QelWalkOptions WalkOptions(const QelCliOptions& options) {
    QelWalkOptions walk;
    walk.includeSubFolders = options.includeSubFolders;
    walk.followLinks = options.followLinks;
    walk.sameFileSystem = options.sameFileSystem;
    return walk;
}

}  // namespace

int main(int argc, char** argv) {
    if (int status = 0; RunCliNameListing(argc, argv, status)) return status;
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
    if (options.command == QelCliCommand::kJob) return RunCliJob(options);
    if (options.path.IsEmpty()) return Fail(QelString(u"The path is empty!!"));
    // The main window's own check and message for a path that is not there.
    const std::string root = options.path.ToFileName();
    if (access(root.c_str(), F_OK) != 0 && errno == ENOENT) return Fail(qel::InvalidSearchPathText(options.path, ENOENT));

    QelStringArray names, exts, folders;
    if (options.filter.IsSet() && !LoadNamedFilter(options.filter, names, exts, folders, error)) return Fail(error);
    Append(names, options.names);
    Append(exts, options.exts);
    Append(folders, options.folders);
    if (names.empty() && exts.empty() && folders.empty()) return Fail(QelString(u"There are no search criteria!!"));

    const CQelSearchCriteria criteria(names, exts, folders);
    CQelCliResultWriter writer(STDOUT_FILENO, options.output, criteria, root);
    const QelWalkResult walked = qel::WalkTree(root, WalkOptions(options), writer);
    if (walked.rootError != 0)
        return Fail(QelString::Formatted(u"The search path \"%s\" cannot be read: %s.", options.path,
                                         QelString::FromUtf8(std::strerror(walked.rootError))));
    if (!writer.Finish()) return Fail(QelString(u"The results could not be written."));
    return writer.FoundAny() ? kFound : kNothingFound;
}
