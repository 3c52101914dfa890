#pragma once
// JSON text of JsonCpp values that keeps every string byte for byte. The
// classic writers turn bytes that are not valid UTF-8 (possible in Linux file
// names) into U+FFFD or \u escapes and so lose the name; these write strings
// as they are, escaping only the quote, the backslash and control characters.

#include <json/json.h>

#include <string>

namespace qel {
// styled: laid out exactly as Json::StyledWriter lays it out (three-space
// indent, one member per line, "key" : value, short arrays of scalars on one
// line as [ 1, 2 ], comments kept), the settings-file form; otherwise one
// line as Json::FastWriter writes it. Both end with a line feed.
std::string WriteJsonText(const Json::Value& value, bool styled);
}  // namespace qel
