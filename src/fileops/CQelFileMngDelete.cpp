// Tree delete: depth first with an explicit stack of directory descriptors, so
// neither the depth of the tree nor the length of its paths is bounded.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "CQelFileMng.h"
#include "CQelLogMng.h"
#include "QelCancel.h"
#include "QelDirCursor.h"
#include "QelFileOps.h"
#include "QelPathAt.h"

namespace {

struct DeleteFrame {
    QelDirCursor dir;          // not open when the folder could not be read
    std::string name;          // in the parent folder; unused for the top
    std::size_t parentLength;  // length of the parent's shown path
    bool result = true;
};

class TreeDeleter {
public:
    TreeDeleter(const std::atomic<bool>* cancel, bool pump) : m_cancel(cancel), m_pump(pump) {}

    bool Run(const QelString& path) {
        struct stat st;
        m_path = path.ToFileName();
        if (!m_top.Open(m_path) || ::fstatat(m_top.ParentFd(), m_top.Name(), &st, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISDIR(st.st_mode))
            return false;
        m_stack.emplace_back();
        Log(u"doDeleteFolderContents[%s] Start");
        if (!qel::IsCancelled(m_cancel)) m_stack.back().dir.Open(m_top.ParentFd(), m_top.Name(), false);
        for (;;) {
            DeleteFrame& frame = m_stack.back();
            QelDirCursor::Entry entry;
            const bool stop = qel::IsCancelled(m_cancel) || !frame.result;
            if (stop || !frame.dir.Next(entry)) {
                if (frame.dir.Failed()) frame.result = false;
                if (!FinishFolder(m_result)) return false;
                if (m_stack.empty()) return m_result;
                continue;
            }
            if (m_pump) CQelFileMng::PumpDialogMessages();
            if (entry.name[0] == '.') continue;  // dot-names stay, and so does their folder
            if (EntryType(frame.dir.Fd(), entry) == DT_DIR) EnterFolder(entry.name);
            else frame.result = qel::DeleteFileAt(frame.dir.Fd(), entry.name.c_str());
        }
    }

private:
    void Log(const char16_t* format) const {
        CQelLogMng* log = CQelLogMng::GetInstance();
        if (log->IsEnabled()) log->Write(format, QelString::FromFileName(m_path));
    }

    void EnterFolder(const std::string& name) {
        DeleteFrame child;
        child.name = name;
        child.parentLength = m_path.size();
        m_path.append("/").append(name);
        Log(u"doDeleteFolderContents[%s] Start");
        DeleteFrame& parent = m_stack.back();
        if (!qel::IsCancelled(m_cancel) && child.dir.Open(parent.dir.Fd(), name.c_str(), false)) parent.dir.Park();
        m_stack.push_back(std::move(child));
    }

    // Removes the innermost folder itself and pops it; outcome is what its
    // deletion reports. False when the walk cannot go on (the parent folder was
    // moved away meanwhile).
    bool FinishFolder(bool& outcome) {
        DeleteFrame& frame = m_stack.back();
        int parentFd = m_top.ParentFd();
        const char* name = m_top.Name();
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
        if (::fstatat(parentFd, name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode))
            frame.result = ::unlinkat(parentFd, name, AT_REMOVEDIR) == 0;
        Log(u"doDeleteFolderContents[%s] End");
        outcome = !qel::IsCancelled(m_cancel) && frame.result;
        if (m_stack.size() > 1) m_path.resize(frame.parentLength);
        m_stack.pop_back();
        // A failed sub-folder leaves its parent's result as it was; the parent goes on.
        return true;
    }

    const std::atomic<bool>* m_cancel;
    bool m_pump;
    QelPathAt m_top;     // the folder to delete, judged without following a link
    std::string m_path;  // shown in the log lines only; never handed to the system
    std::vector<DeleteFrame> m_stack;
    bool m_result = false;
};

}  // namespace

bool CQelFileMng::doDeleteFolderContents(const QelString& path, const std::atomic<bool>* cancel, bool pump) {
    return TreeDeleter(cancel, pump).Run(path);
}
