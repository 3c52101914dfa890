#include "QelJsonParse.h"

#include <rapidjson/memorystream.h>
#include <rapidjson/reader.h>

#include <exception>

namespace qel {

namespace {

// Passes the reader's events on to the document and refuses to go deeper
// than the nesting limit (the reader then stops with a termination error).
class CDepthLimitedHandler {
public:
    explicit CDepthLimitedHandler(rapidjson::Document& document) : m_document(document) {}

    bool Null() { return m_document.Null(); }
    bool Bool(bool b) { return m_document.Bool(b); }
    bool Int(int i) { return m_document.Int(i); }
    bool Uint(unsigned i) { return m_document.Uint(i); }
    bool Int64(int64_t i) { return m_document.Int64(i); }
    bool Uint64(uint64_t i) { return m_document.Uint64(i); }
    bool Double(double d) { return m_document.Double(d); }
    bool RawNumber(const char* s, rapidjson::SizeType n, bool copy) { return m_document.RawNumber(s, n, copy); }
    bool String(const char* s, rapidjson::SizeType n, bool copy) { return m_document.String(s, n, copy); }
    bool Key(const char* s, rapidjson::SizeType n, bool copy) { return m_document.Key(s, n, copy); }
    bool StartObject() { return Enter() && m_document.StartObject(); }
    bool EndObject(rapidjson::SizeType members) {
        --m_depth;
        return m_document.EndObject(members);
    }
    bool StartArray() { return Enter() && m_document.StartArray(); }
    bool EndArray(rapidjson::SizeType elements) {
        --m_depth;
        return m_document.EndArray(elements);
    }

private:
    bool Enter() { return ++m_depth <= kMaxJsonNesting; }

    rapidjson::Document& m_document;
    int m_depth = 0;
};

}  // namespace

bool ParseJsonCpp(std::string_view text, Json::Value& out, bool collectComments, std::string* error) {
    out = Json::Value();
    try {
        Json::Reader reader;
        if (reader.parse(text.data(), text.data() + text.size(), out, collectComments)) return true;
        if (error) *error = reader.getFormattedErrorMessages();
    } catch (const std::exception& e) {  // Json::RuntimeError on deep nesting, bad_alloc
        if (error) *error = e.what();
    }
    out = Json::Value();
    return false;
}

bool ParseRapidJson(std::string_view text, rapidjson::Document& document) {
    document.SetNull();
    bool parsed = false;
    auto generator = [&](rapidjson::Document& target) {
        CDepthLimitedHandler handler(target);
        rapidjson::MemoryStream stream(text.data(), text.size());
        rapidjson::Reader reader;
        parsed = !reader.Parse<rapidjson::kParseIterativeFlag>(stream, handler).IsError();
        return parsed;
    };
    try {
        document.Populate(generator);
    } catch (const std::exception&) {  // bad_alloc from the allocator
        parsed = false;
    }
    if (!parsed) document.SetNull();
    return parsed;
}

}  // namespace qel
