#pragma once
// A fresh folder below /tmp for one test, removed with everything in it
// afterwards (rm copes with trees deeper than PATH_MAX), and the file and
// process helpers tests around it share.

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <string>

class QelTestDir {
public:
    QelTestDir() {
        char name[] = "/tmp/qeltest-XXXXXX";
        m_path = ::mkdtemp(name) ? name : "";
    }
    ~QelTestDir() {
        if (!m_path.empty()) (void)std::system(("chmod -R u+w '" + m_path + "' 2>/dev/null; rm -rf '" + m_path + "'").c_str());
    }
    QelTestDir(const QelTestDir&) = delete;
    QelTestDir& operator=(const QelTestDir&) = delete;

    const std::string& path() const { return m_path; }
    std::string operator/(const std::string& leaf) const { return m_path + "/" + leaf; }

private:
    std::string m_path;
};

inline void WriteBytes(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

inline std::string ReadBytes(const std::string& path) {
    std::ostringstream bytes;
    bytes << std::ifstream(path, std::ios::binary).rdbuf();
    return bytes.str();
}

inline bool Exists(const std::string& path) { return ::access(path.c_str(), F_OK) == 0; }

// Runs work with every file limited to limit bytes, as on a disk that fills up.
inline void WithFileSizeLimit(rlim_t limit, const std::function<void()>& work) {
    struct rlimit old {}, small {};
    ::getrlimit(RLIMIT_FSIZE, &old);
    small = {limit, old.rlim_max};
    auto* previous = std::signal(SIGXFSZ, SIG_IGN);
    ::setrlimit(RLIMIT_FSIZE, &small);
    work();
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);
}

// The user id permission tests run as when the tests run as root, who would
// pass every permission check.
inline constexpr uid_t kUnprivilegedId = 65534;

// Runs check as an ordinary user: as it is when not root; as root in a forked
// child that drops to kUnprivilegedId first (files it must reach need
// permissions for that user). True when check returned true.
inline bool RunUnprivileged(const std::function<bool()>& check) {
    if (::geteuid() != 0) return check();
    const pid_t child = ::fork();
    if (child == 0) ::_exit(::setgid(kUnprivilegedId) == 0 && ::setuid(kUnprivilegedId) == 0 && check() ? 0 : 1);
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The descriptors this process holds, the listing's own one included.
inline int OpenDescriptors() { return static_cast<int>(std::ranges::distance(std::filesystem::directory_iterator("/proc/self/fd"))); }

// piece, count times over.
inline std::string Repeat(const std::string& piece, std::size_t count) {
    std::string text;
    while (count--) text += piece;
    return text;
}
