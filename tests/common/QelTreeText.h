#pragma once
// A folder tree written from, and read back as, one line of text, so a test
// states what it starts from and what must be on disk afterwards at a glance:
// "name=bytes" is a file, "name" an empty one, "name/" a folder, "name->target"
// a link (and, read back only, "name*" any other kind of file).

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "../foundation/QelTestDir.h"

using Texts = std::vector<std::string>;

// Makes each entry below root, its parent folders first; throws when an item
// cannot be made; a file given again gets the new bytes.
inline void MakeTree(const std::string& root, const Texts& entries) {
    for (const std::string& entry : entries) {
        const std::size_t link = entry.find("->"), equals = entry.find('=');
        std::string path = root + "/" + entry.substr(0, std::min(link, equals));
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        bool made = false;
        if (link < equals) {
            made = ::symlink(entry.substr(link + 2).c_str(), path.c_str()) == 0;
        } else if (path.ends_with('/')) {
            std::error_code ignored;
            std::filesystem::create_directories(path, ignored);
            made = std::filesystem::is_directory(path);
        } else if (const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644); fd >= 0) {
            const std::string bytes = equals == std::string::npos ? "" : entry.substr(equals + 1);
            made = ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
            ::close(fd);
        }
        if (!made) throw std::runtime_error("cannot make " + path);
    }
}

// Every entry below root in path order, blank-separated, links never
// followed; "" when root is missing.
inline std::string TreeText(const std::string& root) {
    namespace fs = std::filesystem;
    std::vector<std::string> entries;
    std::error_code error;
    for (fs::recursive_directory_iterator it(root, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().string().substr(root.size() + 1);
        if (it->is_symlink()) entries.push_back(name + "->" + fs::read_symlink(it->path()).string());
        else if (it->is_directory()) entries.push_back(name + "/");
        else if (it->is_regular_file()) entries.push_back(name + "=" + ReadBytes(it->path()));
        else entries.push_back(name + "*");  // a FIFO, socket or device
    }
    std::sort(entries.begin(), entries.end());
    std::string text;
    for (const std::string& entry : entries) text += (text.empty() ? "" : " ") + entry;
    return text;
}
