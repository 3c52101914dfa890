#include "QelHandOffRecord.h"

#include <json/writer.h>

namespace qel {

namespace {

void AppendEscaped(std::string& out, const std::string& text) {
    static constexpr char kHex[] = "0123456789abcdef";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\b': out += "\\b"; break;
            case '\f': out += "\\f"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (byte < 0x20) {
                    out += "\\u00";
                    out += kHex[byte >> 4];
                    out += kHex[byte & 0xF];
                } else {
                    out += c;
                }
        }
    }
}

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
        AppendEscaped(out, Utf16ToUtf8(path.view()));
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
