#pragma once
// Shared vocabulary of the HTTP client: request and data types with their
// descriptor names, exchange result codes, the error documents a failed
// exchange delivers, the request descriptor, and the callback signature.

#include <cstddef>

#include "QelString.h"

// Form fields of a multipart POST: name -> (kind -> value). Kinds 0 and 1
// are text, 2 a list of file paths joined by "@@"; others are ignored.
using QelHttpFormFields = QelMap<QelString, QelMap<int, QelString>>;

enum class QelHttpReqType { kGet = 0, kPost = 1, kPut = 2, kDelete = 3 };
enum class QelHttpDataType { kString = 0, kJson = 1, kXml = 2, kFile = 3, kForm = 4 };

// Results of QelHttpTransfer::Send.
namespace qel::http {
constexpr int kDone = 1;
constexpr int kUrlEmpty = -999;      // "URL Not Found!"
constexpr int kBadParameter = -998;  // the verb is none of GET, POST, PUT, DELETE
constexpr int kOpenFailed = -997;    // the URL does not parse, or no attempt reached the server
constexpr int kWriteFailed = -996;   // a download's file could not be created or written
constexpr int kTooLarge = -995;      // the response passed its size cap
constexpr int kNoResponse = -994;    // no attempt gave a usable response

// Text bodies beyond this are not read on; nor are downloads beyond the second.
constexpr std::size_t kMaxTextBytes = std::size_t{16} << 20;
constexpr std::size_t kMaxFileBytes = std::size_t{1} << 30;

// "GET", "POST", "PUT", "DELETE"; the empty string for any other value.
const char16_t* ReqTypeName(int reqtype);
// "String", "Json", "Xml", "File"; the empty string for the form type and any other.
const char16_t* DataTypeName(int datatype);
// The JSON error document delivered for a failed exchange; empty for codes without one.
QelString ErrorDocument(int result);
// text as a JSON string literal, quotes included: quote, backslash and
// control characters escaped, everything else kept.
QelString JsonQuoted(const QelString& text);
}  // namespace qel::http

// What a request descriptor names; every text is escaped on insertion, so the
// descriptor always parses and no value can add members.
struct _tag_HttpRequestInfo {
    int reqidx = 0;
    QelString baseUrl;
    QelString headInfo;
    QelString httpConHead;
    int reqtype = 0;
    int datatype = 0;
    QelString onlyReturn;
};

namespace qel::http {
// {"reqidx":N,"baseurl":"...","headinfo":"...","httpconhead":"...","reqtype":"...","datatype":"...","onlyreturn":"..."}
QelString BuildDescriptor(const _tag_HttpRequestInfo& info);
}  // namespace qel::http

// Kind of a callback call.
constexpr int kQelHttpResult = 0;
constexpr int kQelHttpProgress = 1;

// Called on a pool worker thread; the pointers are valid only during the call.
// For a result (kind 0) response/responseLength carry the response text
// (char16_t, length in characters), the downloaded bytes (length in bytes) or
// the error document (char16_t). For progress (kind 1) response is null and
// responseLength the percentage, 0 to 100. The result is ignored.
using QelHttpCallback = int (*)(void* context, int reqtype, int datatype, const char16_t* descriptor,
                                int descriptorLength, int kind, const unsigned char* requestBody,
                                int requestBodyLength, const void* response, int responseLength);
