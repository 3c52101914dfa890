#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "CQelJSONFileMng.h"
#include "QelUpdateProtocol.h"
#include "QelUpdateServers.h"

namespace {

using qel::update::Reply;

struct ReplyCase {
    const char* text;
    bool parsed;
    const char* msgcode;
    const char* msg;
    const char* fileUrl;
    bool hasSha256;
    const char* sha256;
};

std::string S(const QelString& s) { return s.ToStdString(); }

}  // namespace

// Whatever a server sends, every member reads as text or as empty: a
// malformed reply becomes an error reply instead of a crash.
TEST(UpdateProtocol, RepliesOfAnyShapeReadAsTextOrEmpty) {
    const std::string hash(64, 'a');
    const std::string deep = std::string(1001, '[') + std::string(1001, ']');  // past the parser's nesting limit
    const std::string withHash =
        R"({"msgcode":"0000","output":{"outblk1":{"fileurl":"/var/www/html/a.run","sha256":")" + hash + "\"}}}";
    const ReplyCase cases[] = {
        {withHash.c_str(), true, "0000", "", "/var/www/html/a.run", true, hash.c_str()},
        {R"({"msgcode":"0000","output":{"outblk1":{"fileurl":"/x","sha256":null}}})", true, "0000", "", "/x", false,
         ""},
        {R"({"msgcode":"0000","output":{"outblk1":{"fileurl":"/x","sha256":12}}})", true, "0000", "", "/x", true, ""},
        {R"({"msgcode":1,"msg":["x"]})", true, "", "", "", false, ""},
        {R"({"msgcode":"0000","output":{"outblk1":{"fileurl":7}}})", true, "0000", "", "", false, ""},
        {R"({"msgcode":"0000","output":[1,2]})", true, "0000", "", "", false, ""},
        {R"({"msgcode":"0000","output":{"outblk1":"text"}})", true, "0000", "", "", false, ""},
        {R"([1,2,3])", true, "", "", "", false, ""},
        {"<html>Bad Gateway</html>", false, "", "", "", false, ""},
        {deep.c_str(), false, "", "", "", false, ""},
    };
    for (const ReplyCase& c : cases) {
        const Reply reply = qel::update::ParseReply(QelString::FromUtf8(c.text));
        EXPECT_EQ(reply.parsed, c.parsed) << c.text;
        if (!c.parsed) continue;
        EXPECT_EQ(S(reply.msgcode), c.msgcode) << c.text;
        EXPECT_EQ(S(reply.msg), c.msg) << c.text;
        EXPECT_EQ(S(reply.fileUrl), c.fileUrl) << c.text;
        EXPECT_EQ(reply.hasSha256, c.hasSha256) << c.text;
        EXPECT_EQ(S(reply.sha256), c.sha256) << c.text;
    }
}

TEST(UpdateServers, EachUrlComesFromTheUserThenTheConfigTreeThenTheDefault) {
    const std::string api = "https://update.corvane.example.org:7530";
    const std::string files = "https://update.corvane.example.org:8080";
    const struct {
        const char* user;
        const char* config;
        std::string api;
        std::string files;
    } cases[] = {
        {"{}", "{}", api, files},
        {"{}", R"({"updateserver":{"api":"http://a:1","files":"http://f:2/"}})", "http://a:1", "http://f:2"},
        {R"({"updateserver":{"files":"http://u:3//"}})", R"({"updateserver":{"api":"http://a:1","files":"http://f:2"}})",
         "http://a:1", "http://u:3"},
        {R"({"updateserver":{"api":"","files":7}})", R"({"updateserver":{"api":"http://a:1"}})", "http://a:1", files},
        {R"({"updateserver":"http://x"})", R"({"updateserver":[1]})", api, files},
        {"[]", R"({"updateserver":{"api":"/","files":null}})", api, files},
    };
    for (const auto& c : cases) {
        CQelJSONFileMng settings;
        ASSERT_TRUE(Json::Reader().parse(c.user, settings.UserTree()));
        ASSERT_TRUE(Json::Reader().parse(c.config, settings.ConfigTree()));
        const Json::Value userBefore = settings.UserTree();
        const qel::QelUpdateServers servers = qel::ReadUpdateServers(settings);
        EXPECT_EQ(S(servers.api), c.api) << c.user << " / " << c.config;
        EXPECT_EQ(S(servers.files), c.files) << c.user << " / " << c.config;
        EXPECT_EQ(settings.UserTree(), userBefore) << "reading must not add members that Exit would save";
    }
    // The shipped settings name the built-in addresses, so a file without them behaves alike.
    std::ifstream in(QEL_SHIPPED_ENV, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    Json::Value shipped;
    ASSERT_TRUE(Json::Reader().parse(text.str(), shipped));
    EXPECT_EQ(shipped["updateserver"]["api"].asString(), api);
    EXPECT_EQ(shipped["updateserver"]["files"].asString(), files);
}

// The installer is started as root: only https, or plain http to this machine.
TEST(UpdateServers, OnlyHttpsOrPlainHttpToThisMachineIsTrusted) {
    const struct {
        const char* url;
        bool trusted;
    } cases[] = {
        {"https://update.corvane.example.org:7530", true},
        {"HTTPS://Update.Example.org", true},
        {"http://update.corvane.example.org:7530", false},
        {"http://127.0.0.1:7530", true},
        {"http://127.8.9.10", true},
        {"http://localhost:8080", true},
        {"http://LocalHost", true},
        {"http://[::1]:8080", true},
        {"http://127.example.org", false},
        {"http://localhost.example.org", false},
        {"http://128.0.0.1", false},
        {"http://[::2]", false},
        {"ftp://127.0.0.1", false},
        {"update.example.org", false},
        {"", false},
    };
    for (const auto& c : cases) EXPECT_EQ(qel::IsTrustedUpdateUrl(QelString::FromUtf8(c.url)), c.trusted) << c.url;
}

TEST(UpdateProtocol, TheSha256MatchesInAnyCaseAndOnlyAsAWhole) {
    const std::string hash = "9c0d294c05fc1d88d698034609bb81c0c69196327594e4c69d2915c80fd9850c";
    std::string upper = hash;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const struct {
        std::string expected;
        bool matches;
    } cases[] = {
        {hash, true}, {upper, true}, {std::string(64, '0'), false}, {hash.substr(0, 63), false}, {hash + "0", false}, {"", false},
    };
    for (const auto& c : cases) EXPECT_EQ(qel::update::Sha256Matches(QelString::FromUtf8(c.expected), hash), c.matches) << c.expected;
    EXPECT_FALSE(qel::update::Sha256Matches(QelString(u""), ""));
}
