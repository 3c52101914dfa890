#pragma once
// A fresh temporary folder per test that becomes the program folder; removed afterwards.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "CQelDirMng.h"

class QelUiTestDir {
public:
    QelUiTestDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "qelui-XXXXXX").string();
        m_path = ::mkdtemp(pattern.data()) ? pattern : std::string();
        CQelDirMng::GetInstance()->SetModuleDir(QelString::FromFileName(m_path));
    }
    ~QelUiTestDir() {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    const std::string& Path() const { return m_path; }

    // Writes text to a file below the folder, creating the folders on the way.
    std::string Write(const std::string& relative, const std::string& text) const {
        const std::filesystem::path file = std::filesystem::path(m_path) / relative;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << text;
        return file.string();
    }

private:
    std::string m_path;
};
