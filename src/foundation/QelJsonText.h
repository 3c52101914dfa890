#pragma once
// JSON text of JsonCpp values that keeps every string byte for byte. The
// classic writers turn bytes that are not valid UTF-8 (possible in Linux file
// names) into U+FFFD or \u escapes and so lose the name; these write strings
// as they are, escaping only the quote, the backslash and control characters.

#include <json/json.h>

#include <string>
#include <string_view>

namespace qel {
// Appends bytes as the inside of a JSON string: the quote, the backslash and
// control characters escaped (\n, \u001f...), every other byte as it is.
// The one escaping of every JSON text the program writes by hand.
void AppendJsonEscaped(std::string& out, std::string_view bytes);

// styled: laid out exactly as Json::StyledWriter lays it out (three-space
// indent, one member per line, "key" : value, short arrays of scalars on one
// line as [ 1, 2 ], comments kept), the settings-file form; otherwise one
// line as Json::FastWriter writes it. Both end with a line feed.
std::string WriteJsonText(const Json::Value& value, bool styled);
}  // namespace qel
