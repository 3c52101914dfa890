#include "CQelFileSystemBoundary.h"

#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

// Not in every kernel header set.
constexpr unsigned long kConfigFsMagic = 0x62656570;
constexpr unsigned long kFuseCtlMagic = 0x65735543;
constexpr unsigned long kMqueueMagic = 0x19800202;

constexpr unsigned long kPseudoMagics[] = {
    PROC_SUPER_MAGIC, SYSFS_MAGIC,     DEVPTS_SUPER_MAGIC, CGROUP_SUPER_MAGIC, CGROUP2_SUPER_MAGIC,
    DEBUGFS_MAGIC,    TRACEFS_MAGIC,   SECURITYFS_MAGIC,   PSTOREFS_MAGIC,     BPF_FS_MAGIC,
    kConfigFsMagic,   kFuseCtlMagic,   kMqueueMagic,       HUGETLBFS_MAGIC,    BINFMTFS_MAGIC,
    AUTOFS_SUPER_MAGIC};

// devtmpfs reports tmpfs's (or ramfs's) magic number: only the mount table
// tells them apart. False when the table cannot be read.
bool IsDevTmpfs(dev_t dev) {
    FILE* table = std::fopen("/proc/self/mountinfo", "re");
    if (!table) return false;
    char line[4096];
    bool found = false;
    while (!found && std::fgets(line, sizeof line, table)) {
        unsigned major = 0, minor = 0;
        if (std::sscanf(line, "%*u %*u %u:%u", &major, &minor) != 2 || makedev(major, minor) != dev) continue;
        const char* fields = std::strstr(line, " - ");
        found = fields && std::strncmp(fields + 3, "devtmpfs ", 9) == 0;
    }
    std::fclose(table);
    return found;
}

bool IsPseudoFileSystem(int fd, dev_t dev) {
    struct statfs fs;
    if (fstatfs(fd, &fs) != 0) return false;
    const auto magic = static_cast<unsigned long>(fs.f_type);
    if (magic == TMPFS_MAGIC || magic == RAMFS_MAGIC) return IsDevTmpfs(dev);
    return std::find(std::begin(kPseudoMagics), std::end(kPseudoMagics), magic) != std::end(kPseudoMagics);
}

}  // namespace

CQelFileSystemBoundary::CQelFileSystemBoundary(int rootFd, dev_t rootDev, bool sameFileSystem)
    : CQelFileSystemBoundary(rootDev, IsPseudoFileSystem(rootFd, rootDev), sameFileSystem) {}

CQelFileSystemBoundary::CQelFileSystemBoundary(dev_t rootDev, bool rootOnPseudo, bool sameFileSystem)
    : m_rootDev(rootDev), m_rootOnPseudo(rootOnPseudo), m_sameFileSystem(sameFileSystem) {}

bool CQelFileSystemBoundary::MayEnter(int fd, dev_t dev) {
    if (dev == m_rootDev) return true;
    if (m_sameFileSystem) return false;
    return m_rootOnPseudo || !IsPseudo(fd, dev);
}

bool CQelFileSystemBoundary::IsPseudo(int fd, dev_t dev) {
    for (const auto& [known, pseudo] : m_known)
        if (known == dev) return pseudo;
    const bool pseudo = IsPseudoFileSystem(fd, dev);
    m_known.emplace_back(dev, pseudo);
    return pseudo;
}
