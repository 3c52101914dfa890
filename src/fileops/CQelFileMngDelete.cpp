// Tree delete: depth first with an explicit stack of directory descriptors, so
// neither the depth of the tree nor the length of its paths is bounded.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "CQelFileMng.h"
#include "CQelLogMng.h"
#include "QelCancel.h"
#include "QelDirCursor.h"
#include "QelFileOps.h"
#include "QelOpError.h"
#include "QelPathAt.h"
#include "QelTreeOps.h"

namespace qel {

namespace {

struct DeleteFrame {
    QelDirCursor dir;
    std::string name;          // in the parent folder; unused for the top
    std::size_t parentLength;  // length of the parent's shown path
};

class TreeDeleter {
public:
    explicit TreeDeleter(const QelTreeDeleteHow& how) : m_how(how), m_path(how.shownPath) {}

    int Run(int parentDir, const char* name) {
        m_topParent = parentDir;
        m_topName = name;
        m_stack.emplace_back();
        if (!m_stack.back().dir.Open(parentDir, name, false)) return errno;
        Log(u"doDeleteFolderContents[%s] Start");
        for (;;) {
            DeleteFrame& frame = m_stack.back();
            QelDirCursor::Entry entry;
            if (IsCancelled(m_how.cancel)) Note(kReasonCancelled);
            if (IsCancelled(m_how.cancel) || !frame.dir.Next(entry)) {
                if (frame.dir.Failed()) Note(errno ? errno : EIO);
                if (!FinishFolder()) return m_error ? m_error : ENOENT;
                if (m_stack.empty()) return m_error;
                continue;
            }
            if (m_how.pump) CQelFileMng::PumpDialogMessages();
            if (EntryType(frame.dir.Fd(), entry) == DT_DIR) EnterFolder(entry.name);
            else DeleteEntry(entry.name.c_str());
        }
    }

private:
    void Note(int error) {
        if (m_error == 0) m_error = error;
    }

    void Log(const char16_t* format) const {
        CQelLogMng* log = CQelLogMng::GetInstance();
        if (log->IsEnabled()) log->Write(format, QelString::FromFileName(m_path));
    }

    // For a move: whether the entry is one the copy took, as it was then.
    bool WasCopied(int dirFd, const char* name) {
        if (!m_how.onlyCopied) return true;
        struct stat st;
        if (::fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) == 0 && m_how.onlyCopied->Holds(st)) return true;
        Note(kReasonChangedDuringMove);
        return false;
    }

    void DeleteEntry(const char* name) {
        const int dirFd = m_stack.back().dir.Fd();
        if (WasCopied(dirFd, name) && !DeleteFileAt(dirFd, name)) Note(errno);
    }

    void EnterFolder(const std::string& name) {
        DeleteFrame& parent = m_stack.back();
        if (!WasCopied(parent.dir.Fd(), name.c_str())) return;
        DeleteFrame child;
        if (!child.dir.Open(parent.dir.Fd(), name.c_str(), false)) return Note(errno);
        if (!child.dir.Handle().SameMount(m_stack.front().dir.Handle())) return Note(kReasonOtherFileSystem);
        child.name = name;
        child.parentLength = m_path.size();
        m_path.append("/").append(name);
        Log(u"doDeleteFolderContents[%s] Start");
        parent.dir.Park();
        m_stack.push_back(std::move(child));
    }

    // Removes the innermost folder itself and pops it. False when the walk
    // cannot go on (the parent folder was moved away meanwhile).
    bool FinishFolder() {
        DeleteFrame& frame = m_stack.back();
        int parentFd = m_topParent;
        const char* name = m_topName;
        if (m_stack.size() > 1) {
            DeleteFrame& parent = m_stack[m_stack.size() - 2];
            if (!parent.dir.Resume(frame.dir.Fd())) {
                m_stack.clear();
                return false;
            }
            parentFd = parent.dir.Fd();
            name = frame.name.c_str();
        }
        frame.dir = QelDirCursor();
        struct stat st;
        if (::fstatat(parentFd, name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode) &&
            ::unlinkat(parentFd, name, AT_REMOVEDIR) != 0)
            Note(errno);
        Log(u"doDeleteFolderContents[%s] End");
        if (m_stack.size() > 1) m_path.resize(frame.parentLength);
        m_stack.pop_back();
        return true;
    }

    const QelTreeDeleteHow& m_how;
    std::string m_path;  // shown in the log lines only; never handed to the system
    int m_topParent = -1;
    const char* m_topName = "";
    std::vector<DeleteFrame> m_stack;
    int m_error = 0;
};

}  // namespace

int DeleteTreeAt(int parentDir, const char* name, const QelTreeDeleteHow& how) {
    return TreeDeleter(how).Run(parentDir, name);
}

}  // namespace qel

bool CQelFileMng::doDeleteFolderContents(const QelString& path, const std::atomic<bool>* cancel, bool pump) {
    QelPathAt top;
    struct stat st;
    if (!top.Open(path.ToFileName()) || ::fstatat(top.ParentFd(), top.Name(), &st, AT_SYMLINK_NOFOLLOW) != 0 ||
        !S_ISDIR(st.st_mode))
        return false;
    const qel::QelTreeDeleteHow how{.cancel = cancel, .pump = pump, .shownPath = path.ToFileName()};
    return qel::DeleteTreeAt(top.ParentFd(), top.Name(), how) == 0;
}
