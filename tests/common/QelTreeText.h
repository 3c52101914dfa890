#pragma once
// A folder tree written from, and read back as, one line of text, so a test
// states what it starts from and what must be on disk afterwards at a glance:
// "name=bytes" is a file, "name/" a folder, "name->target" a link (and, read
// back only, "name*" any other kind of file).

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "../foundation/QelTestDir.h"

using Texts = std::vector<std::string>;

inline void MakeTree(const std::string& root, const Texts& entries) {
    for (const std::string& entry : entries) {
        const std::size_t link = entry.find("->"), equals = entry.find('=');
        const std::string path = root + "/" + entry.substr(0, std::min(link, equals));
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        if (link < equals) ::symlink(entry.substr(link + 2).c_str(), path.c_str());
        else if (equals != std::string::npos) WriteBytes(path, entry.substr(equals + 1));
        else std::filesystem::create_directories(path);
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
