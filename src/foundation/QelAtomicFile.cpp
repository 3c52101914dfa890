#include "QelAtomicFile.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "QelLastLink.h"

namespace qel {

namespace {
std::string RandomSuffix() {
    unsigned char bytes[6] = {};
    if (::getrandom(bytes, sizeof bytes, 0) != static_cast<ssize_t>(sizeof bytes)) {
        static unsigned counter = 0;  // still unique enough together with O_EXCL retries
        bytes[0] = static_cast<unsigned char>(++counter);
        bytes[1] = static_cast<unsigned char>(::getpid());
    }
    char text[2 * sizeof bytes + 1];
    for (std::size_t i = 0; i < sizeof bytes; ++i) std::snprintf(text + 2 * i, 3, "%02x", bytes[i]);
    return text;
}

// Creates a fresh temporary file beside target; -1 when none can be made.
int CreateTemporary(const std::string& folder, const std::string& leaf, std::string& tempPath) {
    for (int attempt = 0; attempt < 16; ++attempt) {
        tempPath = folder + "/." + leaf + ".tmp-" + RandomSuffix();
        const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

void SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);  // makes the rename itself durable; the data is already safe
    ::close(fd);
}

// A settings file kept elsewhere through a symbolic link (dotfile managers do
// this) is replaced where it lies; the link stays a link. False (errno set)
// for a link another user may have placed (ELOOP) and for a dangling link
// (EINVAL): there is no file to replace, and creating one where the link
// points could land anywhere.
bool ResolveLink(const std::string& path, std::string& target) {
    target = path;
    const QelLastLink judged = JudgeLastLink(path);
    if (judged == QelLastLink::kNone) return true;
    if (!MayWriteThrough(judged)) {
        errno = ELOOP;
        return false;
    }
    char* real = ::realpath(path.c_str(), nullptr);
    if (!real) {
        errno = EINVAL;
        return false;
    }
    target = real;
    std::free(real);
    return true;
}

// Whether target may be replaced: true with exists false when there is
// nothing there; false (errno set) when it must be left alone.
bool MayReplace(const std::string& target, bool& exists) {
    struct stat st;
    exists = ::stat(target.c_str(), &st) == 0;
    if (!exists) return errno == ENOENT;
    if (!S_ISREG(st.st_mode)) {
        errno = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        return false;
    }
    if ((st.st_mode & S_IWUSR) == 0 || ::access(target.c_str(), W_OK) != 0) {
        errno = EACCES;
        return false;
    }
    return true;
}

// Puts the finished temporary file in place. Where no file was, the name is
// taken only if it is still free, so a file made meanwhile is not replaced.
bool MoveIntoPlace(const std::string& tempPath, const std::string& target, bool exists) {
    if (exists) return ::rename(tempPath.c_str(), target.c_str()) == 0;
    if (::renameat2(AT_FDCWD, tempPath.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL) return false;
    // A file system without RENAME_NOREPLACE: a hard link fails on an existing name too.
    if (::link(tempPath.c_str(), target.c_str()) != 0) return false;
    ::unlink(tempPath.c_str());
    return true;
}
}  // namespace

bool WriteAll(int fd, std::string_view bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) {
            errno = ENOSPC;  // a write that makes no progress is a full disk
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool WriteFileAtomically(const QelString& path, std::string_view bytes) {
    std::string target;
    if (!ResolveLink(path.ToFileName(), target)) return false;
    bool exists = false;
    if (!MayReplace(target, exists)) return false;
    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : target.substr(0, slash));
    const std::string leaf = slash == std::string::npos ? target : target.substr(slash + 1);
    if (leaf.empty()) return false;

    std::string tempPath;
    const int fd = CreateTemporary(folder, leaf, tempPath);
    if (fd < 0) return false;

    struct stat old;
    bool ok = true;
    if (exists && ::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode)) ok = ::fchmod(fd, old.st_mode & 07777) == 0;
    ok = ok && WriteAll(fd, bytes) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && MoveIntoPlace(tempPath, target, exists);
    if (!ok) {
        const int error = errno;
        ::unlink(tempPath.c_str());
        errno = error;
        return false;
    }
    SyncFolder(folder);
    return true;
}

}  // namespace qel
