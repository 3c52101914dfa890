#include "CQelDirListing.h"

#include <dirent.h>

#include <cerrno>
#include <cstring>

namespace {
// One getdents64 call fills at most this much; large folders take several calls.
constexpr std::size_t kReadChunk = 32 * 1024;
}  // namespace

CQelDirListing::CQelDirListing() { Reserve(4 * kReadChunk); }

void CQelDirListing::Reserve(std::size_t free) {
    if (m_capacity - m_used >= free) return;
    std::size_t capacity = m_capacity ? m_capacity : kReadChunk;
    while (capacity - m_used < free) capacity *= 2;
    auto grown = std::make_unique_for_overwrite<std::uint64_t[]>(capacity / sizeof(std::uint64_t));
    if (m_used) std::memcpy(grown.get(), m_arena.get(), m_used);
    m_arena = std::move(grown);
    m_capacity = capacity;
}

bool CQelDirListing::ReadAll(int fd, const std::function<bool()>& keepGoing) {
    const std::size_t start = m_used;
    for (bool first = true;; first = false) {
        if (!first && keepGoing && !keepGoing()) {
            m_used = start;
            errno = ECANCELED;
            return false;
        }
        Reserve(kReadChunk);
        char* at = reinterpret_cast<char*>(m_arena.get()) + m_used;
        const ssize_t got = getdents64(fd, at, m_capacity - m_used);
        if (got == 0) return true;
        if (got < 0) {
            m_used = start;
            return false;
        }
        m_used += static_cast<std::size_t>(got);
    }
}

QelDirEntry CQelDirListing::EntryAt(std::size_t offset, std::size_t* next) const {
    const auto* d = reinterpret_cast<const struct dirent64*>(reinterpret_cast<const char*>(m_arena.get()) + offset);
    *next = offset + d->d_reclen;
    return QelDirEntry{std::string_view(d->d_name), static_cast<ino_t>(d->d_ino), d->d_type};
}

ino_t CQelDirListing::SelfInode(std::size_t begin, std::size_t end) const {
    std::size_t next = 0;
    for (std::size_t at = begin; at < end; at = next) {
        const QelDirEntry e = EntryAt(at, &next);
        if (e.name.size() == 1 && e.name[0] == '.') return e.ino;
    }
    return 0;
}
