#include "QelExportFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "QelAtomicFile.h"

namespace qel {

namespace {

constexpr int kMaxCandidates = 10000;

// Opens a new file exclusively; the descriptor or -1 with path and errno set.
int CreateExclusive(const QelString& folder, const QelString& stem, const QelString& extension, QelString& path) {
    for (int n = 1; n <= kMaxCandidates; ++n) {
        path = n == 1 ? QelString::Formatted(u"%s/%s%s", folder, stem, extension)
                      : QelString::Formatted(u"%s/%s_%d%s", folder, stem, n, extension);
        const int fd = ::open(path.ToFileName().c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return -1;
}

}  // namespace

QelString DatedExportStem(const LocalTime& time, const QelString& tail) {
    return QelString::Formatted(u"%04u-%02u-%02u_%02u-%02u-%02u_%s", time.year, time.month, time.day, time.hour,
                                time.minute, time.second, tail);
}

int ReserveNewFile(const QelString& folder, const QelString& stem, const QelString& extension, QelString& path) {
    const int fd = CreateExclusive(folder, stem, extension, path);
    if (fd < 0) return errno;
    return ::close(fd) == 0 ? 0 : errno;
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
