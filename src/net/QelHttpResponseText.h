#pragma once
// What a transfer reads out of a response: the facts its header patterns
// find, the decoded body text, and the completeness test of HTML pages.
// Pure functions, safe on any thread.

#include <cstdint>
#include <string>
#include <string_view>

#include "QelString.h"

struct QelHttpHeaderFacts {
    std::string charset;              // first "charset=" value, empty when none
    bool hasContentLength = false;    // a "Content-Length: " header was sent
    std::int64_t contentLength = 0;   // its value, 0 when none
    std::string location;             // first "Location: " value made of digits
    std::string cookies;              // Set-Cookie values as "a=1; b=2;", empty when none
    bool chunked = false;             // "Transfer-Encoding" names chunked: the body's end is marked
};

namespace qel::http {
// Applies the header patterns, without regard to case, to the raw header
// block of one response (lines ending in CR LF), line by line; a line
// longer than 4096 bytes is passed over.
QelHttpHeaderFacts ParseResponseHeaders(std::string_view headers);

// The body as text: from the named charset when one is given and iconv knows
// it, else UTF-8 when the bytes are valid UTF-8, else ISO-8859-1 (which
// always succeeds). A charset starting with "utf-8" goes straight to UTF-8.
QelString DecodeResponseText(std::string_view body, std::string_view charset);

// True when text holds "<html>" but not "</html>", without regard to case:
// a page that was cut off.
bool IsHtmlUnclosed(const QelString& text);
}  // namespace qel::http
