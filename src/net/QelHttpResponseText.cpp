#include "QelHttpResponseText.h"

#include <iconv.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <optional>
#include <regex>

namespace {
const std::regex& CharsetPattern() {
    static const std::regex re(R"(charset=([A-Za-z0-9\-_]+))", std::regex::icase);
    return re;
}
const std::regex& ContentLengthPattern() {
    static const std::regex re(R"(Content-Length: ([0-9]+))", std::regex::icase);
    return re;
}
const std::regex& LocationPattern() {
    static const std::regex re(R"(Location: ([0-9]+))", std::regex::icase);
    return re;
}
const std::regex& ChunkedPattern() {
    static const std::regex re(R"(^Transfer-Encoding:.*chunked)", std::regex::icase);
    return re;
}
const std::regex& CookiePattern() {
    static const std::regex re("Set-Cookie:[ \\t]*(.+?)(?:\\r\\n|\\r|\\n)", std::regex::icase);
    return re;
}

// The standard regular expressions recurse once per character they match, so
// a long line would exhaust the stack: the patterns look at one header line
// at a time, and not at lines longer than this (no header of use is).
constexpr std::size_t kLongestExaminedLine = 4096;

template <typename Visit>
void ForEachLine(std::string_view headers, Visit visit) {
    std::size_t start = 0;
    while (start < headers.size()) {
        std::size_t end = headers.find('\n', start);
        end = end == std::string_view::npos ? headers.size() : end + 1;
        if (end - start <= kLongestExaminedLine) visit(headers.substr(start, end - start));
        start = end;
    }
}

std::string FirstCapture(std::string_view headers, const std::regex& re) {
    std::string found;
    bool done = false;
    ForEachLine(headers, [&](std::string_view line) {
        std::match_results<std::string_view::const_iterator> m;
        if (done || !std::regex_search(line.begin(), line.end(), m, re)) return;
        found = m[1].str();
        done = true;
    });
    return found;
}

std::string JoinedCookies(std::string_view headers) {
    using Iter = std::regex_iterator<std::string_view::const_iterator>;
    std::string joined;
    bool any = false;
    ForEachLine(headers, [&](std::string_view line) {
        for (Iter it(line.begin(), line.end(), CookiePattern()), end; it != end; ++it) {
            if (any) joined += "; ";
            joined += (*it)[1].str();
            any = true;
        }
    });
    if (!any) return {};
    const auto first = joined.find_first_not_of(' ');
    const auto last = joined.find_last_not_of(' ');
    joined = first == std::string::npos ? std::string() : joined.substr(first, last - first + 1);
    if (joined.empty() || joined.back() != ';') joined += ';';
    return joined;
}

// Converts bytes from charset to UTF-8 with iconv; nothing when iconv does not
// know the charset or the bytes are not valid in it.
std::optional<std::string> ConvertToUtf8(std::string_view bytes, const std::string& charset) {
    iconv_t cd = ::iconv_open("UTF-8", charset.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    std::string out(bytes.size() * 2 + 16, '\0');
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    char* outPtr = out.data();
    std::size_t outLeft = out.size();
    bool ok = true;
    while (inLeft > 0 && ok) {
        if (::iconv(cd, &in, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1)) {
            if (errno == E2BIG) {
                const std::size_t used = out.size() - outLeft;
                out.resize(out.size() * 2);
                outPtr = out.data() + used;
                outLeft = out.size() - used;
            } else {
                ok = false;  // an invalid or incomplete sequence
            }
        }
    }
    ::iconv_close(cd);
    if (!ok) return std::nullopt;
    out.resize(out.size() - outLeft);
    return out;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    return std::equal(prefix.begin(), prefix.end(), text.begin(),
                      [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
}

std::u16string Lowered(std::u16string_view text) {
    std::u16string out(text);
    for (char16_t& c : out) {
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    }
    return out;
}
}  // namespace

namespace qel::http {
QelHttpHeaderFacts ParseResponseHeaders(std::string_view headers) {
    QelHttpHeaderFacts facts;
    facts.charset = FirstCapture(headers, CharsetPattern());
    const std::string length = FirstCapture(headers, ContentLengthPattern());
    if (!length.empty()) {
        std::int64_t value = 0;
        const auto [end, ec] = std::from_chars(length.data(), length.data() + length.size(), value);
        facts.hasContentLength = true;
        // A value too large for the counter cannot be met by a capped body anyway.
        facts.contentLength = ec == std::errc() && end == length.data() + length.size() ? value : INT64_MAX;
    }
    facts.location = FirstCapture(headers, LocationPattern());
    facts.cookies = JoinedCookies(headers);
    ForEachLine(headers, [&](std::string_view line) {
        facts.chunked = facts.chunked || std::regex_search(line.begin(), line.end(), ChunkedPattern());
    });
    return facts;
}

QelString DecodeResponseText(std::string_view body, std::string_view charset) {
    if (!charset.empty() && !StartsWithNoCase(charset, "utf-8")) {
        if (auto text = ConvertToUtf8(body, std::string(charset))) return QelString::FromUtf8(*text);
    }
    if (auto text = ConvertToUtf8(body, "UTF-8")) return QelString::FromUtf8(*text);
    return QelString::FromUtf8(*ConvertToUtf8(body, "ISO-8859-1"));
}

bool IsHtmlUnclosed(const QelString& text) {
    const std::u16string lowered = Lowered(text.view());
    return lowered.find(u"<html>") != std::u16string::npos && lowered.find(u"</html>") == std::u16string::npos;
}
}  // namespace qel::http
