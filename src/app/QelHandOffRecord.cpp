#include "QelHandOffRecord.h"

#include <json/writer.h>

#include "QelJsonText.h"

namespace qel {

namespace {

// Each path is released once written.
void AppendList(std::string& out, const char* key, QelStringArray& paths) {
    out += '"';
    out += key;
    out += "\":[";
    bool first = true;
    for (QelString& path : paths) {
        if (!first) out += ',';
        first = false;
        out += '"';
        AppendJsonEscaped(out, Utf16ToUtf8(path.view()));
        out += '"';
        path = QelString();
    }
    out += ']';
    QelStringArray().swap(paths);
}

std::size_t EstimatedSize(const QelStringArray& paths) {
    std::size_t size = 0;
    for (const QelString& path : paths) size += static_cast<std::size_t>(path.GetLength()) + 3;
    return size;
}

}  // namespace

std::string WriteHandOffRecord(QelStringArray files, QelStringArray folders, const QelSubWndSize* size) {
    std::string out;
    out.reserve(EstimatedSize(files) + EstimatedSize(folders) + 96);
    out += '{';
    AppendList(out, "dirresultlist", folders);
    out += ',';
    AppendList(out, "fileresultlist", files);
    if (size) {
        out += ",\"height\":" + std::to_string(size->height);
        out += ",\"width\":" + std::to_string(size->width);
    }
    out += "}\n";
    return out;
}

void AddJobToHandOffRecord(std::string& record, const Json::Value& job) {
    if (record.empty() || record.front() != '{') return;
    std::string member = "\"afjitem\":" + Json::FastWriter().write(job);
    member.back() = ',';  // the writer's line feed
    record.insert(1, member);
}

}  // namespace qel
