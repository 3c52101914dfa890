#include "QelHttpDownloadFile.h"

#include <curl/curl.h>
#include <fcntl.h>
#include <glib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "CQelDirMng.h"
#include "QelAtomicFile.h"

namespace qel::http {

namespace {

bool IsOneFolderEntry(std::string_view name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos &&
           name.find('\0') == std::string_view::npos;
}

}  // namespace

QelString DownloadFileName(const QelString& url) {
    std::unique_ptr<CURLU, decltype(&curl_url_cleanup)> parsed(curl_url(), &curl_url_cleanup);
    const std::string text = url.ToStdString();
    char* path = nullptr;
    // curl would read the URL only up to a NUL, and fetch another name than the one judged.
    if (!parsed || text.find('\0') != std::string::npos || curl_url_set(parsed.get(), CURLUPART_URL, text.c_str(), 0) != CURLUE_OK ||
        curl_url_get(parsed.get(), CURLUPART_PATH, &path, 0) != CURLUE_OK)
        return QelString(u"");
    // The component is cut out before decoding, so an encoded "/" stays inside it (and is refused).
    const std::string_view whole(path);
    const std::string encoded(whole.substr(whole.rfind('/') + 1));
    curl_free(path);
    int length = 0;
    char* decoded = curl_easy_unescape(nullptr, encoded.c_str(), static_cast<int>(encoded.size()), &length);
    if (!decoded) return QelString(u"");
    const std::string name(decoded, static_cast<std::size_t>(length));
    curl_free(decoded);
    return IsOneFolderEntry(name) ? QelString::FromFileName(name) : QelString(u"");
}

struct QelSha256::State {
    GChecksum* checksum = g_checksum_new(G_CHECKSUM_SHA256);
};

QelSha256::QelSha256() : m_state(std::make_unique<State>()) {}
QelSha256::~QelSha256() { g_checksum_free(m_state->checksum); }

void QelSha256::Update(std::string_view bytes) {
    g_checksum_update(m_state->checksum, reinterpret_cast<const guchar*>(bytes.data()),
                      static_cast<gssize>(bytes.size()));
}

std::string QelSha256::HexDigest() const {
    // Reading the digest closes a GChecksum, so it is read from a copy.
    GChecksum* copy = g_checksum_copy(m_state->checksum);
    std::string hex = g_checksum_get_string(copy);
    g_checksum_free(copy);
    return hex;
}

}  // namespace qel::http

QelHttpDownloadFile::~QelHttpDownloadFile() { Discard(); }

int QelHttpDownloadFile::Open(const QelString& folder, const QelString& name) {
    Discard();
    m_name = name.ToFileName();
    if (!qel::http::IsOneFolderEntry(m_name)) return EINVAL;
    CQelDirMng::MakeDirectoryChain(folder);
    m_folderFd = ::open(folder.ToFileName().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_folderFd < 0) return errno;
    // An older download of the same name, or whatever was planted there, goes
    // first; O_EXCL | O_NOFOLLOW then refuses anything that appears meanwhile.
    ::unlinkat(m_folderFd, m_name.c_str(), 0);
    m_fd = ::openat(m_folderFd, m_name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0700);
    if (m_fd < 0 || ::fchmod(m_fd, 0700) != 0) {
        const int error = errno;
        Discard();
        return error;
    }
    m_path = folder + QelString(u"/") + name;
    return Restart() ? 0 : errno;
}

bool QelHttpDownloadFile::Restart() {
    m_size = 0;
    m_hash = std::make_unique<qel::http::QelSha256>();
    return m_fd >= 0 && ::ftruncate(m_fd, 0) == 0 && ::lseek(m_fd, 0, SEEK_SET) == 0;
}

bool QelHttpDownloadFile::Append(std::string_view bytes) {
    if (m_fd < 0 || !qel::WriteAll(m_fd, bytes)) return false;
    m_hash->Update(bytes);
    m_size += bytes.size();
    return true;
}

bool QelHttpDownloadFile::Finish(QelHttpDownload& download) {
    if (m_fd < 0) return false;
    const bool closed = ::close(m_fd) == 0;
    m_fd = -1;
    if (closed) {
        download.path = m_path;
        download.size = m_size;
        download.sha256 = m_hash->HexDigest();
    } else {
        ::unlinkat(m_folderFd, m_name.c_str(), 0);
    }
    ::close(m_folderFd);
    m_folderFd = -1;
    return closed;
}

void QelHttpDownloadFile::Discard() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
        ::unlinkat(m_folderFd, m_name.c_str(), 0);
    }
    if (m_folderFd >= 0) ::close(m_folderFd);
    m_folderFd = -1;
}
