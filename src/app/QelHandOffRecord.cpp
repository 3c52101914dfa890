#include "QelHandOffRecord.h"

#include <json/writer.h>

#include "QelJsonText.h"

namespace qel {

namespace {

// Each path is released once written; utf8 is a buffer reused for every path.
void AppendList(std::string& out, const char* key, QelStringArray& paths) {
    out += '"';
    out += key;
    out += "\":[";
    std::string utf8;
    bool first = true;
    for (QelString& path : paths) {
        if (!first) out += ',';
        first = false;
        out += '"';
        utf8.clear();
        AppendUtf16AsUtf8(utf8, path.view());
        AppendJsonEscaped(out, utf8);
        out += '"';
        path = QelString();
    }
    out += ']';
    QelStringArray().swap(paths);
}

// At least the bytes the lists take as escaped UTF-8, so that the text is
// allocated once: outgrowing a guess would hold the text twice while it moves.
std::size_t MaxTextSize(const QelStringArray& paths) {
    std::size_t size = 0;
    for (const QelString& path : paths) {
        size += 3;  // the quotes and the comma
        for (const char16_t c : path.view()) {
            if (c < 0x80)
                size += c < 0x20 || c == u'"' || c == u'\\' ? 6 : 1;  // at worst \u00XX
            else
                size += c < 0x800 ? 2 : 3;
        }
    }
    return size;
}

}  // namespace

std::string WriteHandOffRecord(QelStringArray files, QelStringArray folders, const QelSubWndSize* size,
                               std::u16string_view searchPath) {
    std::string out;
    out.reserve(MaxTextSize(files) + MaxTextSize(folders) + 6 * searchPath.size() + 112);
    out += '{';
    AppendList(out, "dirresultlist", folders);
    out += ',';
    AppendList(out, "fileresultlist", files);
    if (size) out += ",\"height\":" + std::to_string(size->height);
    if (!searchPath.empty()) {
        std::string utf8;
        AppendUtf16AsUtf8(utf8, searchPath);
        out += ",\"";
        out += kSearchPathKey;
        out += "\":\"";
        AppendJsonEscaped(out, utf8);
        out += '"';
    }
    if (size) out += ",\"width\":" + std::to_string(size->width);
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
