#include "QelJsonText.h"

namespace qel {
std::string WriteJsonText(const Json::Value& value, bool styled) {
    Json::StreamWriterBuilder builder;
    builder["emitUTF8"] = true;
    builder["indentation"] = styled ? "   " : "";
    if (!styled) builder["commentStyle"] = "None";
    return Json::writeString(builder, value) + "\n";
}
}  // namespace qel
