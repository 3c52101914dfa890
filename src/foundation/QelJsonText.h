#pragma once
// JSON text of JsonCpp values that keeps every string byte for byte. The
// classic writers turn bytes that are not valid UTF-8 (possible in Linux file
// names) into U+FFFD and so lose the name; these write strings as they are.

#include <json/json.h>

#include <string>

namespace qel {
// styled: indented, one member per line, comments kept (the settings-file
// form); otherwise one line. Both end with a line feed.
std::string WriteJsonText(const Json::Value& value, bool styled);
}  // namespace qel
