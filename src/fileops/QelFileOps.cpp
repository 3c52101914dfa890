#include "QelFileOps.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
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

// Copies the open regular file in to a name that must not exist yet, with
// mode and times; a failed copy leaves nothing behind.
bool CopyToNewName(int in, const struct stat& source, int targetDir, const char* targetName) {
    const int out = ::openat(targetDir, targetName, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (out < 0) return false;
    const timespec times[2] = {source.st_atim, source.st_mtim};
    bool ok = CopyBytes(in, out) && ::fchmod(out, source.st_mode & 07777) == 0 && ::futimens(out, times) == 0;
    ok = (::close(out) == 0) && ok;
    if (!ok) RemoveAfterFailure(targetDir, targetName);
    return ok;
}

// A name beside the target for the new content while it is made; dot-named,
// so tree copies and deletes pass it by should one be left by a crash.
std::string TemporaryName() {
    unsigned char bytes[8] = {};
    (void)::getrandom(bytes, sizeof bytes, GRND_NONBLOCK);  // O_EXCL and retries cover a weak draw
    std::string name = ".qeltmp-";
    for (unsigned char b : bytes) {
        char hex[3];
        std::snprintf(hex, sizeof hex, "%02x", b);
        name += hex;
    }
    return name;
}

// Whether an existing entry may be replaced by a copy of source: never a
// folder, a write-protected file or the source itself.
bool MayReplace(int targetDir, const char* targetName, const struct stat& source) {
    struct stat existing;
    if (::fstatat(targetDir, targetName, &existing, AT_SYMLINK_NOFOLLOW) != 0) return false;
    if (S_ISDIR(existing.st_mode) || IsWriteProtected(existing.st_mode) ||
        (existing.st_dev == source.st_dev && existing.st_ino == source.st_ino)) {
        errno = S_ISDIR(existing.st_mode) ? EISDIR : EACCES;
        return false;
    }
    return true;
}

// Replaces targetName as a whole: make(name) creates the new entry under a
// temporary name in the same folder, which is renamed over the old entry only
// once complete, so any failure on the way leaves the old one as it was.
template <typename Make>
bool ReplaceThroughTemporary(int targetDir, const char* targetName, Make make) {
    for (int attempt = 0; attempt < 8; ++attempt) {
        const std::string temporary = TemporaryName();
        if (!make(temporary.c_str())) {
            if (errno == EEXIST) continue;
            return false;
        }
        if (::renameat(targetDir, temporary.c_str(), targetDir, targetName) == 0) return true;
        RemoveAfterFailure(targetDir, temporary.c_str());
        return false;
    }
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
    const bool copied = S_ISLNK(st.st_mode) ? CopySymlinkAt(sourceDir, sourceName, targetDir, targetName, true)
                                            : CopyFileAt(sourceDir, sourceName, targetDir, targetName, true);
    if (!copied) return false;
    if (DeleteFileAt(sourceDir, sourceName)) return true;
    RemoveAfterFailure(targetDir, targetName);  // never leave the file in both places
    return false;
}

}  // namespace

bool IsWriteProtected(mode_t mode) { return !S_ISLNK(mode) && (mode & S_IWUSR) == 0; }

bool CopyFileAt(int sourceDir, const char* sourceName, int targetDir, const char* targetName, bool failIfExists) {
    const int in = ::openat(sourceDir, sourceName, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW);
    if (in < 0) return false;
    struct stat st;
    bool ok = ::fstat(in, &st) == 0 && S_ISREG(st.st_mode);
    if (ok && !CopyToNewName(in, st, targetDir, targetName)) {
        ok = !failIfExists && errno == EEXIST && MayReplace(targetDir, targetName, st) &&
             ReplaceThroughTemporary(targetDir, targetName, [&](const char* temporary) {
                 return CopyToNewName(in, st, targetDir, temporary);
             });
    }
    const int saved = errno;
    ::close(in);
    errno = saved;
    return ok;
}

bool CopySymlinkAt(int sourceDir, const char* sourceName, int targetDir, const char* targetName, bool failIfExists) {
    bool ok = false;
    const std::string link = ReadLinkAt(sourceDir, sourceName, ok);
    if (!ok) return false;
    if (::symlinkat(link.c_str(), targetDir, targetName) == 0) return true;
    struct stat source;
    if (failIfExists || errno != EEXIST || ::fstatat(sourceDir, sourceName, &source, AT_SYMLINK_NOFOLLOW) != 0 ||
        !MayReplace(targetDir, targetName, source))
        return false;
    return ReplaceThroughTemporary(targetDir, targetName, [&](const char* temporary) {
        return ::symlinkat(link.c_str(), targetDir, temporary) == 0;
    });
}

bool CopyFile(const QelString& source, const QelString& target, bool failIfExists) {
    QelPathAt from, to;
    return from.Open(source.ToFileName()) && to.Open(target.ToFileName()) &&
           CopyFileAt(from.ParentFd(), from.Name(), to.ParentFd(), to.Name(), failIfExists);
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
