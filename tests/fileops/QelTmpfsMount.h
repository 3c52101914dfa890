#pragma once
// A small tmpfs mounted on a fresh folder for one test: a second file system
// and a disk that fills up. Mounting needs root (as in CI); tests skip
// otherwise. Declare it after the QelTestDir it lives in, so it is unmounted first.

#include <sys/mount.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <string>

class QelTmpfsMount {
public:
    QelTmpfsMount(const std::string& where, const std::string& size) : m_where(where) {
        ::mkdir(where.c_str(), 0755);
        const std::string options = "size=" + size;
        m_mounted = ::mount("tmpfs", where.c_str(), "tmpfs", 0, options.c_str()) == 0;
        if (!m_mounted) m_why = std::string("cannot mount a tmpfs here (root needed): ") + std::strerror(errno);
    }
    ~QelTmpfsMount() {
        if (m_mounted) ::umount2(m_where.c_str(), MNT_DETACH);
    }
    QelTmpfsMount(const QelTmpfsMount&) = delete;
    QelTmpfsMount& operator=(const QelTmpfsMount&) = delete;

    bool Mounted() const { return m_mounted; }
    const std::string& WhyNot() const { return m_why; }

private:
    std::string m_where;
    std::string m_why;
    bool m_mounted = false;
};
