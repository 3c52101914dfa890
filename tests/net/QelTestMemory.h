#pragma once
// A number from /proc/self/status, such as the process's "Threads".

#include <cstddef>
#include <fstream>
#include <string>

// The number a field starts with; 0 when the field is missing.
inline std::size_t ProcStatusNumber(const std::string& field) {
    std::ifstream in("/proc/self/status");
    for (std::string line; std::getline(in, line);)
        if (line.rfind(field + ":", 0) == 0) return std::stoul(line.substr(field.size() + 1));
    return 0;
}
