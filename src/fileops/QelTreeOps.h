#pragma once
// Tree copy and delete on directory descriptors, one item (a result row) at a
// time. They never follow a link, never enter a folder on another mount than
// the item's own (as rm --one-file-system; such a folder fails the item and
// stays), take "." and ".." as the only names to pass by, and go on past a
// failed entry: the outcome is the first failure, an errno or a
// qel::QelOwnReason, or 0 when everything was done.

#include <sys/stat.h>
#include <sys/types.h>

#include <atomic>
#include <string>
#include <unordered_map>

namespace qel {

// What a copy copied, by inode, with the size and time it had then: a move
// deletes exactly these and leaves anything new or changed since.
class QelCopiedEntries {
public:
    void Add(const struct stat& st);
    bool Holds(const struct stat& st) const;

private:
    struct Stamp {
        dev_t dev;
        bool folder;
        off_t size;
        long long mtimeSec;
        long mtimeNsec;
    };
    std::unordered_map<ino_t, Stamp> m_entries;
};

struct QelTreeCopyHow {
    bool mergeIntoExisting = true;  // false: targetName must not exist yet
    bool keepOwner = false;         // a move: owner and group where the process may
    const std::atomic<bool>* cancel = nullptr;
    QelCopiedEntries* copied = nullptr;  // filled when given
};

// Copies the folder sourceName of sourceDir as targetName in targetDir. Into
// an existing folder it merges, but never replaces: an entry whose name is
// taken fails and the rest is copied. Folders made keep the source's
// permission bits (set only once they are filled).
int CopyTreeAt(int sourceDir, const char* sourceName, int targetDir, const char* targetName,
               const QelTreeCopyHow& how);

struct QelTreeDeleteHow {
    const std::atomic<bool>* cancel = nullptr;
    bool pump = true;
    const QelCopiedEntries* onlyCopied = nullptr;  // a move: delete only these
    std::string shownPath;                         // for the log lines, never handed to the system
};

// Deletes the folder name of parentDir with everything in it; write-protected
// files fail and stay, and so do the folders that hold them.
int DeleteTreeAt(int parentDir, const char* name, const QelTreeDeleteHow& how);

// 0 when the folder folderFd may be copied or moved to targetName in
// targetDir; kReasonTargetInsideItem when targetDir is the folder or lies
// inside it, kReasonTargetHoldsItem when the target is the folder itself or
// one that holds it. Judged by device and inode, climbing "..".
int NestingReason(int folderFd, int targetDir, const char* targetName);

}  // namespace qel
