#include "QelFileOps.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

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

// Opens the target for writing as the copy rules allow; -1 when they forbid it.
int OpenTarget(int targetDir, const char* targetName, bool failIfExists, const struct stat& source) {
    const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW;
    if (failIfExists) return ::openat(targetDir, targetName, flags | O_EXCL, 0600);
    struct stat existing;
    if (::fstatat(targetDir, targetName, &existing, AT_SYMLINK_NOFOLLOW) == 0) {
        if (S_ISDIR(existing.st_mode) || IsWriteProtected(existing.st_mode) ||
            (existing.st_dev == source.st_dev && existing.st_ino == source.st_ino)) {
            errno = EACCES;  // a folder, a read-only file or the source itself
            return -1;
        }
        if (S_ISLNK(existing.st_mode) && ::unlinkat(targetDir, targetName, 0) != 0) return -1;
    }
    return ::openat(targetDir, targetName, flags | O_TRUNC, 0600);
}

}  // namespace

bool IsWriteProtected(mode_t mode) { return !S_ISLNK(mode) && (mode & S_IWUSR) == 0; }

bool CopyFileAt(int sourceDir, const char* sourceName, int targetDir, const char* targetName, bool failIfExists) {
    const int in = ::openat(sourceDir, sourceName, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (in < 0) return false;
    struct stat st;
    if (::fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(in);
        return false;
    }
    const int out = OpenTarget(targetDir, targetName, failIfExists, st);
    if (out < 0) {
        ::close(in);
        return false;
    }
    const timespec times[2] = {st.st_atim, st.st_mtim};
    bool ok = CopyBytes(in, out) && ::fchmod(out, st.st_mode & 07777) == 0 && ::futimens(out, times) == 0;
    ok = (::close(out) == 0) && ok;
    ::close(in);
    if (!ok) ::unlinkat(targetDir, targetName, 0);
    return ok;
}

bool CopySymlinkAt(int sourceDir, const char* sourceName, int targetDir, const char* targetName) {
    std::string link(256, '\0');
    for (;;) {
        const ssize_t n = ::readlinkat(sourceDir, sourceName, link.data(), link.size());
        if (n < 0) return false;
        if (static_cast<std::size_t>(n) < link.size()) {
            link.resize(static_cast<std::size_t>(n));
            break;
        }
        link.resize(link.size() * 2);
    }
    struct stat existing;
    if (::fstatat(targetDir, targetName, &existing, AT_SYMLINK_NOFOLLOW) == 0) {
        if (S_ISDIR(existing.st_mode) || IsWriteProtected(existing.st_mode)) return false;
        if (::unlinkat(targetDir, targetName, 0) != 0) return false;
    }
    return ::symlinkat(link.c_str(), targetDir, targetName) == 0;
}

bool CopyFile(const QelString& source, const QelString& target, bool failIfExists) {
    return CopyFileAt(AT_FDCWD, source.ToFileName().c_str(), AT_FDCWD, target.ToFileName().c_str(), failIfExists);
}

bool MoveFile(const QelString& source, const QelString& target) {
    const std::string from = source.ToFileName();
    const std::string to = target.ToFileName();
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno == EINVAL) {
        // The file system cannot refuse the replacement itself: check first.
        struct stat st;
        if (::lstat(to.c_str(), &st) == 0) return false;
        return ::rename(from.c_str(), to.c_str()) == 0;
    }
    if (errno != EXDEV) return false;
    if (!CopyFile(source, target, true)) return false;
    if (DeleteFile(source)) return true;
    ::unlink(to.c_str());  // never leave the file in both places
    return false;
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

bool DeleteFile(const QelString& path) { return DeleteFileAt(AT_FDCWD, path.ToFileName().c_str()); }

}  // namespace qel
