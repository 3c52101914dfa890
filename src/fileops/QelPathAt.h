#pragma once
// The last component of a path, held as an open parent folder and a name, so
// that what the path names is judged and acted on without following a link
// however the path is written: "dir/link/" names the link itself, not the
// folder it leads to. The folders above the last component are followed as
// the user typed them.

#include <string>

class QelPathAt {
public:
    QelPathAt() = default;
    QelPathAt(const QelPathAt&) = delete;
    QelPathAt& operator=(const QelPathAt&) = delete;
    ~QelPathAt();

    // Strips trailing '/' and opens the parent folder (for a bare name the
    // current folder). False, errno set, when the parent cannot be opened or
    // the path has no last component to act on ("", "/", "." or "..").
    bool Open(const std::string& path);
    int ParentFd() const { return m_parentFd; }
    const char* Name() const { return m_name.c_str(); }

private:
    int m_parentFd = -1;  // O_PATH: usable for *at calls even without read permission
    std::string m_name;
};
