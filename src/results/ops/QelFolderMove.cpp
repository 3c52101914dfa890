#include "QelFolderMove.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "CQelFileMng.h"
#include "QelFileOps.h"
#include "QelPath.h"
#include "QelPathAt.h"

namespace qel {

namespace {

// True when the folder at path is the folder (dev, ino) or lies below it,
// found by climbing ".." from path to the root, across mount points.
bool LiesWithin(const std::string& path, dev_t dev, ino_t ino) {
    int fd = ::open(path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    bool within = false;
    struct stat st;
    while (fd >= 0 && ::fstat(fd, &st) == 0) {
        if (st.st_dev == dev && st.st_ino == ino) {
            within = true;
            break;
        }
        const int parent = ::openat(fd, "..", O_PATH | O_DIRECTORY | O_CLOEXEC);
        struct stat up;
        const bool atRoot = parent < 0 || (::fstat(parent, &up) == 0 && up.st_dev == st.st_dev && up.st_ino == st.st_ino);
        ::close(fd);
        fd = parent;
        if (atRoot) break;
    }
    if (fd >= 0) ::close(fd);
    return within;
}

// One rename when source and target share a file system and target is free.
bool RenameFolder(const std::string& source, const std::string& target) {
    QelPathAt from, to;
    if (!from.Open(source)) return false;
    if (!to.Open(target)) {
        // The folder target goes into is missing: make it, as the copy would.
        const std::size_t slash = target.rfind('/');
        if (errno != ENOENT || slash == std::string::npos ||
            !MakeDirectoryChain(QelString::FromFileName(target.substr(0, slash))) || !to.Open(target))
            return false;
    }
    return MoveFileAt(from.ParentFd(), from.Name(), to.ParentFd(), to.Name());
}

}  // namespace

bool MoveFolder(const QelString& source, const QelString& target) {
    const std::string from = source.ToFileName();
    const std::string to = target.ToFileName();
    if (RenameFolder(from, to)) return true;
    if (errno != EXDEV && errno != EEXIST && errno != ENOTEMPTY) return false;

    struct stat st;
    QelPathAt top;
    if (!top.Open(from) || ::fstatat(top.ParentFd(), top.Name(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISDIR(st.st_mode))
        return false;
    CQelFileMng* files = CQelFileMng::GetInstance();
    if (!files->doCopyFolderContents(source, target)) return false;
    if (LiesWithin(to, st.st_dev, st.st_ino)) return false;
    return files->doDeleteFolderContents(source, nullptr, true);
}

}  // namespace qel
