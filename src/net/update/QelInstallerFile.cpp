#include "QelInstallerFile.h"

#include <fcntl.h>
#include <glib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>

#include "CQelDirMng.h"
#include "QelAtomicFile.h"

namespace qel {

namespace {

// Owns one descriptor; closing reports whether the last writes reached the file.
class QelFd {
public:
    explicit QelFd(int fd) : m_fd(fd) {}
    QelFd(const QelFd&) = delete;
    QelFd& operator=(const QelFd&) = delete;
    ~QelFd() { Close(); }
    int Get() const { return m_fd; }
    bool Close() {
        if (m_fd < 0) return true;
        const bool ok = ::close(m_fd) == 0;
        m_fd = -1;
        return ok;
    }

private:
    int m_fd;
};

bool HashMatches(std::string_view bytes, const QelString& expected) {
    std::string wanted = expected.ToStdString();
    std::transform(wanted.begin(), wanted.end(), wanted.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return wanted == Sha256Hex(bytes);
}

bool WriteInstaller(int folderFd, const std::string& name, std::string_view bytes) {
    // An older download of the same name, or whatever was planted there, goes
    // first; O_EXCL | O_NOFOLLOW then refuses anything that appears meanwhile.
    ::unlinkat(folderFd, name.c_str(), 0);
    QelFd file(::openat(folderFd, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0700));
    if (file.Get() < 0) return false;
    bool ok = ::fchmod(file.Get(), 0700) == 0 && WriteAll(file.Get(), bytes);
    ok = file.Close() && ok;
    if (!ok) ::unlinkat(folderFd, name.c_str(), 0);
    return ok;
}

}  // namespace

bool IsPlainFileName(const QelString& name) {
    if (name.IsEmpty() || name.Equals(u".") || name.Equals(u"..")) return false;
    return name.Find(u'/') < 0 && name.Find(u'\0') < 0;
}

std::string Sha256Hex(std::string_view bytes) {
    GChecksum* checksum = g_checksum_new(G_CHECKSUM_SHA256);
    constexpr std::size_t kChunk = std::size_t{1} << 30;
    for (std::size_t done = 0; done < bytes.size(); done += kChunk) {
        const std::size_t n = std::min(kChunk, bytes.size() - done);
        g_checksum_update(checksum, reinterpret_cast<const guchar*>(bytes.data() + done), static_cast<gssize>(n));
    }
    std::string hex = g_checksum_get_string(checksum);
    g_checksum_free(checksum);
    return hex;
}

QelInstallerSave SaveInstaller(const QelString& folder, const QelString& name, std::string_view bytes,
                               const QelString* expectedSha256, QelString& savedPath) {
    if (!IsPlainFileName(name)) return QelInstallerSave::kBadName;
    if (expectedSha256 && !HashMatches(bytes, *expectedSha256)) return QelInstallerSave::kDamaged;
    CQelDirMng::MakeDirectoryChain(folder);
    QelFd folderFd(::open(folder.ToFileName().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folderFd.Get() < 0 || !WriteInstaller(folderFd.Get(), name.ToFileName(), bytes))
        return QelInstallerSave::kWriteFailed;
    savedPath = folder + QelString(u"/") + name;
    return QelInstallerSave::kSaved;
}

}  // namespace qel
