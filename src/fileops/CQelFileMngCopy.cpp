// Tree copy: depth first with an explicit stack of directory descriptors, so
// neither the depth of the tree nor the length of its paths is bounded.
#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <vector>

#include "CQelFileMng.h"
#include "QelCancel.h"
#include "QelDirCursor.h"
#include "QelFileOps.h"
#include "QelPathAt.h"

namespace {

struct CopyFrame {
    QelDirCursor source;
    QelDirHandle target;
};

// Starts copying the folder name of the innermost frame: creates it in the
// target, opens both sides and pushes them. A folder that is the destination
// itself (a copy into its own source) is left out, or the copy would never end.
bool EnterFolder(std::vector<CopyFrame>& stack, const std::string& name, const QelDirHandle& destination,
                 const std::atomic<bool>* cancel) {
    CopyFrame& parent = stack.back();
    struct stat st;
    if (::fstatat(parent.source.Fd(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
        destination.Is(st.st_dev, st.st_ino))
        return true;
    if (::mkdirat(parent.target.Fd(), name.c_str(), 0777) != 0 && errno != EEXIST) return false;
    CopyFrame child;
    if (!child.target.Open(parent.target.Fd(), name.c_str(), false)) return false;
    if (qel::IsCancelled(cancel)) return false;
    if (!child.source.Open(parent.source.Fd(), name.c_str(), false)) return false;
    parent.source.Park();
    parent.target.Close();
    stack.push_back(std::move(child));
    return true;
}

// Copies one entry of the innermost frame; true when it was copied or needs no copy.
bool CopyEntry(std::vector<CopyFrame>& stack, const QelDirCursor::Entry& entry, const QelDirHandle& destination,
               const std::atomic<bool>* cancel) {
    CopyFrame& frame = stack.back();
    const char* name = entry.name.c_str();
    switch (EntryType(frame.source.Fd(), entry)) {
        case DT_DIR:
            return EnterFolder(stack, entry.name, destination, cancel);
        case DT_REG:
            return qel::CopyFileAt(frame.source.Fd(), name, frame.target.Fd(), name, false);
        case DT_LNK:
            return qel::CopySymlinkAt(frame.source.Fd(), name, frame.target.Fd(), name, false);
        case DT_UNKNOWN:
            return false;  // vanished or unreadable
        default:
            return true;  // pipes, sockets and devices hold no data to copy
    }
}

}  // namespace

bool CQelFileMng::doCopyFolderContents(const QelString& source, const QelString& destination,
                                       const std::atomic<bool>* cancel) {
    if (!doMakeDirectoryChain(destination)) return false;
    QelPathAt from, to;
    struct stat st;
    if (!from.Open(source.ToFileName()) || ::fstatat(from.ParentFd(), from.Name(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return false;
    if (qel::IsCancelled(cancel)) return false;

    // Both tops are opened without following a link: a destination that is a
    // link would send the copy (and its overwrites) somewhere else.
    QelDirHandle destinationRoot;
    if (!to.Open(destination.ToFileName()) || !destinationRoot.Open(to.ParentFd(), to.Name(), false)) return false;
    std::vector<CopyFrame> stack(1);
    // A source that is a file or a link holds nothing to copy.
    if (!stack[0].source.Open(from.ParentFd(), from.Name(), false)) return errno == ENOTDIR;
    if (!stack[0].target.Open(to.ParentFd(), to.Name(), false)) return false;

    while (!stack.empty()) {
        QelDirCursor::Entry entry;
        if (!stack.back().source.Next(entry)) {
            if (stack.back().source.Failed()) return false;
            if (stack.size() == 1) break;
            CopyFrame& parent = stack[stack.size() - 2];
            if (!parent.source.Resume(stack.back().source.Fd()) || !parent.target.Resume(stack.back().target.Fd()))
                return false;
            stack.pop_back();
            continue;
        }
        PumpDialogMessages();
        if (entry.name[0] == '.') continue;  // dot-names are never copied, files or folders
        if (!CopyEntry(stack, entry, destinationRoot, cancel) || qel::IsCancelled(cancel)) return false;
    }
    return !qel::IsCancelled(cancel);
}
