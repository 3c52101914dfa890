#include "QelFileOps.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "QelPathAt.h"

namespace qel {

namespace {
bool CopyBytes(int in, int out) {
    bool kernelCopy = true;
    char buffer[1 << 16];
    for (;;) {
        ssize_t n;
        if (kernelCopy) {
            n = ::copy_file_range(in, nullptr, out, nullptr, 1 << 30, 0);
            if (n < 0 && (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP)) {
                kernelCopy = false;  // not supported between these files: copy through user space
                continue;
            }
        } else {
            n = ::read(in, buffer, sizeof buffer);
            for (ssize_t done = 0; n > 0 && done < n;) {
                const ssize_t w = ::write(out, buffer + done, static_cast<std::size_t>(n - done));
                if (w < 0 && errno == EINTR) continue;
                if (w <= 0) return false;
                done += w;
            }
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) return true;
    }
}

// Removes name after a failure without losing the errno that explains it.
void RemoveAfterFailure(int dirFd, const char* name) {
    const int saved = errno;
    ::unlinkat(dirFd, name, 0);
    errno = saved;
}

}  // namespace

mode_t KeptModeBits(const struct stat& source, uid_t uid, gid_t gid) {
    mode_t mode = source.st_mode & 07777;
    if (uid != source.st_uid) mode &= ~static_cast<mode_t>(S_ISUID | S_ISGID);
    if (gid != source.st_gid) mode &= ~static_cast<mode_t>(S_ISGID);
    return mode;
}

namespace {

// With keepOwner, gives the new entry the source's owner and group where the
// process may (as mv does), else the group alone; then returns its mode bits
// as KeptModeBits allows them for the owner it ended up with.
mode_t SettleOwner(int dirFd, const char* name, int fd, const struct stat& source, bool keepOwner) {
    if (!keepOwner && (source.st_mode & (S_ISUID | S_ISGID)) == 0) return source.st_mode & 07777;
    const int flags = fd >= 0 ? AT_EMPTY_PATH : AT_SYMLINK_NOFOLLOW;
    const int at = fd >= 0 ? fd : dirFd;
    const char* path = fd >= 0 ? "" : name;
    if (keepOwner && ::fchownat(at, path, source.st_uid, source.st_gid, flags) != 0)
        (void)::fchownat(at, path, static_cast<uid_t>(-1), source.st_gid, flags);
    struct stat now;
    if (::fstatat(at, path, &now, flags) != 0) return source.st_mode & 0777;
    return KeptModeBits(source, now.st_uid, now.st_gid);
}

// Copies the open regular file in to a name that must not exist yet, with
// mode and times; a failed copy leaves nothing behind.
bool CopyToNewName(int in, const struct stat& source, int targetDir, const char* targetName, bool keepOwner = false) {
    const int out = ::openat(targetDir, targetName, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (out < 0) return false;
    const timespec times[2] = {source.st_atim, source.st_mtim};
    bool ok = CopyBytes(in, out);
    ok = ok && ::fchmod(out, SettleOwner(targetDir, targetName, out, source, keepOwner)) == 0 &&
         ::futimens(out, times) == 0;
    ok = (::close(out) == 0) && ok;
    if (!ok) RemoveAfterFailure(targetDir, targetName);
    return ok;
}

// Makes a FIFO, socket or device node like source under a name that must not
// exist yet, as cp -R does; mode, owner and times as for a file.
bool CopyNodeAt(const struct stat& source, int targetDir, const char* targetName, bool keepOwner) {
    if (::mknodat(targetDir, targetName, (source.st_mode & S_IFMT) | 0600, source.st_rdev) != 0) return false;
    const timespec times[2] = {source.st_atim, source.st_mtim};
    const mode_t mode = SettleOwner(targetDir, targetName, -1, source, keepOwner);
    if (::fchmodat(targetDir, targetName, mode, 0) == 0 &&
        ::utimensat(targetDir, targetName, times, AT_SYMLINK_NOFOLLOW) == 0)
        return true;
    RemoveAfterFailure(targetDir, targetName);
    return false;
}

std::string ReadLinkAt(int dirFd, const char* name, bool& ok) {
    std::string link(256, '\0');
    for (;;) {
        const ssize_t n = ::readlinkat(dirFd, name, link.data(), link.size());
        ok = n >= 0;
        if (n < 0) return {};
        if (static_cast<std::size_t>(n) < link.size()) {
            link.resize(static_cast<std::size_t>(n));
            return link;
        }
        link.resize(link.size() * 2);
    }
}

bool MoveAcrossFileSystems(int sourceDir, const char* sourceName, int targetDir, const char* targetName) {
    struct stat st;
    if (::fstatat(sourceDir, sourceName, &st, AT_SYMLINK_NOFOLLOW) != 0) return false;
    if (S_ISDIR(st.st_mode)) {
        errno = EXDEV;
        return false;
    }
    if (const int error = CopyEntryAt(sourceDir, sourceName, st, targetDir, targetName, true)) {
        errno = error;
        return false;
    }
    if (DeleteFileAt(sourceDir, sourceName)) return true;
    RemoveAfterFailure(targetDir, targetName);  // never leave the file in both places
    return false;
}

}  // namespace

bool IsWriteProtected(mode_t mode) { return !S_ISLNK(mode) && (mode & S_IWUSR) == 0; }

int CopyRegularAt(int sourceDir, const char* sourceName, int targetDir, const char* targetName, bool keepOwner,
                  struct stat* copied) {
    const int in = ::openat(sourceDir, sourceName, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW);
    if (in < 0) return errno;
    struct stat st{};
    int error = 0;
    if (::fstat(in, &st) != 0) error = errno;
    else if (!S_ISREG(st.st_mode)) error = EINVAL;
    else if (!CopyToNewName(in, st, targetDir, targetName, keepOwner)) error = errno ? errno : EIO;
    ::close(in);
    if (copied) *copied = st;
    return error;
}

int CopyEntryAt(int sourceDir, const char* sourceName, const struct stat& source, int targetDir,
                const char* targetName, bool keepOwner) {
    if (S_ISREG(source.st_mode)) return CopyRegularAt(sourceDir, sourceName, targetDir, targetName, keepOwner);
    bool ok = false;
    if (S_ISLNK(source.st_mode)) {
        ok = CopySymlinkAt(sourceDir, sourceName, targetDir, targetName);
        if (ok && keepOwner) (void)SettleOwner(targetDir, targetName, -1, source, true);
    } else if (S_ISFIFO(source.st_mode) || S_ISSOCK(source.st_mode) || S_ISCHR(source.st_mode) ||
               S_ISBLK(source.st_mode)) {
        ok = CopyNodeAt(source, targetDir, targetName, keepOwner);
    } else {
        errno = S_ISDIR(source.st_mode) ? EISDIR : EINVAL;
    }
    return ok ? 0 : (errno ? errno : EIO);
}

bool CopySymlinkAt(int sourceDir, const char* sourceName, int targetDir, const char* targetName) {
    bool ok = false;
    const std::string link = ReadLinkAt(sourceDir, sourceName, ok);
    return ok && ::symlinkat(link.c_str(), targetDir, targetName) == 0;
}

bool CopyFile(const QelString& source, const QelString& target) {
    QelPathAt from, to;
    if (!from.Open(source.ToFileName()) || !to.Open(target.ToFileName())) return false;
    const int error = CopyRegularAt(from.ParentFd(), from.Name(), to.ParentFd(), to.Name(), false);
    errno = error;
    return error == 0;
}

bool MoveFileAt(int sourceDir, const char* sourceName, int targetDir, const char* targetName) {
    if (::renameat2(sourceDir, sourceName, targetDir, targetName, RENAME_NOREPLACE) == 0) return true;
    if (errno == EINVAL) {
        // The file system cannot refuse the replacement itself: a hard link can.
        if (::linkat(sourceDir, sourceName, targetDir, targetName, 0) != 0) return false;
        if (::unlinkat(sourceDir, sourceName, 0) == 0) return true;
        RemoveAfterFailure(targetDir, targetName);
        return false;
    }
    return errno == EXDEV && MoveAcrossFileSystems(sourceDir, sourceName, targetDir, targetName);
}

bool MoveFile(const QelString& source, const QelString& target) {
    QelPathAt from, to;
    return from.Open(source.ToFileName()) && to.Open(target.ToFileName()) &&
           MoveFileAt(from.ParentFd(), from.Name(), to.ParentFd(), to.Name());
}

bool DeleteFileAt(int dirFd, const char* name) {
    struct stat st;
    if (::fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) return false;
    if (S_ISDIR(st.st_mode) || IsWriteProtected(st.st_mode)) {
        errno = S_ISDIR(st.st_mode) ? EISDIR : EACCES;
        return false;
    }
    return ::unlinkat(dirFd, name, 0) == 0;
}

bool DeleteFile(const QelString& path) {
    QelPathAt at;
    return at.Open(path.ToFileName()) && DeleteFileAt(at.ParentFd(), at.Name());
}

}  // namespace qel
