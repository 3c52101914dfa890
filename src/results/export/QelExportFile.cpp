#include "QelExportFile.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "QelAtomicFile.h"

namespace qel {

namespace {

constexpr int kMaxCandidates = 10000;

// stem extension, or stem_n extension from the second candidate on.
QelString CandidateName(const QelString& stem, const QelString& extension, int n) {
    return n == 1 ? QelString::Formatted(u"%s%s", stem, extension)
                  : QelString::Formatted(u"%s_%d%s", stem, n, extension);
}

// Opens a new file exclusively; the descriptor or -1 with path and errno set.
int CreateExclusive(const QelString& folder, const QelString& stem, const QelString& extension, QelString& path) {
    for (int n = 1; n <= kMaxCandidates; ++n) {
        path = QelString::Formatted(u"%s/%s", folder, CandidateName(stem, extension, n));
        const int fd = ::open(path.ToFileName().c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return -1;
}

class COwnedFd {
public:
    explicit COwnedFd(int fd = -1) : m_fd(fd) {}
    COwnedFd(const COwnedFd&) = delete;
    COwnedFd& operator=(const COwnedFd&) = delete;
    ~COwnedFd() { Reset(-1); }
    void Reset(int fd) {
        if (m_fd >= 0) ::close(m_fd);
        m_fd = fd;
    }
    int Get() const { return m_fd; }

private:
    int m_fd;
};

// A folder of our own made in a shared one, gone again with this object: no
// one else can enter it, so a file written in it by name cannot be redirected.
class CPrivateFolder {
public:
    explicit CPrivateFolder(int parentFd) : m_parentFd(parentFd) {
        for (int tries = 0; tries < 100; ++tries) {
            unsigned long long random = 0;
            if (::getrandom(&random, sizeof random, 0) != sizeof random) break;
            char name[40];
            std::snprintf(name, sizeof name, ".qeltessary-%016llx", random);
            if (::mkdirat(parentFd, name, 0700) != 0) {
                if (errno == EEXIST) continue;
                break;
            }
            m_name = name;
            m_fd.Reset(::openat(parentFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
            struct stat st;
            // Swapped for someone else's folder in between: not ours to write in.
            if (m_fd.Get() >= 0 &&
                (::fstat(m_fd.Get(), &st) != 0 || st.st_uid != ::geteuid() || (st.st_mode & 077) != 0)) {
                m_fd.Reset(-1);
                errno = EPERM;
            }
            break;
        }
        if (m_fd.Get() < 0) m_error = errno;
    }
    ~CPrivateFolder() {
        if (m_fd.Get() < 0) return;
        ::unlinkat(m_fd.Get(), kInner, 0);  // a file not put in place
        ::unlinkat(m_parentFd, m_name.c_str(), AT_REMOVEDIR);
    }
    int Error() const { return m_error; }
    int Fd() const { return m_fd.Get(); }
    // The file to write, reached through the folder's descriptor rather than its name.
    std::string InnerPath() const { return "/proc/self/fd/" + std::to_string(m_fd.Get()) + "/" + kInner; }
    static constexpr char kInner[] = "file";

private:
    const int m_parentFd;
    std::string m_name;
    COwnedFd m_fd;
    int m_error = 0;
};

// Copies the finished file to name, taken with O_EXCL: for file systems that
// cannot rename without replacing. 0, EEXIST for a taken name, or the errno.
int CopyToNewName(int fromFolderFd, int toFolderFd, const std::string& name) {
    const COwnedFd from(::openat(fromFolderFd, CPrivateFolder::kInner, O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (from.Get() < 0) return errno;
    const COwnedFd to(::openat(toFolderFd, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
    if (to.Get() < 0) return errno;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(from.Get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n == 0) return 0;
        if (n < 0 || !WriteAll(to.Get(), std::string_view(buffer, static_cast<std::size_t>(n)))) {
            const int error = errno;
            ::unlinkat(toFolderFd, name.c_str(), 0);  // our own half-written copy
            return error;
        }
    }
}

// Puts the finished file of the private folder at the first free candidate name.
int PlaceFinishedFile(const CPrivateFolder& folder, int destFd, const QelString& destPath, const QelString& stem,
                      const QelString& extension, QelString& path) {
    bool copy = false;
    for (int n = 1; n <= kMaxCandidates; ++n) {
        const QelString name = CandidateName(stem, extension, n);
        path = QelString::Formatted(u"%s/%s", destPath, name);
        const std::string bytes = name.ToFileName();
        int error = 0;
        if (!copy && ::renameat2(folder.Fd(), CPrivateFolder::kInner, destFd, bytes.c_str(), RENAME_NOREPLACE) != 0) {
            error = errno;
            copy = error == EINVAL || error == ENOSYS || error == EXDEV;
        }
        if (copy) error = CopyToNewName(folder.Fd(), destFd, bytes);
        if (error != EEXIST) return error;
    }
    return EEXIST;
}

}  // namespace

QelString DatedExportStem(const LocalTime& time, const QelString& tail) {
    return QelString::Formatted(u"%04u-%02u-%02u_%02u-%02u-%02u_%s", time.year, time.month, time.day, time.hour,
                                time.minute, time.second, tail);
}

int WriteNewFileByName(const QelString& folder, const QelString& stem, const QelString& extension,
                       const QelFileProducer& produce, QelString& path) {
    path = QelString::Formatted(u"%s/%s", folder, CandidateName(stem, extension, 1));
    const COwnedFd destFd(::open(folder.ToFileName().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (destFd.Get() < 0) return errno;
    const CPrivateFolder privateFolder(destFd.Get());
    if (privateFolder.Error() != 0) return privateFolder.Error();
    if (!produce(privateFolder.InnerPath())) return kProduceFailed;
    return PlaceFinishedFile(privateFolder, destFd.Get(), folder, stem, extension, path);
}

int WriteNewFile(const QelString& folder, const QelString& stem, const QelString& extension,
                 const QelContentWriter& content, QelString& path) {
    const int fd = CreateExclusive(folder, stem, extension, path);
    if (fd < 0) return errno;
    int error = 0;
    content([fd, &error](std::string_view piece) {
        if (error == 0 && !WriteAll(fd, piece)) error = errno;
        return error == 0;
    });
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error != 0) ::unlink(path.ToFileName().c_str());  // our own half-written file, nobody else's
    return error;
}

int WriteNewFile(const QelString& folder, const QelString& stem, const QelString& extension, std::string_view bytes,
                 QelString& path) {
    return WriteNewFile(
        folder, stem, extension, [bytes](const auto& write) { return write(bytes); }, path);
}

}  // namespace qel
