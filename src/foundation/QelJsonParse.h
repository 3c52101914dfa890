#pragma once
// The one way to parse JSON text in this program, for both libraries. Text
// comes from files and peers the program does not control, so a parse must
// never throw, overflow the stack or run without bound: any failure (bad
// syntax, nesting deeper than kMaxJsonNesting, a library exception, no
// memory) is a plain false that callers turn into their "could not be read"
// path.
//
//   Json::Value value;
//   if (!qel::ParseJsonCpp(text, value)) { /* could not be read */ }
//
//   rapidjson::Document doc;
//   if (!qel::ParseRapidJson(text, doc)) { /* could not be read */ }
//
// Both are safe to call from any thread (no shared state).

#include <json/json.h>
#include <rapidjson/document.h>

#include <string>
#include <string_view>

namespace qel {

// Arrays and objects nested deeper than this are refused. JsonCpp's reader
// stops at the same depth; RapidJSON is held to it here.
inline constexpr int kMaxJsonNesting = 1000;

// Parses text with Json::Reader into out (comments kept on the values when
// collectComments is true). False on any failure; out is then null. error,
// when given, receives the reader's message.
bool ParseJsonCpp(std::string_view text, Json::Value& out, bool collectComments = false,
                  std::string* error = nullptr);

// Parses text (UTF-8) into document, iteratively (no recursion however deep
// the text) and with the nesting limit. Strings are copied, so text may go
// away afterwards. False on any failure; document is then null. Do not ask
// document.HasParseError() afterwards: the return value is the answer.
bool ParseRapidJson(std::string_view text, rapidjson::Document& document);

}  // namespace qel
