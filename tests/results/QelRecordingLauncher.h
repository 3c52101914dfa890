#pragma once
// Stands in for the desktop: records every program asked for and every
// item handed over, and answers as set.

#include <map>
#include <string>
#include <vector>

#include "IQelProgramLauncher.h"

struct QelRecordingLauncher : IQelProgramLauncher {
    QelString FindProgram(const QelString& extension) override {
        const auto it = programs.find(extension.ToStdString());
        return QelString::FromUtf8(it == programs.end() ? "" : it->second);
    }
    bool Open(const QelString& program, const QelString& file) override {
        return Record(program.ToStdString() + " " + file.ToFileName());
    }
    bool Open(const QelString& path) override { return Record("open " + path.ToFileName()); }
    bool ShowInFolder(const QelString& path) override { return Record("show " + path.ToFileName()); }

    bool Record(std::string call) {
        calls.push_back(std::move(call));
        if (!starts) m_lastFailure = QelString(u"no file manager");
        return starts;
    }
    std::map<std::string, std::string> programs;  // extension -> program
    bool starts = true;
    std::vector<std::string> calls;
};
