#pragma once
// Helpers for building and checking small trees in a test folder.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <set>
#include <string>

#include "../foundation/QelTestDir.h"
#include "QelString.h"

inline QelString Q(const std::string& path) { return QelString::FromFileName(path); }

// The names in folder (which must exist).
inline std::set<std::string> Names(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder)) names.insert(e.path().filename().string());
    return names;
}

// Descends depth levels of "level" below root by descriptors, making them
// when make is set (such paths outgrow PATH_MAX); the bottom folder's
// descriptor, or -1.
inline int DeepLevel(const std::string& root, int depth, bool make) {
    int fd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY);
    for (int i = 0; i < depth && fd >= 0; ++i) {
        if (make) ::mkdirat(fd, "level", 0755);
        const int next = ::openat(fd, "level", O_RDONLY | O_DIRECTORY);
        ::close(fd);
        fd = next;
    }
    return fd;
}
