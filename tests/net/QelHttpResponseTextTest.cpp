#include <gtest/gtest.h>
#include <json/json.h>

#include <string>

#include "QelHttpResponseText.h"
#include "QelHttpTypes.h"

using qel::http::DecodeResponseText;
using qel::http::ParseResponseHeaders;

TEST(QelHttpHeaders, PatternsTakeTheirFirstMatchWithoutRegardToCase) {
    const std::string headers =
        "HTTP/1.1 200 OK\r\n"
        "content-type: text/html; CHARSET=Windows-1252\r\n"
        "CONTENT-LENGTH: 1234\r\n"
        "Content-Length: 99\r\n"
        "location: 42abc\r\n"
        "\r\n";
    const QelHttpHeaderFacts facts = ParseResponseHeaders(headers);
    EXPECT_EQ(facts.charset, "Windows-1252");
    EXPECT_TRUE(facts.hasContentLength);
    EXPECT_EQ(facts.contentLength, 1234);
    EXPECT_EQ(facts.location, "42");
    EXPECT_EQ(facts.cookies, "");
}

TEST(QelHttpHeaders, SetCookieValuesAreJoinedTrimmedAndEndInASemicolon) {
    struct Case {
        const char* headers;
        const char* cookies;
    } cases[] = {
        {"Set-Cookie: a=1\r\nSet-Cookie: b=2\r\n\r\n", "a=1; b=2;"},
        {"set-cookie:a=1;\r\n\r\n", "a=1;"},
        {"Set-Cookie: \tid=7; Path=/  \nOther: x\n", "id=7; Path=/;"},
        {"Set-Cookie: s=1\rX: y\r\n", "s=1;"},
    };
    for (const Case& c : cases) EXPECT_EQ(ParseResponseHeaders(c.headers).cookies, c.cookies) << c.headers;
}

TEST(QelHttpHeaders, AHugeHeaderLineIsPassedOverWithoutExhaustingTheStack) {
    const std::string huge(200000, 'a');
    const QelHttpHeaderFacts facts = ParseResponseHeaders("Set-Cookie: " + huge + "\r\nContent-Type: text/plain; charset=" +
                                                          huge + "\r\nSet-Cookie: b=2\r\ncharset=latin1\r\n\r\n");
    EXPECT_EQ(facts.cookies, "b=2;");
    EXPECT_EQ(facts.charset, "latin1");
}

TEST(QelHttpDecode, TheCharsetChoosesTheDecodingWithFallbacks) {
    struct Case {
        std::string body;
        std::string charset;
        std::u16string text;
    } cases[] = {
        {"caf\xC3\xA9", "utf-8", u"caf\u00E9"},
        {"caf\xC3\xA9", "UtF-8", u"caf\u00E9"},
        {"caf\xC3\xA9", "utf-8lish", u"caf\u00E9"},      // only its first five characters count
        {"caf\xE9", "ISO-8859-1", u"caf\u00E9"},
        {"\x80 euro", "windows-1252", u"\u20AC euro"},
        {"caf\xC3\xA9", "", u"caf\u00E9"},               // none named: valid UTF-8 is UTF-8
        {"caf\xE9", "", u"caf\u00E9"},                   // none named, not UTF-8: Latin-1
        {"caf\xE9", "utf-8", u"caf\u00E9"},              // named UTF-8 but not: Latin-1
        {"caf\xC3\xA9", "no-such-charset", u"caf\u00E9"},
        {"\xED\xA0\x80", "", u"\u00ED\u00A0\u0080"},     // an encoded surrogate is not UTF-8
        {"", "utf-8", u""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DecodeResponseText(c.body, c.charset).str(), c.text) << c.body << " as " << c.charset;
    }
}

TEST(QelHttpDecode, AnHtmlPageIsUnclosedOnlyWithAnOpeningTagAndNoClosingOne) {
    EXPECT_TRUE(qel::http::IsHtmlUnclosed(QelString(u"<HTML><body>cut")));
    EXPECT_FALSE(qel::http::IsHtmlUnclosed(QelString(u"<Html><body></body></hTmL>")));
    EXPECT_FALSE(qel::http::IsHtmlUnclosed(QelString(u"{\"msgcode\":\"0000\"}")));
    EXPECT_FALSE(qel::http::IsHtmlUnclosed(QelString(u"<html lang=en> no plain opening tag")));
}

TEST(QelHttpTypes, ErrorDocumentsCarryTheirCodeAndMessage) {
    struct Case {
        int code;
        const char* msg;
    } cases[] = {
        {-999, "URL Not Found!"},       {-998, "Request Parameter Error!"}, {-997, "URL Open Error!"},
        {-996, "Response Data Error!"}, {-995, "Response Data Error!"},     {-994, "Response Data Error!"},
    };
    for (const Case& c : cases) {
        Json::Value doc;
        ASSERT_TRUE(Json::Reader().parse(qel::http::ErrorDocument(c.code).ToStdString(), doc)) << c.code;
        EXPECT_EQ(doc["msgcode"].asString(), std::to_string(c.code));
        EXPECT_EQ(doc["msg"].asString(), c.msg);
        EXPECT_EQ(doc["lang"].asString(), "kr");
        EXPECT_EQ(doc["nextflag"].asString(), "L");
    }
    EXPECT_EQ(qel::http::ErrorDocument(-994).str(),
              u"{\"lang\":\"kr\", \"msg\":\"Response Data Error!\", \"msgcode\":\"-994\", \"nextflag\":\"L\"}");
    EXPECT_TRUE(qel::http::ErrorDocument(1).IsEmpty());
    EXPECT_TRUE(qel::http::ErrorDocument(-1).IsEmpty());
}

TEST(QelHttpTypes, ADescriptorParsesWhateverItsValuesHold) {
    const QelString tag(u"say \"hi\"\\ \",\"reqidx\":9\n\u00E9");
    _tag_HttpRequestInfo info{7, QelString(u"http://h:1/a\"b"), QelString(u""), QelString(u"X-A: 1\r\nX-B: 2"), 1, 4, tag};
    const QelString descriptor = qel::http::BuildDescriptor(info);
    Json::Value doc;
    ASSERT_TRUE(Json::Reader().parse(descriptor.ToStdString(), doc)) << descriptor.ToStdString();
    EXPECT_EQ(doc.size(), 7u);
    EXPECT_EQ(doc["reqidx"].asInt(), 7);
    EXPECT_EQ(doc["baseurl"].asString(), "http://h:1/a\"b");
    EXPECT_EQ(doc["headinfo"].asString(), "");
    EXPECT_EQ(doc["httpconhead"].asString(), "X-A: 1\r\nX-B: 2");
    EXPECT_EQ(doc["reqtype"].asString(), "POST");
    EXPECT_EQ(doc["datatype"].asString(), "");
    EXPECT_EQ(doc["onlyreturn"].asString(), tag.ToStdString());
    // Plain values keep the one-line form of the original descriptor.
    _tag_HttpRequestInfo plain{0, QelString(u"http://h/f"), QelString(u""), QelString(u""), 0, 3, QelString(u"t")};
    EXPECT_EQ(qel::http::BuildDescriptor(plain).str(),
              u"{\"reqidx\":0,\"baseurl\":\"http://h/f\",\"headinfo\":\"\",\"httpconhead\":\"\",\"reqtype\":\"GET\","
              u"\"datatype\":\"File\",\"onlyreturn\":\"t\"}");
}
