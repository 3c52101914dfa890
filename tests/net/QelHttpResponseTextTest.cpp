#include <gtest/gtest.h>

#include <string>

#include "QelHttpResponseText.h"

using qel::http::ParseResponseHeaders;

TEST(QelHttpHeaders, PatternsTakeTheirFirstMatchWithoutRegardToCaseAndCookiesAreJoined) {
    const QelHttpHeaderFacts facts = ParseResponseHeaders(
        "HTTP/1.1 200 OK\r\ncontent-type: text/html; CHARSET=Windows-1252\r\nCONTENT-LENGTH: 1234\r\n"
        "Content-Length: 99\r\nlocation: 42abc\r\ntransfer-encoding: gzip, chunked\r\n\r\n");
    EXPECT_EQ(facts.charset + "|" + facts.location + "|" + facts.cookies, "Windows-1252|42|");
    EXPECT_EQ(facts.contentLength * facts.hasContentLength * facts.chunked, 1234);
    EXPECT_FALSE(ParseResponseHeaders("X: 1\r\nSome-Transfer-Encoding: chunked\r\n\r\n").chunked);
    // A length too large for the counter cannot be met by a capped body.
    EXPECT_EQ(ParseResponseHeaders("Content-Length: 99999999999999999999\r\n").contentLength, INT64_MAX);
    const std::string huge(200000, 'a');  // a line this long is passed over without exhausting the stack
    const struct { std::string headers; std::string cookies; } cases[] = {
        {"Set-Cookie: " + std::string(4082, 'c') + "\r\n", std::string(4082, 'c') + ";"},  // 4096 bytes with its line end: examined
        {"Set-Cookie: " + std::string(4083, 'c') + "\r\n", ""}, {"Set-Cookie: a=1\r\nSet-Cookie: b=2\r\n\r\n", "a=1; b=2;"},
        {"set-cookie:a=1;\r\n\r\n", "a=1;"}, {"Set-Cookie: \tid=7; Path=/  \nOther: x\n", "id=7; Path=/;"}, {"Set-Cookie: s=1\rX: y\r\n", "s=1;"},
        {"Set-Cookie: " + huge + "\r\nContent-Type: text/plain; charset=" + huge + "\r\nSet-Cookie: b=2\r\n\r\n", "b=2;"},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseResponseHeaders(c.headers).cookies, c.cookies) << c.headers.substr(0, 40);
}

TEST(QelHttpDecode, TheCharsetChoosesTheDecodingWithFallbacks) {
    const struct { std::string body, charset; std::u16string text; } cases[] = {
        {"caf\xC3\xA9", "UtF-8", u"caf\u00E9"},
        {"caf\xC3\xA9", "utf-8lish", u"caf\u00E9"},  // only its first five characters count
        {"caf\xE9", "ISO-8859-1", u"caf\u00E9"}, {"\x80 euro", "windows-1252", u"\u20AC euro"},
        {"\xA4\xA4", "big5", u"\u4E2D"},  // a name shorter than "utf-8"
        {std::string(3000, '\x80'), "windows-1252", std::u16string(3000, u'\u20AC')},  // the output grows past its guess
        {"caf\xC3\xA9", "", u"caf\u00E9"},   // none named: valid UTF-8 is UTF-8
        {"caf\xE9", "", u"caf\u00E9"},       // none named, not UTF-8: Latin-1
        {"caf\xE9", "utf-8", u"caf\u00E9"},  // named UTF-8 but not: Latin-1
        {"caf\xC3\xA9", "no-such-charset", u"caf\u00E9"},
        {"\xED\xA0\x80", "", u"\u00ED\u00A0\u0080"},  // an encoded surrogate is not UTF-8
        {"", "utf-8", u""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(qel::http::DecodeResponseText(c.body, c.charset).str(), c.text) << c.body.substr(0, 9) << " as " << c.charset;
    // An HTML page is unclosed only with a plain opening tag and no closing one, in any case.
    const struct { const char16_t* text; bool unclosed; } pages[] = {
        {u"<HTML><body>cut", true}, {u"<Html><body></body></hTmL>", false}, {u"{\"msgcode\":\"0000\"}", false}, {u"<html lang=en>", false}};
    for (const auto& p : pages) EXPECT_EQ(qel::http::IsHtmlUnclosed(QelString(p.text)), p.unclosed) << QelString(p.text).ToStdString();
}
