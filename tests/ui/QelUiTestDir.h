#pragma once
// A fresh temporary folder per test that becomes the program folder; removed afterwards.

#include <filesystem>
#include <string>

#include "../foundation/QelTestDir.h"
#include "CQelDirMng.h"

class QelUiTestDir : public QelTestDir {
public:
    QelUiTestDir() { CQelDirMng::GetInstance()->SetModuleDir(QelString::FromFileName(path())); }
    // Writes text to a file below the folder, creating the folders on the way.
    std::string Write(const std::string& relative, const std::string& text) const {
        const std::string file = *this / relative;
        std::filesystem::create_directories(std::filesystem::path(file).parent_path());
        WriteBytes(file, text);
        return file;
    }
};
