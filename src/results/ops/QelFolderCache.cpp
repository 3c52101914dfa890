#include "QelFolderCache.h"

#include <fcntl.h>
#include <unistd.h>

#include "QelString.h"

int QelFolderCache::Open(std::u16string_view path) {
    if (m_fd >= 0 && path == m_path) return m_fd;
    Close();
    // The root's row path is empty: its rows read "/name".
    const std::string bytes = path.empty() ? std::string("/") : qel::Utf16ToUtf8(path);
    m_fd = ::open(bytes.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (m_fd >= 0) m_path.assign(path);
    return m_fd;
}

void QelFolderCache::Close() {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
}
