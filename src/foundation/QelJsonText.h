#pragma once
// JSON text of JsonCpp values that keeps every string byte for byte. The
// classic writers turn bytes that are not valid UTF-8 (possible in Linux file
// names) into U+FFFD and so lose the name; these write strings as they are.

#include <json/json.h>

#include <string>
#include <string_view>

namespace qel {
// styled: indented, one member per line, comments kept (the settings-file
// form); otherwise one line. Both end with a line feed.
std::string WriteJsonText(const Json::Value& value, bool styled);
// Appends bytes as the inside of a JSON string: quote, backslash and control
// characters escaped, every other byte as it is (so a name that is not UTF-8
// reads back as the same bytes through a reader that keeps them).
void AppendJsonStringBytes(std::string& out, std::string_view bytes);
}  // namespace qel
