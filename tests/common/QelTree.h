#pragma once
// A small tree written from one compact description, for tests that walk,
// search or act on real folders.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "../foundation/QelTestDir.h"

// Each entry makes one item below root, its parent folders first:
// "a/b/" a folder, "a/l -> target" a link, "a/f=bytes" a file holding the
// bytes, "a/f" an empty file. Throws when an item cannot be made.
inline void MakeTree(const std::string& root, const std::vector<std::string>& entries) {
    for (const std::string& entry : entries) {
        const std::size_t equals = entry.find('='), arrow = entry.substr(0, equals).find(" -> ");
        std::string path = root + "/" + entry.substr(0, std::min(arrow, equals));
        const bool folder = path.ends_with('/');
        if (folder) path.pop_back();
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        bool made = false;
        if (arrow != std::string::npos) {
            made = ::symlink(entry.substr(arrow + 4, equals - arrow - 4).c_str(), path.c_str()) == 0;
        } else if (folder) {
            made = ::mkdir(path.c_str(), 0755) == 0;
        } else if (const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644); fd >= 0) {
            const std::string bytes = equals == std::string::npos ? "" : entry.substr(equals + 1);
            made = ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
            ::close(fd);
        }
        if (!made) throw std::runtime_error("cannot make " + path);
    }
}
