#include "QelJsonBounds.h"

#include <vector>

#include "QelJsonParse.h"

namespace qel {

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

bool EndsScalar(char c) {
    return IsSpace(c) || c == ',' || c == ':' || c == '[' || c == ']' || c == '{' || c == '}' || c == '"' || c == '/';
}

// The position just past the string whose opening quote is at 'at'.
std::size_t SkipString(std::string_view text, std::size_t at) {
    for (++at; at < text.size(); ++at) {
        if (text[at] == '\\') {
            ++at;
        } else if (text[at] == '"') {
            return at + 1;
        }
    }
    return text.size();
}

// The position just past the comment starting at 'at' ("//" or "/*"), or
// 'at' itself when no comment starts there.
std::size_t SkipComment(std::string_view text, std::size_t at) {
    if (at + 1 >= text.size()) return at;
    if (text[at + 1] == '/') {
        const std::size_t end = text.find('\n', at + 2);
        return end == std::string_view::npos ? text.size() : end + 1;
    }
    if (text[at + 1] == '*') {
        const std::size_t end = text.find("*/", at + 2);
        return end == std::string_view::npos ? text.size() : end + 2;
    }
    return at;
}

class CValueCounter {
public:
    // Counts one value starting in the container now open.
    QelJsonBound Add() {
        if (++m_values > kMaxJsonValues) return QelJsonBound::kTooManyValues;
        if (!m_open.empty() && m_open.back().isArray && ++m_open.back().entries > kMaxJsonArrayEntries)
            return QelJsonBound::kArrayTooLong;
        return QelJsonBound::kWithin;
    }
    bool AddComment() { return ++m_values <= kMaxJsonValues; }
    void Open(bool isArray) { m_open.push_back({isArray, 0}); }
    void Close() {
        if (!m_open.empty()) m_open.pop_back();
    }
    bool InObject() const { return !m_open.empty() && !m_open.back().isArray; }
    // Deeper than the parsers go: they refuse the text at this point.
    bool TooDeep() const { return m_open.size() > static_cast<std::size_t>(kMaxJsonNesting); }

private:
    struct Container {
        bool isArray;
        std::size_t entries;
    };
    std::vector<Container> m_open;
    std::size_t m_values = 0;
};

}  // namespace

QelJsonBound CheckJsonBounds(std::string_view text) {
    CValueCounter counter;
    bool keyNext = false;  // in an object after '{' or ',': the next string names a member
    std::size_t at = 0;
    while (at < text.size()) {
        const char c = text[at];
        if (IsSpace(c)) {
            ++at;
            continue;
        }
        if (c == '/' && SkipComment(text, at) != at) {
            // A kept comment costs as much as a value.
            if (!counter.AddComment()) return QelJsonBound::kTooManyValues;
            at = SkipComment(text, at);
            continue;
        }
        if (c == ',' || c == ':' || c == ']' || c == '}') {
            if (c == ']' || c == '}') counter.Close();
            keyNext = c == ',' && counter.InObject();
            ++at;
            continue;
        }
        if (c == '"' && keyNext) {
            keyNext = false;
            at = SkipString(text, at);
            continue;
        }
        const QelJsonBound bound = counter.Add();
        if (bound != QelJsonBound::kWithin) return bound;
        if (c == '[' || c == '{') {
            counter.Open(c == '[');
            if (counter.TooDeep()) return QelJsonBound::kWithin;
            keyNext = c == '{';
            ++at;
        } else if (c == '"') {
            at = SkipString(text, at);
        } else {
            for (++at; at < text.size() && !EndsScalar(text[at]);) ++at;
        }
    }
    return QelJsonBound::kWithin;
}

QelString DescribeJsonBound(QelJsonBound bound) {
    switch (bound) {
    case QelJsonBound::kWithin:
        break;
    case QelJsonBound::kArrayTooLong:
        return QelString::Formatted(u"more than %d entries in one array", static_cast<int>(kMaxJsonArrayEntries));
    case QelJsonBound::kTooManyValues:
        return QelString::Formatted(u"more than %d values", static_cast<int>(kMaxJsonValues));
    }
    return u"";
}

}  // namespace qel
