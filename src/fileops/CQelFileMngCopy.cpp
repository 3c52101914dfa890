// Tree copy: depth first with an explicit stack of directory descriptors, so
// neither the depth of the tree nor the length of its paths is bounded.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "CQelFileMng.h"
#include "QelCancel.h"
#include "QelDirCursor.h"
#include "QelFileOps.h"
#include "QelOpError.h"
#include "QelPathAt.h"
#include "QelTreeOps.h"

namespace qel {

namespace {

struct CopyFrame {
    QelDirCursor source;
    QelDirHandle target;
    struct stat sourceStat {};
    bool made = false;  // the target folder is ours: it takes the source's mode once filled
};

class TreeCopier {
public:
    explicit TreeCopier(const QelTreeCopyHow& how) : m_how(how) {}

    int Run(int sourceDir, const char* sourceName, int targetDir, const char* targetName) {
        CopyFrame top;
        if (!top.source.Open(sourceDir, sourceName, false) || ::fstat(top.source.Fd(), &top.sourceStat) != 0)
            return errno;
        if (IsCancelled(m_how.cancel)) return kReasonCancelled;
        if (!MakeTarget(targetDir, targetName, top, m_how.mergeIntoExisting)) return errno;
        m_stack.push_back(std::move(top));
        while (!m_stack.empty()) {
            if (IsCancelled(m_how.cancel)) return kReasonCancelled;
            QelDirCursor::Entry entry;
            if (!m_stack.back().source.Next(entry)) {
                if (m_stack.back().source.Failed()) Note(errno ? errno : EIO);
                if (!LeaveFolder()) return m_error ? m_error : ENOENT;
                continue;
            }
            CQelFileMng::PumpDialogMessages();
            CopyEntry(entry);
        }
        return m_error;
    }

private:
    void Note(int error) {
        if (m_error == 0) m_error = error;
    }

    // Makes (or, merging, opens) the folder name in targetDir for frame.
    static bool MakeTarget(int targetDir, const char* name, CopyFrame& frame, bool merge) {
        frame.made = ::mkdirat(targetDir, name, 0700) == 0;
        if (!frame.made && (errno != EEXIST || !merge)) return false;
        return frame.target.Open(targetDir, name, false);
    }

    void CopyEntry(const QelDirCursor::Entry& entry) {
        CopyFrame& frame = m_stack.back();
        const char* name = entry.name.c_str();
        const unsigned char type = EntryType(frame.source.Fd(), entry);
        if (type == DT_DIR) return EnterFolder(name);
        struct stat st;
        int error = 0;
        if (type == DT_REG) {
            error = CopyRegularAt(frame.source.Fd(), name, frame.target.Fd(), name, m_how.keepOwner, &st);
        } else if (::fstatat(frame.source.Fd(), name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
            error = errno;  // vanished meanwhile
        } else {
            error = CopyEntryAt(frame.source.Fd(), name, st, frame.target.Fd(), name, m_how.keepOwner);
        }
        if (error) return Note(error);
        if (m_how.copied) m_how.copied->Add(st);
    }

    void EnterFolder(const char* name) {
        CopyFrame& parent = m_stack.back();
        CopyFrame child;
        if (!child.source.Open(parent.source.Fd(), name, false) || ::fstat(child.source.Fd(), &child.sourceStat) != 0)
            return Note(errno);
        if (!child.source.Handle().SameMount(m_stack.front().source.Handle())) return Note(kReasonOtherFileSystem);
        if (!MakeTarget(parent.target.Fd(), name, child, true)) return Note(errno);
        parent.source.Park();
        parent.target.Close();
        m_stack.push_back(std::move(child));
    }

    // Gives the innermost folder its mode and pops it; false when the walk
    // cannot go back up (a folder was moved away meanwhile).
    bool LeaveFolder() {
        CopyFrame& frame = m_stack.back();
        if (frame.made) {
            const int fd = frame.target.Fd();
            if (m_how.keepOwner) (void)::fchown(fd, frame.sourceStat.st_uid, frame.sourceStat.st_gid);
            struct stat now;
            if (::fstat(fd, &now) != 0 || ::fchmod(fd, KeptModeBits(frame.sourceStat, now.st_uid, now.st_gid)) != 0)
                Note(errno);
        }
        if (m_how.copied) m_how.copied->Add(frame.sourceStat);
        if (m_stack.size() > 1) {
            CopyFrame& parent = m_stack[m_stack.size() - 2];
            if (!parent.source.Resume(frame.source.Fd()) || !parent.target.Resume(frame.target.Fd())) return false;
        }
        m_stack.pop_back();
        return true;
    }

    const QelTreeCopyHow& m_how;
    std::vector<CopyFrame> m_stack;
    int m_error = 0;
};

}  // namespace

int CopyTreeAt(int sourceDir, const char* sourceName, int targetDir, const char* targetName,
               const QelTreeCopyHow& how) {
    return TreeCopier(how).Run(sourceDir, sourceName, targetDir, targetName);
}

void QelCopiedEntries::Add(const struct stat& st) {
    m_entries[st.st_ino] = Stamp{st.st_dev, S_ISDIR(st.st_mode), st.st_size, st.st_mtim.tv_sec, st.st_mtim.tv_nsec};
}

bool QelCopiedEntries::Holds(const struct stat& st) const {
    const auto found = m_entries.find(st.st_ino);
    if (found == m_entries.end()) return false;
    const Stamp& s = found->second;
    // A folder changes with every entry added or removed: its own entries are judged one by one.
    if (s.folder) return s.dev == st.st_dev && S_ISDIR(st.st_mode);
    return s.dev == st.st_dev && s.size == st.st_size && s.mtimeSec == st.st_mtim.tv_sec &&
           s.mtimeNsec == st.st_mtim.tv_nsec;
}

}  // namespace qel

bool CQelFileMng::doCopyFolderContents(const QelString& source, const QelString& destination,
                                       const std::atomic<bool>* cancel) {
    if (!doMakeDirectoryChain(destination)) return false;
    QelPathAt from, to;
    struct stat st;
    if (!from.Open(source.ToFileName()) || ::fstatat(from.ParentFd(), from.Name(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return false;
    if (qel::IsCancelled(cancel)) return false;
    // A source that is a file or a link holds nothing to copy.
    if (!S_ISDIR(st.st_mode)) return true;
    // Both tops are judged without following a link: a destination that is a
    // link would send the copy somewhere else.
    if (!to.Open(destination.ToFileName())) return false;
    QelDirHandle folder;
    if (!folder.Open(from.ParentFd(), from.Name(), false)) return false;
    if (qel::NestingReason(folder.Fd(), to.ParentFd(), to.Name()) != 0) return false;
    const qel::QelTreeCopyHow how{.cancel = cancel};
    return qel::CopyTreeAt(from.ParentFd(), from.Name(), to.ParentFd(), to.Name(), how) == 0;
}
