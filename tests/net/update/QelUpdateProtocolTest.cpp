#include <gtest/gtest.h>

#include "CQelJSONFileMng.h"
#include "QelUpdateProtocol.h"
#include "QelUpdateServers.h"

namespace {
std::string S(const QelString& s) { return s.ToStdString(); }
}  // namespace

// Whatever a server sends, every member reads as text or as empty: a
// malformed reply becomes an error reply instead of a crash.
TEST(UpdateProtocol, RepliesOfAnyShapeReadAsTextOrEmpty) {
    const std::string hash(64, 'a');
    // members: parsed|msgcode|msg|fileurl|has sha256|sha256
    const struct { std::string text, members; } cases[] = {
        {R"({"msgcode":"0000","msg":"ok","output":{"outblk1":{"fileurl":"/var/www/html/a.run","sha256":")" + hash + "\"}}}",
         "1|0000|ok|/var/www/html/a.run|1|" + hash},
        {R"({"msgcode":"0000","output":{"outblk1":{"fileurl":"/x","sha256":null}}})", "1|0000||/x|0|"},
        {R"({"msgcode":"0000","output":{"outblk1":{"fileurl":"/x","sha256":12}}})", "1|0000||/x|1|"},
        {R"({"msgcode":1,"msg":["x"]})", "1||||0|"}, {R"({"msgcode":"0000","output":{"outblk1":{"fileurl":7}}})", "1|0000|||0|"},
        {R"({"msgcode":"0000","output":[1,2]})", "1|0000|||0|"},
        {R"({"msgcode":"0000","output":{"outblk1":"text"}})", "1|0000|||0|"}, {R"([1,2,3])", "1||||0|"},
        {"<html>Bad Gateway</html>", "0||||0|"},
        {std::string(1001, '[') + std::string(1001, ']'), "0||||0|"},  // past the parser's nesting limit
    };
    for (const auto& c : cases) {
        const qel::update::Reply r = qel::update::ParseReply(QelString::FromUtf8(c.text));
        EXPECT_EQ(std::to_string(r.parsed) + "|" + S(r.msgcode) + "|" + S(r.msg) + "|" + S(r.fileUrl) + "|" + std::to_string(r.hasSha256) + "|" + S(r.sha256),
                  c.members) << c.text;
    }
    // The installer's hash matches in any case and only as a whole.
    const std::string sha = "9c0d294c05fc1d88d698034609bb81c0c69196327594e4c69d2915c80fd9850c";
    for (const std::string& wrong : {std::string(64, '0'), sha.substr(0, 63), sha + "0", std::string()})
        EXPECT_FALSE(qel::update::Sha256Matches(QelString::FromUtf8(wrong), sha)) << wrong;
    EXPECT_TRUE(qel::update::Sha256Matches(QelString::FromUtf8("9C0D294C05FC1D88D698034609BB81C0C69196327594E4C69D2915C80FD9850C"), sha));
    EXPECT_FALSE(qel::update::Sha256Matches(QelString(u""), ""));
}

TEST(UpdateServers, EachUrlComesFromTheUserThenTheConfigTreeThenTheDefault) {
    const std::string api = "https://update.corvane.example.org:7530", files = "https://update.corvane.example.org:8080";
    const struct { const char *user, *config; std::string api, files; } cases[] = {
        {"{}", "{}", api, files},
        {"{}", R"({"updateserver":{"api":"http://a:1","files":"http://f:2/"}})", "http://a:1", "http://f:2"},
        {R"({"updateserver":{"files":"http://u:3//"}})", R"({"updateserver":{"api":"http://a:1","files":"http://f:2"}})", "http://a:1", "http://u:3"},
        {R"({"updateserver":{"api":"","files":7}})", R"({"updateserver":{"api":"http://a:1"}})", "http://a:1", files},
        {R"({"updateserver":"http://x"})", R"({"updateserver":[1]})", api, files},
        {"[]", R"({"updateserver":{"api":"/","files":null}})", api, files},
    };
    for (const auto& c : cases) {
        CQelJSONFileMng settings;
        ASSERT_TRUE(Json::Reader().parse(c.user, settings.UserTree()) && Json::Reader().parse(c.config, settings.ConfigTree()));
        const Json::Value userBefore = settings.UserTree();
        const qel::QelUpdateServers servers = qel::ReadUpdateServers(settings);
        EXPECT_EQ(S(servers.api) + " " + S(servers.files), c.api + " " + c.files) << c.user << " / " << c.config;
        EXPECT_EQ(settings.UserTree(), userBefore) << "reading must not add members that Exit would save";
    }
}

// The installer is started as root: only https, or plain http to this machine.
TEST(UpdateServers, OnlyHttpsOrPlainHttpToThisMachineIsTrusted) {
    for (const char* url : {"https://update.corvane.example.org:7530", "HTTPS://Update.Example.org", "http://127.0.0.1:7530",
                            "http://127.8.9.10", "http://localhost:8080", "http://LocalHost", "http://[::1]:8080"})
        EXPECT_TRUE(qel::IsTrustedUpdateUrl(QelString::FromUtf8(url))) << url;
    for (const char* url : {"http://update.corvane.example.org:7530", "http://127.example.org", "http://localhost.example.org",
                            "http://128.0.0.1", "http://[::2]", "ftp://127.0.0.1", "file:///tmp/inst.run", "update.example.org", ""})
        EXPECT_FALSE(qel::IsTrustedUpdateUrl(QelString::FromUtf8(url))) << url;
}
