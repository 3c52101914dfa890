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

// read() going on after interruptions.
ssize_t ReadSome(int fd, char* buffer, std::size_t size) {
    for (;;) {
        const ssize_t n = ::read(fd, buffer, size);
        if (n >= 0 || errno != EINTR) return n;
    }
}

QelFileReadResult Clear(std::string& bytes, QelFileReadResult result) {
    bytes.clear();
    return result;
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

    // The size fstat gave is allocated once: growing the buffer on the way
    // would copy it and hold twice the file for a moment. A file that grew
    // since goes on in steps, and one byte past the limit refuses it.
    bytes.resize(static_cast<std::size_t>(st.st_size));
    std::size_t done = 0;
    for (;;) {
        if (done == bytes.size()) {
            char probe;
            const ssize_t n = ReadSome(fd.Get(), &probe, 1);
            if (n <= 0) {
                if (n == 0) break;
                return Clear(bytes, {QelFileReadStatus::kFailed, errno});
            }
            if (bytes.size() >= maxBytes) return Clear(bytes, {QelFileReadStatus::kTooLarge, 0});
            bytes.resize(std::min(maxBytes, bytes.size() + 65536));
            bytes[done++] = probe;
            continue;
        }
        const ssize_t n = ReadSome(fd.Get(), bytes.data() + done, bytes.size() - done);
        if (n < 0) return Clear(bytes, {QelFileReadStatus::kFailed, errno});
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    bytes.resize(done);
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
