#pragma once
// Whole-directory listings read with getdents64 into one arena that grows
// and shrinks like a stack: the listing of a folder stays in memory while
// the walker is inside one of its sub-folders, and is dropped when the walker
// leaves the folder. The arena is reused across folders, so reading costs no
// heap allocation once it has grown to the deepest path's needs.

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

// One record of a listing, as the kernel returned it.
struct QelDirEntry {
    std::string_view name;
    ino_t ino;
    unsigned char type;  // DT_DIR, DT_REG, DT_LNK, DT_UNKNOWN...
};

class CQelDirListing {
public:
    CQelDirListing();

    // Appends every record of the open directory fd at the end of the arena.
    // Returns false (and appends nothing) when the directory cannot be read,
    // or when keepGoing, asked between the reads of a large folder, says no
    // (errno is ECANCELED then).
    bool ReadAll(int fd, const std::function<bool()>& keepGoing = {});
    // The arena's fill level; a listing occupies [level before ReadAll, level after).
    std::size_t Level() const { return m_used; }
    // Drops every listing at and above level.
    void Truncate(std::size_t level) { m_used = level; }

    // The record at offset; *next receives the offset of the record after it.
    QelDirEntry EntryAt(std::size_t offset, std::size_t* next) const;
    // Inode number the folder gives itself (its "." record), 0 when it has none.
    ino_t SelfInode(std::size_t begin, std::size_t end) const;

private:
    void Reserve(std::size_t free);

    std::unique_ptr<std::uint64_t[]> m_arena;  // 8-byte aligned, as the records are
    std::size_t m_capacity = 0;                 // bytes
    std::size_t m_used = 0;                     // bytes
};
