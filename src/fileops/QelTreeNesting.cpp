// Whether a folder would be copied or moved into itself, a folder inside it
// or one that holds it.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "QelOpError.h"
#include "QelTreeOps.h"

namespace qel {

namespace {

// True when (dev, ino) is the folder fd or one of the folders above it, found
// by climbing ".." to the root, across mount points.
bool IsAtOrAbove(int fd, dev_t dev, ino_t ino) {
    int current = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    bool found = false;
    struct stat st;
    while (current >= 0 && ::fstat(current, &st) == 0) {
        if (st.st_dev == dev && st.st_ino == ino) {
            found = true;
            break;
        }
        const int parent = ::openat(current, "..", O_PATH | O_DIRECTORY | O_CLOEXEC);
        struct stat up;
        const bool atRoot =
            parent < 0 || (::fstat(parent, &up) == 0 && up.st_dev == st.st_dev && up.st_ino == st.st_ino);
        ::close(current);
        current = parent;
        if (atRoot) break;
    }
    if (current >= 0) ::close(current);
    return found;
}

}  // namespace

int NestingReason(int folderFd, int targetDir, const char* targetName) {
    struct stat folder, target;
    if (::fstat(folderFd, &folder) != 0) return errno;
    if (IsAtOrAbove(targetDir, folder.st_dev, folder.st_ino)) return kReasonTargetInsideItem;
    if (::fstatat(targetDir, targetName, &target, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(target.st_mode) &&
        IsAtOrAbove(folderFd, target.st_dev, target.st_ino))
        return kReasonTargetHoldsItem;
    return 0;
}

}  // namespace qel
