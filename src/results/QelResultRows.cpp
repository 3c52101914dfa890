#include "QelResultRows.h"

#include "CQelLogMng.h"
#include "QelString.h"

namespace qel {

namespace {

void AppendList(const Json::Value& list, bool isFolder, const char16_t* logFormat, QelResultRows& rows) {
    if (!list.isArray()) return;
    CQelLogMng* log = CQelLogMng::GetInstance();
    for (const Json::Value& item : list) {
        const char* begin = nullptr;
        const char* end = nullptr;
        if (!item.getString(&begin, &end)) continue;  // not a string
        std::u16string fullPath = Utf8ToUtf16(std::string_view(begin, static_cast<std::size_t>(end - begin)));
        if (log->IsEnabled()) log->Write(logFormat, std::u16string_view(fullPath));
        AppendResultRow(rows, std::move(fullPath), isFolder);
    }
}

}  // namespace

int FindResultSplit(std::u16string_view fullPath) {
    const std::size_t slash = fullPath.rfind(u'/');
    // A row right below the root ("/etc") splits at index 0; "/" alone names nothing.
    if (slash == std::u16string_view::npos || fullPath.size() == 1) return -1;
    return static_cast<int>(slash);
}

bool AppendResultRow(QelResultRows& rows, std::u16string fullPath, bool isFolder) {
    const int split = FindResultSplit(fullPath);
    if (split < 0) return false;
    rows.push_back(QelResultRow{std::move(fullPath), static_cast<std::uint32_t>(split), isFolder});
    return true;
}

QelResultRows TakeResultRows(QelStringArray& files, QelStringArray& folders) {
    QelResultRows rows;
    rows.reserve(files.size() + folders.size());
    for (QelStringArray* list : {&files, &folders}) {
        for (QelString& path : *list) AppendResultRow(rows, path.TakeText(), list == &folders);
        QelStringArray().swap(*list);  // the emptied strings go at once
    }
    return rows;
}

void BuildResultRows(const Json::Value& model, QelResultRows& rows) {
    rows.clear();
    if (!model.isObject()) return;
    const Json::Value& files = model["fileresultlist"];
    const Json::Value& folders = model["dirresultlist"];
    rows.reserve((files.isArray() ? files.size() : 0) + (folders.isArray() ? folders.size() : 0));
    AppendList(files, false, u"FileItem = %s", rows);
    AppendList(folders, true, u"DirItem = %s", rows);
}

}  // namespace qel
