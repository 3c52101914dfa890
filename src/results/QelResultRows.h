#pragma once
// The rows of the result list: one per found file or folder, files first, each
// split at the last '/' of its full path into the containing folder and the name.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <json/json.h>

#include "QelContainers.h"
#include "QelString.h"

struct QelResultRow {
    std::u16string fullPath;
    std::uint32_t pathLength = 0;  // characters before the last '/'
    bool isFolder = false;

    // Text after the last '/'.
    std::u16string_view Name() const { return std::u16string_view(fullPath).substr(pathLength + 1); }
    // Text before the last '/' (the containing folder, no trailing '/'; "/" for the root).
    std::u16string_view Path() const {
        return pathLength == 0 ? std::u16string_view(u"/") : std::u16string_view(fullPath).substr(0, pathLength);
    }
    // "File" or "Folder".
    std::u16string_view Type() const { return isFolder ? std::u16string_view(u"Folder") : std::u16string_view(u"File"); }
};

using QelResultRows = std::vector<QelResultRow>;

namespace qel {

// Index of the last '/'; -1 when there is none or the path is "/" alone.
int FindResultSplit(std::u16string_view fullPath);

// Appends the row of fullPath; false, appending nothing, when FindResultSplit finds no split.
bool AppendResultRow(QelResultRows& rows, std::u16string fullPath, bool isFolder);

// The rows of a search's two lists, files first, each path moved into its row
// (the lists are left empty), with the same rows AppendResultRow makes.
QelResultRows TakeResultRows(QelStringArray& files, QelStringArray& folders);

// Rebuilds rows from a result model: every string of "fileresultlist", then of
// "dirresultlist", in array order (logged as "FileItem = %s" / "DirItem = %s").
void BuildResultRows(const Json::Value& model, QelResultRows& rows);

}  // namespace qel
