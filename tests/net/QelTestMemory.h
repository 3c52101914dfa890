#pragma once
// A number from /proc/self/status, such as the process's "Threads".

#include <cstddef>
#include <fstream>
#include <string>

// The number a field starts with; 0 when the field is missing.
inline std::size_t ProcStatusNumber(const std::string& field) {
    std::ifstream in("/proc/self/status");
    std::string key;
    while (in >> key) {
        if (key == field + ":") {
            std::size_t value = 0;
            in >> value;
            return value;
        }
        std::getline(in, key);
    }
    return 0;
}
