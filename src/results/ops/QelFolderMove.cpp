#include "QelFolderMove.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "QelOpHook.h"
#include "QelTreeOps.h"

namespace qel {

namespace {

// For file systems that cannot refuse a replacement themselves: the name is
// taken by making an empty folder, which the rename then replaces.
int RenameOverOwnFolder(int sourceDir, const char* sourceName, int targetDir, const char* targetName) {
    if (::mkdirat(targetDir, targetName, 0700) != 0) return errno;
    if (::renameat(sourceDir, sourceName, targetDir, targetName) == 0) return 0;
    const int error = errno;
    ::unlinkat(targetDir, targetName, AT_REMOVEDIR);
    return error;
}

int MoveByCopy(int sourceDir, const char* sourceName, int targetDir, const char* targetName) {
    QelCopiedEntries copied;
    const QelTreeCopyHow copy{.mergeIntoExisting = false, .keepOwner = true, .copied = &copied};
    if (const int error = CopyTreeAt(sourceDir, sourceName, targetDir, targetName, copy)) return error;
    RunOpHook(QelOpStep::CopiedBeforeDelete);
    const QelTreeDeleteHow remove{.pump = true, .onlyCopied = &copied, .shownPath = sourceName};
    return DeleteTreeAt(sourceDir, sourceName, remove);
}

}  // namespace

int MoveFolderAt(int sourceDir, const char* sourceName, int targetDir, const char* targetName) {
    if (::renameat2(sourceDir, sourceName, targetDir, targetName, RENAME_NOREPLACE) == 0) return 0;
    switch (errno) {
        case ENOTEMPTY: return EEXIST;
        case EINVAL: {
            const int error = RenameOverOwnFolder(sourceDir, sourceName, targetDir, targetName);
            return error == EXDEV ? MoveByCopy(sourceDir, sourceName, targetDir, targetName) : error;
        }
        case EXDEV: return MoveByCopy(sourceDir, sourceName, targetDir, targetName);
        default: return errno;
    }
}

}  // namespace qel
