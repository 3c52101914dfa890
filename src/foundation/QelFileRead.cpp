#include "QelFileRead.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace qel {

namespace {

// Owns one descriptor.
class CFd {
public:
    explicit CFd(int fd) : m_fd(fd) {}
    ~CFd() {
        if (m_fd >= 0) ::close(m_fd);
    }
    CFd(const CFd&) = delete;
    CFd& operator=(const CFd&) = delete;
    int Get() const { return m_fd; }

private:
    int m_fd;
};

// No file there: the name is free, or a folder on the way is a file.
QelFileReadResult Failed(int error) {
    if (error == ENOENT || error == ENOTDIR) return {QelFileReadStatus::kMissing, 0};
    return {QelFileReadStatus::kFailed, error};
}

}  // namespace

QelFileReadResult ReadRegularFile(const QelString& path, std::string& bytes, std::size_t maxBytes) {
    bytes.clear();
    const CFd fd(::open(path.ToFileName().c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (fd.Get() < 0) return Failed(errno);
    struct stat st;
    if (::fstat(fd.Get(), &st) != 0) return Failed(errno);
    if (!S_ISREG(st.st_mode)) return {QelFileReadStatus::kNotRegular, 0};
    if (static_cast<unsigned long long>(st.st_size) > maxBytes) return {QelFileReadStatus::kTooLarge, 0};

    bytes.resize(static_cast<std::size_t>(st.st_size));
    std::size_t done = 0;
    // One byte past the limit tells a file that grew since fstat from one that did not.
    for (;;) {
        if (done == bytes.size()) {
            if (bytes.size() > maxBytes) break;
            bytes.resize(std::min(maxBytes + 1, bytes.size() + 65536));
        }
        const ssize_t n = ::read(fd.Get(), bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            const int error = errno;
            bytes.clear();
            return {QelFileReadStatus::kFailed, error};
        }
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    bytes.resize(done);
    if (done > maxBytes) {
        bytes.clear();
        return {QelFileReadStatus::kTooLarge, 0};
    }
    return {};
}

QelString DescribeFileRead(const QelFileReadResult& result, std::size_t maxBytes) {
    switch (result.status) {
    case QelFileReadStatus::kOk:
        return u"read";
    case QelFileReadStatus::kMissing:
        return QelString::FromUtf8(std::strerror(ENOENT));
    case QelFileReadStatus::kNotRegular:
        return u"not a regular file";
    case QelFileReadStatus::kTooLarge:
        return QelString::Formatted(u"larger than %d MiB", static_cast<int>(maxBytes / (1024 * 1024)));
    case QelFileReadStatus::kFailed:
        break;
    }
    return QelString::FromUtf8(std::strerror(result.error));
}

}  // namespace qel
