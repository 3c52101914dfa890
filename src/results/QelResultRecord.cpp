#include "QelResultRecord.h"

#include <rapidjson/reader.h>

#include "CQelLogMng.h"
#include "QelJsonParse.h"
#include "QelString.h"

namespace qel {

namespace {

// Events of the reader, in document order, turned into rows as they come.
class RecordHandler : public rapidjson::BaseReaderHandler<rapidjson::UTF8<>, RecordHandler> {
public:
    RecordHandler(QelResultRows& files, QelResultRows& folders, Json::Value& others)
        : m_files(files), m_folders(folders), m_others(others), m_log(CQelLogMng::GetInstance()) {}

    bool StartObject() { return Open(); }
    bool EndObject(rapidjson::SizeType) { return Close(); }
    bool StartArray() {
        if (m_depth == 0) return false;  // a record is an object
        if (m_depth == 1) m_list = ListOfKey();
        return Open();
    }
    bool EndArray(rapidjson::SizeType) {
        if (m_depth == 2) m_list = nullptr;
        return Close();
    }
    bool Key(const char* text, rapidjson::SizeType length, bool) {
        if (m_depth == 1) m_key.assign(text, length);
        return true;
    }
    bool String(const char* text, rapidjson::SizeType length, bool) {
        if (m_depth == 2 && m_list) {
            std::u16string fullPath = Utf8ToUtf16(std::string_view(text, length));
            if (m_log->IsEnabled())
                m_log->Write(m_list == &m_files ? u"FileItem = %s" : u"DirItem = %s", std::u16string_view(fullPath));
            AppendResultRow(*m_list, std::move(fullPath), m_list == &m_folders);
            return true;
        }
        return Plain(Json::Value(text, text + length));
    }
    bool Null() { return Plain(Json::Value()); }
    bool Bool(bool value) { return Plain(Json::Value(value)); }
    bool Int(int value) { return Plain(Json::Value(value)); }
    bool Uint(unsigned value) { return Plain(Json::Value(value)); }
    bool Int64(std::int64_t value) { return Plain(Json::Value(static_cast<Json::Int64>(value))); }
    bool Uint64(std::uint64_t value) { return Plain(Json::Value(static_cast<Json::UInt64>(value))); }
    bool Double(double value) { return Plain(Json::Value(value)); }

    bool SawObject() const { return m_sawObject; }

private:
    // Only one object may stand at the top.
    bool Open() {
        if (m_depth == 0) {
            if (m_sawObject) return false;
            m_sawObject = true;
        }
        return ++m_depth <= kMaxJsonNesting;
    }
    bool Close() {
        --m_depth;
        return true;
    }
    QelResultRows* ListOfKey() {
        if (m_key == "fileresultlist") return &m_files;
        if (m_key == "dirresultlist") return &m_folders;
        return nullptr;
    }
    bool Plain(const Json::Value& value) {
        if (m_depth == 0) return false;  // a bare value is no record
        if (m_depth == 1 && m_key != "fileresultlist" && m_key != "dirresultlist") m_others[m_key] = value;
        return true;
    }

    QelResultRows& m_files;
    QelResultRows& m_folders;
    Json::Value& m_others;
    CQelLogMng* m_log;
    std::string m_key;
    QelResultRows* m_list = nullptr;  // the list whose strings are being read
    int m_depth = 0;
    bool m_sawObject = false;
};

}  // namespace

bool IsResultRecord(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos || text[first] != '{') return false;
    rapidjson::BaseReaderHandler<> ignore;
    rapidjson::Reader reader;
    rapidjson::StringStream stream(text.c_str());
    return !reader.Parse<rapidjson::kParseIterativeFlag>(stream, ignore).IsError();
}

bool ReadResultRecord(const std::string& text, QelResultRows& rows, Json::Value& others) {
    rows.clear();
    others = Json::Value(Json::objectValue);
    QelResultRows folders;
    RecordHandler handler(rows, folders, others);
    rapidjson::Reader reader;
    rapidjson::StringStream stream(text.c_str());
    // Iterative: a hostile record nested a million deep must not exhaust the stack.
    const bool parsed = !reader.Parse<rapidjson::kParseIterativeFlag>(stream, handler).IsError() && handler.SawObject();
    if (!parsed) {
        QelResultRows().swap(rows);
        others = Json::Value(Json::objectValue);
        return false;
    }
    rows.reserve(rows.size() + folders.size());
    for (QelResultRow& folder : folders) rows.push_back(std::move(folder));
    return true;
}

QelString ResultSearchRoot(const Json::Value& others) {
    const Json::Value& path = others.isObject() ? others["searchpath"] : Json::Value::nullSingleton();
    return path.isString() ? QelString::FromFileName(path.asString()) : QelString();
}

}  // namespace qel
