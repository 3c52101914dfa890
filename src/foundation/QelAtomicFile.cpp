#include "QelAtomicFile.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

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
// this) is replaced where it lies; the link stays a link.
std::string ResolveLink(const std::string& path) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    char* real = ::realpath(path.c_str(), nullptr);
    if (!real) return path;  // a dangling link is replaced by the file
    std::string resolved(real);
    std::free(real);
    return resolved;
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
    const std::string target = ResolveLink(path.ToFileName());
    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : target.substr(0, slash));
    const std::string leaf = slash == std::string::npos ? target : target.substr(slash + 1);
    if (leaf.empty()) return false;

    std::string tempPath;
    const int fd = CreateTemporary(folder, leaf, tempPath);
    if (fd < 0) return false;

    struct stat old;
    bool ok = true;
    if (::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode)) ok = ::fchmod(fd, old.st_mode & 07777) == 0;
    ok = ok && WriteAll(fd, bytes) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(tempPath.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(tempPath.c_str());
        return false;
    }
    SyncFolder(folder);
    return true;
}

}  // namespace qel
