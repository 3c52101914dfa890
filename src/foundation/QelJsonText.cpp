#include "QelJsonText.h"

#include <vector>

namespace qel {

namespace {

void AppendQuoted(std::string& out, const char* text, std::size_t length) {
    out += '"';
    AppendJsonEscaped(out, std::string_view(text, length));
    out += '"';
}

std::string Quoted(const std::string& text) {
    std::string out;
    AppendQuoted(out, text.data(), text.size());
    return out;
}

std::string ScalarText(const Json::Value& value) {
    switch (value.type()) {
    case Json::intValue: return Json::valueToString(value.asLargestInt());
    case Json::uintValue: return Json::valueToString(value.asLargestUInt());
    case Json::realValue: return Json::valueToString(value.asDouble());
    case Json::booleanValue: return Json::valueToString(value.asBool());
    case Json::stringValue: {
        const char* begin = nullptr;
        const char* end = nullptr;
        if (!value.getString(&begin, &end)) return "";
        std::string out;
        AppendQuoted(out, begin, static_cast<std::size_t>(end - begin));
        return out;
    }
    default: return "null";
    }
}

// The layout of Json::StyledWriter, step for step, with raw strings.
class CStyledWriter {
public:
    std::string Write(const Json::Value& root) {
        WriteCommentBefore(root);
        WriteValue(root);
        WriteCommentAfter(root);
        m_document += '\n';
        return std::move(m_document);
    }

private:
    static constexpr std::size_t kRightMargin = 74;
    static constexpr std::size_t kIndentSize = 3;

    void WriteValue(const Json::Value& value) {
        if (value.isArray()) return WriteArray(value);
        if (!value.isObject()) return Push(ScalarText(value));
        const Json::Value::Members members = value.getMemberNames();
        if (members.empty()) return Push("{}");
        WriteWithIndent("{");
        Indent();
        for (std::size_t i = 0; i < members.size(); ++i) {
            const Json::Value& child = value[members[i]];
            WriteCommentBefore(child);
            WriteWithIndent(Quoted(members[i]));
            m_document += " : ";
            WriteValue(child);
            if (i + 1 < members.size()) m_document += ',';
            WriteCommentAfter(child);
        }
        Unindent();
        WriteWithIndent("}");
    }

    void WriteArray(const Json::Value& value) {
        const Json::ArrayIndex size = value.size();
        if (size == 0) return Push("[]");
        if (!IsMultiLine(value)) {
            m_document += "[ ";
            for (std::size_t i = 0; i < m_childValues.size(); ++i) {
                if (i > 0) m_document += ", ";
                m_document += m_childValues[i];
            }
            m_document += " ]";
            return;
        }
        WriteWithIndent("[");
        Indent();
        const bool hasChildValues = !m_childValues.empty();
        for (Json::ArrayIndex i = 0; i < size; ++i) {
            const Json::Value& child = value[i];
            WriteCommentBefore(child);
            if (hasChildValues) {
                WriteWithIndent(m_childValues[i]);
            } else {
                WriteIndent();
                WriteValue(child);
            }
            if (i + 1 < size) m_document += ',';
            WriteCommentAfter(child);
        }
        Unindent();
        WriteWithIndent("]");
    }

    // One line unless the array is long, holds a non-empty container or a
    // comment, or its items would pass the right margin. Leaves the items'
    // texts in m_childValues when it had to write them to measure.
    bool IsMultiLine(const Json::Value& value) {
        const Json::ArrayIndex size = value.size();
        bool multiLine = size * 3 >= kRightMargin;
        m_childValues.clear();
        for (Json::ArrayIndex i = 0; i < size && !multiLine; ++i) {
            const Json::Value& child = value[i];
            multiLine = (child.isArray() || child.isObject()) && !child.empty();
        }
        if (multiLine) return true;
        m_childValues.reserve(size);
        m_collectChildValues = true;
        std::size_t lineLength = 4 + (size - 1) * 2;  // "[ " + ", " between items + " ]"
        for (Json::ArrayIndex i = 0; i < size; ++i) {
            multiLine = multiLine || HasComment(value[i]);
            WriteValue(value[i]);
            lineLength += m_childValues[i].size();
        }
        m_collectChildValues = false;
        return multiLine || lineLength >= kRightMargin;
    }

    void Push(const std::string& text) {
        if (m_collectChildValues)
            m_childValues.push_back(text);
        else
            m_document += text;
    }

    void WriteIndent() {
        if (!m_document.empty()) {
            const char last = m_document.back();
            if (last == ' ') return;  // already indented
            if (last != '\n') m_document += '\n';
        }
        m_document += m_indent;
    }

    void WriteWithIndent(const std::string& text) {
        WriteIndent();
        m_document += text;
    }

    void Indent() { m_indent.append(kIndentSize, ' '); }
    void Unindent() { m_indent.resize(m_indent.size() - kIndentSize); }

    static bool HasComment(const Json::Value& value) {
        return value.hasComment(Json::commentBefore) || value.hasComment(Json::commentAfterOnSameLine) ||
               value.hasComment(Json::commentAfter);
    }

    void WriteCommentBefore(const Json::Value& value) {
        if (!value.hasComment(Json::commentBefore)) return;
        m_document += '\n';
        WriteIndent();
        const std::string comment = value.getComment(Json::commentBefore);
        for (std::size_t i = 0; i < comment.size(); ++i) {
            m_document += comment[i];
            if (comment[i] == '\n' && i + 1 < comment.size() && comment[i + 1] == '/') WriteIndent();
        }
        m_document += '\n';  // comments are stored without their last line feed
    }

    void WriteCommentAfter(const Json::Value& value) {
        if (value.hasComment(Json::commentAfterOnSameLine))
            m_document.append(" ").append(value.getComment(Json::commentAfterOnSameLine));
        if (value.hasComment(Json::commentAfter)) {
            m_document += '\n';
            m_document += value.getComment(Json::commentAfter);
            m_document += '\n';
        }
    }

    std::string m_document;
    std::string m_indent;
    std::vector<std::string> m_childValues;
    bool m_collectChildValues = false;
};

}  // namespace

void AppendJsonEscaped(std::string& out, std::string_view bytes) {
    static constexpr char kHex[] = "0123456789abcdef";
    // Runs of bytes that need no escape, nearly all of a path, go in at once.
    const auto plain = [](char c) { return static_cast<unsigned char>(c) >= 0x20 && c != '"' && c != '\\'; };
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        std::size_t end = i;
        while (end < bytes.size() && plain(bytes[end])) ++end;
        out.append(bytes.data() + i, end - i);
        if (end == bytes.size()) break;
        i = end;
        const char c = bytes[i];
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            out += "\\u00";  // the other control characters
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
        }
    }
}

std::string WriteJsonText(const Json::Value& value, bool styled) {
    if (styled) return CStyledWriter().Write(value);
    Json::StreamWriterBuilder builder;
    builder["emitUTF8"] = true;
    builder["indentation"] = "";
    builder["commentStyle"] = "None";
    return Json::writeString(builder, value) + "\n";
}

}  // namespace qel
