#include "QelBeneathRoot.h"

#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>

#include "QelOpError.h"

namespace {

constexpr int kFolderFlags = O_PATH | O_DIRECTORY | O_CLOEXEC;

int OpenAt2(int dirFd, const std::string& relative) {
    open_how how{};
    how.flags = kFolderFlags;
    how.resolve = RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS;
    return static_cast<int>(::syscall(SYS_openat2, dirFd, relative.c_str(), &how, sizeof how));
}

}  // namespace

QelBeneathRoot::QelBeneathRoot(std::string root) : m_root(std::move(root)) {
    if (m_root.empty()) m_root.push_back('/');
}

QelBeneathRoot::~QelBeneathRoot() {
    CloseFolder();
    if (m_rootFd >= 0) ::close(m_rootFd);
}

void QelBeneathRoot::CloseFolder() {
    if (m_folderFd >= 0 && m_folderFd != m_rootFd) ::close(m_folderFd);
    m_folderFd = -1;
}

int QelBeneathRoot::OpenRoot(int& error) {
    if (m_rootFd < 0) m_rootFd = ::open(m_root.c_str(), kFolderFlags);
    if (m_rootFd < 0) error = errno;
    return m_rootFd;
}

int QelBeneathRoot::OpenFolder(std::string_view folder, int& error) {
    if (m_folderFd >= 0 && folder == m_folder) return m_folderFd;
    CloseFolder();
    // The rows of a search are the root as typed, '/', and the names below it.
    const bool rootEndsInSlash = m_root.back() == '/';
    if (folder.substr(0, m_root.size()) != m_root ||
        (folder.size() > m_root.size() && !rootEndsInSlash && folder[m_root.size()] != '/')) {
        error = qel::kReasonNotBeneathRoot;
        return -1;
    }
    const int rootFd = OpenRoot(error);
    if (rootFd < 0) return -1;
    std::string_view relative = folder.substr(m_root.size());
    while (!relative.empty() && relative.front() == '/') relative.remove_prefix(1);
    int fd = rootFd;
    if (!relative.empty()) {
        fd = OpenAt2(rootFd, std::string(relative));
        if (fd < 0) fd = Walk(relative, error);  // too long, no openat2, or a reason to find
    }
    if (fd < 0) return -1;
    m_folder.assign(folder);
    m_folderFd = fd;
    return fd;
}

int QelBeneathRoot::Walk(std::string_view relative, int& error) const {
    error = 0;
    int fd = ::fcntl(m_rootFd, F_DUPFD_CLOEXEC, 0);
    while (fd >= 0 && !relative.empty()) {
        const std::size_t slash = relative.find('/');
        const std::string name(relative.substr(0, slash));
        relative.remove_prefix(slash == std::string_view::npos ? relative.size() : slash + 1);
        if (name.empty()) continue;
        if (name == "." || name == "..") {
            ::close(fd);
            error = qel::kReasonNotBeneathRoot;
            return -1;
        }
        const int next = ::openat(fd, name.c_str(), kFolderFlags | O_NOFOLLOW);
        if (next < 0) {
            error = errno;
            struct stat st;
            if (::fstatat(fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode))
                error = qel::kReasonLinkOnPath;
        }
        ::close(fd);
        fd = next;
    }
    if (fd < 0 && error == 0) error = errno;
    return fd;
}
