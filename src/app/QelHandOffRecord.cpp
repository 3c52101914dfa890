#include "QelHandOffRecord.h"

#include <memory>
#include <sstream>

namespace qel {

namespace {

Json::Value MakeList(const QelStringArray& paths) {
    Json::Value list(Json::arrayValue);
    if (paths.empty()) return list;
    list.resize(static_cast<Json::ArrayIndex>(paths.size()));
    Json::ArrayIndex i = 0;
    for (const QelString& path : paths) list[i++] = Utf16ToUtf8(path.view());
    return list;
}

}  // namespace

Json::Value MakeHandOffRecord(const QelStringArray& files, const QelStringArray& folders, const QelSubWndSize* size) {
    Json::Value record(Json::objectValue);
    if (size) {
        record["width"] = size->width;
        record["height"] = size->height;
    }
    record["fileresultlist"] = MakeList(files);
    record["dirresultlist"] = MakeList(folders);
    return record;
}

std::string WriteHandOffRecord(const Json::Value& record) {
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "";
    builder["emitUTF8"] = true;
    std::ostringstream out;
    std::unique_ptr<Json::StreamWriter>(builder.newStreamWriter())->write(record, &out);
    out << '\n';
    return std::move(out).str();
}

}  // namespace qel
