#include "QelDirCursor.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

// ---- QelDirHandle ----------------------------------------------------------

QelDirHandle::QelDirHandle(QelDirHandle&& other) noexcept { *this = std::move(other); }

QelDirHandle& QelDirHandle::operator=(QelDirHandle&& other) noexcept {
    if (this != &other) {
        Close();
        m_fd = std::exchange(other.m_fd, -1);
        m_dev = other.m_dev;
        m_ino = other.m_ino;
        m_mount = other.m_mount;
    }
    return *this;
}

void QelDirHandle::Close() {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
}

bool QelDirHandle::Open(int parentFd, const char* name, bool followLink) {
    Close();
    const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | (followLink ? 0 : O_NOFOLLOW);
    const int fd = ::openat(parentFd, name, flags);
    if (fd < 0) return false;
    struct statx st;
    if (::statx(fd, "", AT_EMPTY_PATH, STATX_INO | STATX_MNT_ID, &st) != 0) {
        const int saved = errno;
        ::close(fd);
        errno = saved;
        return false;
    }
    m_fd = fd;
    m_dev = makedev(st.stx_dev_major, st.stx_dev_minor);
    m_ino = st.stx_ino;
    m_mount = (st.stx_mask & STATX_MNT_ID) ? st.stx_mnt_id : 0;
    return true;
}

bool QelDirHandle::Resume(int childFd) {
    if (m_fd >= 0) return true;
    const int fd = ::openat(childFd, "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !Is(st.st_dev, st.st_ino)) {
        ::close(fd);  // the folder was moved away meanwhile: never act on another one
        return false;
    }
    m_fd = fd;
    return true;
}

// ---- QelDirCursor ----------------------------------------------------------

QelDirCursor::QelDirCursor(QelDirCursor&& other) noexcept { *this = std::move(other); }

QelDirCursor& QelDirCursor::operator=(QelDirCursor&& other) noexcept {
    if (this != &other) {
        CloseStream();
        m_handle = std::move(other.m_handle);
        m_stream = std::exchange(other.m_stream, nullptr);
        m_pending = std::move(other.m_pending);
        m_next = other.m_next;
        m_failed = other.m_failed;
    }
    return *this;
}

QelDirCursor::~QelDirCursor() { CloseStream(); }

void QelDirCursor::CloseStream() {
    if (m_stream) ::closedir(m_stream);
    m_stream = nullptr;
}

bool QelDirCursor::Open(int parentFd, const char* name, bool followLink) {
    CloseStream();
    m_pending.clear();
    m_next = 0;
    m_failed = false;
    if (!m_handle.Open(parentFd, name, followLink)) return false;
    const int streamFd = ::fcntl(m_handle.Fd(), F_DUPFD_CLOEXEC, 0);
    m_stream = streamFd >= 0 ? ::fdopendir(streamFd) : nullptr;
    if (!m_stream) {
        const int saved = errno;
        if (streamFd >= 0) ::close(streamFd);
        m_handle.Close();
        errno = saved;
        return false;
    }
    return true;
}

bool QelDirCursor::Next(Entry& out) {
    if (!m_stream) {
        if (m_next >= m_pending.size()) return false;
        out = std::move(m_pending[m_next++]);
        return true;
    }
    for (;;) {
        errno = 0;
        const dirent* e = ::readdir(m_stream);
        if (!e) {
            m_failed = errno != 0;
            CloseStream();
            return false;
        }
        if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0) continue;
        out.name = e->d_name;
        out.type = e->d_type;
        return true;
    }
}

void QelDirCursor::Park() {
    if (m_stream) {  // the first descent reads the rest; later ones find it read
        std::vector<Entry> rest;
        Entry e;
        while (Next(e)) rest.push_back(std::move(e));
        m_pending = std::move(rest);
        m_next = 0;
    }
    m_handle.Close();
}

unsigned char EntryType(int dirFd, const QelDirCursor::Entry& entry) {
    if (entry.type != DT_UNKNOWN) return entry.type;
    struct stat st;
    if (::fstatat(dirFd, entry.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return DT_UNKNOWN;
    return IFTODT(st.st_mode);
}
