#include "QelResultOps.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <string>

#include "CQelFileMng.h"
#include "QelFileOps.h"
#include "QelFolderCache.h"
#include "QelFolderMove.h"
#include "QelPath.h"
#include "QelResultTargets.h"

namespace qel {

namespace {

// A row's entry as the operations address it: its folder, opened once for a
// run of rows in the same folder, and its name as bytes.
struct RowEntry {
    int dirFd = -1;
    std::string name;
    bool isLink = false;
};

bool OpenRowEntry(QelFolderCache& folders, const QelResultRow& row, RowEntry& entry) {
    entry.dirFd = folders.Open(row.Path());
    if (entry.dirFd < 0) return false;
    entry.name = Utf16ToUtf8(row.Name());
    struct stat st;
    // Only folder rows need the question: file operations never follow a link anyway.
    entry.isLink = row.isFolder && ::fstatat(entry.dirFd, entry.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
                   S_ISLNK(st.st_mode);
    return true;
}

// Runs act on every row, counts, notifies and lets the window system breathe.
// act sets target to where the row went (copy, move) before it acts.
template <typename Act>
QelResultOpCounts RunRows(const QelResultRows& rows, const char16_t* progressFormat, IQelResultSubWndDelegate* delegate,
                          const QelResultRowObserver& observer, Act act) {
    QelResultOpCounts counts;
    const int total = static_cast<int>(rows.size());
    QelString target;
    for (int i = 0; i < total; ++i) {
        const QelResultRow& row = rows[static_cast<std::size_t>(i)];
        if (observer) target = QelString(row.fullPath);
        const bool succeeded = act(row, target);
        if (succeeded) ++counts.succeeded;
        else ++counts.failed;
        if (observer) observer(row, target, succeeded);
        if (delegate) {
            delegate->onNotifyEvent(u"MSG", QelString::Formatted(progressFormat, i, total),
                                    QelString::Formatted(u" Succces:%d, Failed:%d", counts.succeeded, counts.failed));
        }
        CQelFileMng::PumpDialogMessages();
    }
    return counts;
}

// Where a row goes: the full path, and the destination folder (kept open for
// the run; -1 while it is missing) and name to act on.
struct RowTarget {
    QelString path;
    int dirFd = -1;
    std::string name;
};

// Runs act(row, entry, target) on every row for Copy and Move. A destination
// typed as a new folder is made first, so file rows find it as folder rows
// would; if it cannot be made, every row fails on its own.
template <typename Act>
QelResultOpCounts RunToDestination(const QelResultRows& rows, const QelCopyMoveOptions& options,
                                   const char16_t* progressFormat, IQelResultSubWndDelegate* delegate,
                                   const QelResultRowObserver& observer, Act act) {
    const QelString& destination = options.destination;
    if (!rows.empty()) MakeDirectoryChain(destination.IsEmpty() ? QelString(u"/") : destination);
    QelFolderCache sources, targets;
    return RunRows(rows, progressFormat, delegate, observer, [&](const QelResultRow& row, QelString& targetPath) {
        RowTarget target;
        target.path = MakeTargetPath(destination, row.Name(), options.makeUniqueName);
        targetPath = target.path;
        RowEntry entry;
        if (!OpenRowEntry(sources, row, entry)) return false;
        target.dirFd = targets.Open(destination.view());
        target.name = Utf16ToUtf8(target.path.view().substr(static_cast<std::size_t>(destination.GetLength()) + 1));
        return act(row, entry, target);
    });
}

}  // namespace

QelResultOpCounts CopyResultRows(const QelResultRows& rows, const QelCopyMoveOptions& options,
                                 IQelResultSubWndDelegate* delegate, const QelResultRowObserver& observer) {
    return RunToDestination(rows, options, u"Copy [%d/%d] Process", delegate, observer,
                            [](const QelResultRow& row, const RowEntry& entry, const RowTarget& target) {
        if (row.isFolder && !entry.isLink)
            return CQelFileMng::GetInstance()->doCopyFolderContents(QelString(row.fullPath), target.path);
        if (target.dirFd < 0) return false;
        const char* name = entry.name.c_str();
        if (!entry.isLink && CopyFileAt(entry.dirFd, name, target.dirFd, target.name.c_str(), true)) return true;
        // A file row that is a link is refused by the file copy and copied as the link it is.
        return (entry.isLink || errno == ELOOP) &&
               CopySymlinkAt(entry.dirFd, name, target.dirFd, target.name.c_str(), true);
    });
}

QelResultOpCounts MoveResultRows(const QelResultRows& rows, const QelCopyMoveOptions& options,
                                 IQelResultSubWndDelegate* delegate, const QelResultRowObserver& observer) {
    return RunToDestination(rows, options, u"Move [%d/%d] Process", delegate, observer,
                            [](const QelResultRow& row, const RowEntry& entry, const RowTarget& target) {
        if (row.isFolder && !entry.isLink) return MoveFolder(QelString(row.fullPath), target.path);
        return target.dirFd >= 0 && MoveFileAt(entry.dirFd, entry.name.c_str(), target.dirFd, target.name.c_str());
    });
}

QelResultOpCounts DeleteResultRows(const QelResultRows& rows, IQelResultSubWndDelegate* delegate,
                                   const QelResultRowObserver& observer) {
    QelFolderCache folders;
    return RunRows(rows, u"Delete [%d/%d] Process", delegate, observer, [&](const QelResultRow& row, QelString&) {
        RowEntry entry;
        if (!OpenRowEntry(folders, row, entry)) return false;
        if (row.isFolder && !entry.isLink)
            return CQelFileMng::GetInstance()->doDeleteFolderContents(QelString(row.fullPath), nullptr, true);
        return DeleteFileAt(entry.dirFd, entry.name.c_str());
    });
}

}  // namespace qel
