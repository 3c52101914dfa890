#pragma once
// Decides whether a walk may enter a folder that lies on another file system
// than the folder it was reached from (a mount point).
//
// Folders of kernel pseudo file systems (proc, sysfs, devtmpfs, devpts,
// cgroup, debugfs and the like) are never entered unless the walk's root lies
// on one: their files are not the user's, and proc's links lead back to "/".
// With the same-file-system option no other file system is entered at all.
//
// The walker asks only where the device number changes, so the cost is one
// fstatfs per device (answers are kept), plus one read of the mount table for
// tmpfs-like devices, as devtmpfs reports tmpfs's magic number.

#include <sys/types.h>

#include <utility>
#include <vector>

class CQelFileSystemBoundary {
public:
    // rootFd and rootDev: the walk's root, open, and its device.
    CQelFileSystemBoundary(int rootFd, dev_t rootDev, bool sameFileSystem);
    // For a walk that starts below someone else's root.
    CQelFileSystemBoundary(dev_t rootDev, bool rootOnPseudo, bool sameFileSystem);

    // fd is the folder, open, and dev its device, which differs from its parent's.
    bool MayEnter(int fd, dev_t dev);

    dev_t RootDevice() const { return m_rootDev; }
    bool RootOnPseudo() const { return m_rootOnPseudo; }

private:
    bool IsPseudo(int fd, dev_t dev);

    dev_t m_rootDev;
    bool m_rootOnPseudo;
    bool m_sameFileSystem;
    std::vector<std::pair<dev_t, bool>> m_known;  // device, pseudo
};
