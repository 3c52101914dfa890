#pragma once
// Directories of a depth-first walk that works on directory descriptors
// (openat and friends), so that a path may grow past PATH_MAX and a tree may
// be of any depth. Only the innermost directory of a walk holds descriptors:
// before the walk descends, a parent reads the rest of its entries ahead and
// closes; coming back up, it is reopened through the child's ".." and checked
// to be the same directory.

#include <dirent.h>
#include <sys/types.h>

#include <string>
#include <vector>

// An open directory known by its identity, so it can be closed and found again.
class QelDirHandle {
public:
    QelDirHandle() = default;
    QelDirHandle(const QelDirHandle&) = delete;
    QelDirHandle& operator=(const QelDirHandle&) = delete;
    QelDirHandle(QelDirHandle&& other) noexcept;
    QelDirHandle& operator=(QelDirHandle&& other) noexcept;
    ~QelDirHandle() { Close(); }

    // Opens name relative to parentFd (AT_FDCWD for a path). followLink false
    // refuses a symbolic link. Sets errno and returns false on failure.
    bool Open(int parentFd, const char* name, bool followLink);
    // Reopens the closed directory as childFd's parent; false when that is another directory.
    bool Resume(int childFd);
    void Close();
    int Fd() const { return m_fd; }  // -1 while closed
    bool Is(dev_t dev, ino_t ino) const { return m_dev == dev && m_ino == ino; }
    // Whether other lies on the same mount (the same device and, where the
    // kernel tells, the same mount, so a bind mount counts as another).
    bool SameMount(const QelDirHandle& other) const { return m_dev == other.m_dev && m_mount == other.m_mount; }

private:
    int m_fd = -1;
    dev_t m_dev = 0;
    ino_t m_ino = 0;
    unsigned long long m_mount = 0;  // 0 where the kernel gives no mount id
};

// A directory whose entries are read one by one.
class QelDirCursor {
public:
    struct Entry {
        std::string name;
        unsigned char type = DT_UNKNOWN;  // d_type; DT_UNKNOWN when the file system does not say
    };

    QelDirCursor() = default;
    QelDirCursor(const QelDirCursor&) = delete;
    QelDirCursor& operator=(const QelDirCursor&) = delete;
    QelDirCursor(QelDirCursor&& other) noexcept;
    QelDirCursor& operator=(QelDirCursor&& other) noexcept;
    ~QelDirCursor();

    bool Open(int parentFd, const char* name, bool followLink);
    // The next entry other than "." and ".."; false at the end or on a read error.
    bool Next(Entry& out);
    bool Failed() const { return m_failed; }
    int Fd() const { return m_handle.Fd(); }
    const QelDirHandle& Handle() const { return m_handle; }
    // Reads the remaining entries into memory and closes the directory.
    void Park();
    bool Resume(int childFd) { return m_handle.Resume(childFd); }

private:
    void CloseStream();

    QelDirHandle m_handle;
    DIR* m_stream = nullptr;  // on a duplicate of the handle's descriptor while entries stream
    std::vector<Entry> m_pending;
    std::size_t m_next = 0;
    bool m_failed = false;
};

// The type of the entry in dirFd (DT_DIR, DT_REG, DT_LNK...), asking the file
// system when the entry did not say; DT_UNKNOWN when it cannot be read.
unsigned char EntryType(int dirFd, const QelDirCursor::Entry& entry);
