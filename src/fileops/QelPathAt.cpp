#include "QelPathAt.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

QelPathAt::~QelPathAt() {
    if (m_parentFd >= 0) ::close(m_parentFd);
}

bool QelPathAt::Open(const std::string& path) {
    if (m_parentFd >= 0) ::close(m_parentFd);
    m_parentFd = -1;
    const std::string::size_type end = path.find_last_not_of('/');
    if (end == std::string::npos) {
        errno = path.empty() ? ENOENT : EBUSY;  // nothing, or the root itself
        return false;
    }
    const std::string::size_type slash = path.rfind('/', end);
    const std::string::size_type start = slash == std::string::npos ? 0 : slash + 1;
    m_name = path.substr(start, end + 1 - start);
    if (m_name == "." || m_name == "..") {
        errno = EINVAL;
        return false;
    }
    std::string parent = ".";
    if (slash != std::string::npos) {
        const std::string::size_type parentEnd = path.find_last_not_of('/', slash);
        parent = parentEnd == std::string::npos ? "/" : path.substr(0, parentEnd + 1);
    }
    m_parentFd = ::open(parent.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    return m_parentFd >= 0;
}
