#include "QelResultOps.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "CQelFileMng.h"
#include "QelBeneathRoot.h"
#include "QelDirCursor.h"
#include "QelFileOps.h"
#include "QelFolderMove.h"
#include "QelOpHook.h"
#include "QelPath.h"
#include "QelResultTargets.h"
#include "QelTreeOps.h"

namespace qel {

namespace {

// A row's entry as the operations address it: its folder, opened below the
// search root once for a run of rows in the same folder, its name as bytes,
// and what the entry is now.
struct RowEntry {
    int dirFd = -1;
    std::string name;
    struct stat st {};

    // A folder row that still is a folder gets the tree operations; a link
    // or file in its place is acted on as what it is.
    bool IsTree(const QelResultRow& row) const { return row.isFolder && S_ISDIR(st.st_mode); }
};

int ResolveRow(QelBeneathRoot& root, const QelResultRow& row, RowEntry& entry) {
    int error = 0;
    entry.dirFd = root.OpenFolder(Utf16ToUtf8(row.Path()), error);
    if (entry.dirFd < 0) return error;
    entry.name = Utf16ToUtf8(row.Name());
    if (::fstatat(entry.dirFd, entry.name.c_str(), &entry.st, AT_SYMLINK_NOFOLLOW) != 0) return errno;
    // A file row never turns into a tree operation, whatever took its name.
    if (!row.isFolder && S_ISDIR(entry.st.st_mode)) return EISDIR;
    RunOpHook(QelOpStep::RowResolved);
    return 0;
}

// Runs act on every row, counts, notifies and lets the window system breathe.
// act returns 0 or the reason and sets target to where the row went (copy,
// move) before it acts.
template <typename Act>
QelResultOpCounts RunRows(const QelResultRows& rows, const char16_t* progressFormat, IQelResultSubWndDelegate* delegate,
                          const QelResultRowObserver& observer, Act act) {
    QelResultOpCounts counts;
    const int total = static_cast<int>(rows.size());
    QelString target;
    for (int i = 0; i < total; ++i) {
        const QelResultRow& row = rows[static_cast<std::size_t>(i)];
        if (observer) target = QelString(row.fullPath);
        const QelItemOutcome outcome{act(row, target)};
        if (outcome.Succeeded()) ++counts.succeeded;
        else ++counts.failed;
        if (observer) observer(row, target, outcome);
        if (delegate) {
            delegate->onNotifyEvent(u"MSG", QelString::Formatted(progressFormat, i, total),
                                    QelString::Formatted(u" Succces:%d, Failed:%d", counts.succeeded, counts.failed));
        }
        CQelFileMng::PumpDialogMessages();
    }
    return counts;
}

// The destination folder of a Copy or Move, made when the first row needs it.
class Destination {
public:
    explicit Destination(const QelString& path) : m_path(path.IsEmpty() ? "/" : path.ToFileName()) {}
    Destination(const Destination&) = delete;
    Destination& operator=(const Destination&) = delete;
    ~Destination() {
        if (m_fd >= 0) ::close(m_fd);
    }

    // -1 with error set when it cannot be made.
    int Open(int& error) {
        if (m_fd < 0 && MakeDirectoryChain(QelString::FromFileName(m_path)))
            m_fd = ::open(m_path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (m_fd < 0) error = errno ? errno : ENOENT;
        return m_fd;
    }

    // Why the folder may not go to targetName here, judged before anything
    // is made: while the destination is missing, from the nearest folder above it that exists.
    int NestingReasonFor(int folderFd, const std::string& targetName) {
        if (m_fd < 0) m_fd = ::open(m_path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (m_fd >= 0) return NestingReason(folderFd, m_fd, targetName.c_str());
        std::string existing = m_path;
        int fd = -1;
        while ((fd = ::open(existing.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC)) < 0) {
            const std::size_t slash = existing.find_last_of('/', existing.find_last_not_of('/'));
            if (slash == std::string::npos || existing == "/") return 0;
            existing.resize(slash == 0 ? 1 : slash);
        }
        const int reason = NestingReason(folderFd, fd, "");
        ::close(fd);
        return reason;
    }

private:
    std::string m_path;
    int m_fd = -1;
};

// Runs act(row, entry, folderFd, destinationFd, targetName) on every row for
// Copy and Move, with the row resolved, its target named and, for a tree,
// the nesting refused before anything is written. folderFd is the row's own
// folder for a tree, else -1.
template <typename Act>
QelResultOpCounts RunToDestination(const QelResultRows& rows, const QelCopyMoveOptions& options,
                                   const char16_t* progressFormat, IQelResultSubWndDelegate* delegate,
                                   const QelResultRowObserver& observer, Act act) {
    QelBeneathRoot root(options.searchRoot.ToFileName());
    Destination destination(options.destination);
    const std::size_t destinationLength = static_cast<std::size_t>(options.destination.GetLength()) + 1;
    return RunRows(rows, progressFormat, delegate, observer, [&](const QelResultRow& row, QelString& targetPath) {
        targetPath = MakeTargetPath(options.destination, row.Name(), options.makeUniqueName);
        const std::string targetName = Utf16ToUtf8(targetPath.view().substr(destinationLength));
        RowEntry entry;
        if (const int error = ResolveRow(root, row, entry)) return error;
        QelDirHandle folder;
        if (entry.IsTree(row)) {
            if (!folder.Open(entry.dirFd, entry.name.c_str(), false)) return errno;
            if (const int reason = destination.NestingReasonFor(folder.Fd(), targetName)) return reason;
        }
        int error = 0;
        const int destinationFd = destination.Open(error);
        if (destinationFd < 0) return error;
        return act(row, entry, destinationFd, targetName.c_str());
    });
}

}  // namespace

QelResultOpCounts CopyResultRows(const QelResultRows& rows, const QelCopyMoveOptions& options,
                                 IQelResultSubWndDelegate* delegate, const QelResultRowObserver& observer) {
    return RunToDestination(rows, options, u"Copy [%d/%d] Process", delegate, observer,
                            [](const QelResultRow& row, const RowEntry& entry, int targetDir, const char* targetName) {
        if (entry.IsTree(row)) return CopyTreeAt(entry.dirFd, entry.name.c_str(), targetDir, targetName, {});
        return CopyEntryAt(entry.dirFd, entry.name.c_str(), entry.st, targetDir, targetName, false);
    });
}

QelResultOpCounts MoveResultRows(const QelResultRows& rows, const QelCopyMoveOptions& options,
                                 IQelResultSubWndDelegate* delegate, const QelResultRowObserver& observer) {
    return RunToDestination(rows, options, u"Move [%d/%d] Process", delegate, observer,
                            [](const QelResultRow& row, const RowEntry& entry, int targetDir, const char* targetName) {
        if (entry.IsTree(row)) return MoveFolderAt(entry.dirFd, entry.name.c_str(), targetDir, targetName);
        return MoveFileAt(entry.dirFd, entry.name.c_str(), targetDir, targetName) ? 0 : errno;
    });
}

QelResultOpCounts DeleteResultRows(const QelResultRows& rows, const QelString& searchRoot,
                                   IQelResultSubWndDelegate* delegate, const QelResultRowObserver& observer) {
    QelBeneathRoot root(searchRoot.ToFileName());
    return RunRows(rows, u"Delete [%d/%d] Process", delegate, observer, [&](const QelResultRow& row, QelString&) {
        RowEntry entry;
        if (const int error = ResolveRow(root, row, entry)) return error;
        if (entry.IsTree(row)) {
            const QelTreeDeleteHow how{.pump = true, .shownPath = Utf16ToUtf8(row.fullPath)};
            return DeleteTreeAt(entry.dirFd, entry.name.c_str(), how);
        }
        // Looked at once already: the checks of DeleteFileAt without a second look.
        if (IsWriteProtected(entry.st.st_mode)) return EACCES;
        return ::unlinkat(entry.dirFd, entry.name.c_str(), 0) == 0 ? 0 : errno;
    });
}

}  // namespace qel
