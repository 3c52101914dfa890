#pragma once
// Helpers for building and checking small trees in a test folder.

#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "../foundation/QelTestDir.h"
#include "QelString.h"

inline QelString Q(const std::string& path) { return QelString::FromFileName(path); }

inline void MakeFile(const std::string& path, const std::string& bytes) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    WriteBytes(path, bytes);
}

inline bool IsDir(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}
