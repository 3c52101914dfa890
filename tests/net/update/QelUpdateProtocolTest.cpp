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

TEST(UpdateProtocol, RequestInputIsOneSortedJsonLineNamingThisPlatform) {
    const qel::update::FormFields version = qel::update::BuildRequestFields(u"appverchk", QelString(u"2.3.4.5"));
    ASSERT_EQ(version.size(), 2u);
    EXPECT_EQ(S(version.at(QelString(u"cmd")).at(0)), "appverchk");
    EXPECT_EQ(version.at(QelString(u"cmd")).size(), 1u);
    EXPECT_EQ(S(version.at(QelString(u"input")).at(1)),
              "{\"appname\":\"QelTessary\",\"appos\":\"Linux\",\"appversion\":\"2.3.4.5\"}\n");
    const qel::update::FormFields fileUrl = qel::update::BuildRequestFields(u"appfileurl", QelString(u""));
    EXPECT_EQ(S(fileUrl.at(QelString(u"cmd")).at(0)), "appfileurl");
    EXPECT_EQ(S(fileUrl.at(QelString(u"input")).at(1)), "{\"appname\":\"QelTessary\",\"appos\":\"Linux\"}\n");
}

// Whatever a server sends, every member reads as text or as empty: a
// malformed reply becomes an error reply instead of a crash.
TEST(UpdateProtocol, RepliesOfAnyShapeReadAsTextOrEmpty) {
    const std::string hash(64, 'a');
    const std::string withHash =
        R"({"msgcode":"0000","output":{"outblk1":{"fileurl":"/var/www/html/a.run","sha256":")" + hash + "\"}}}";
    const ReplyCase cases[] = {
        {R"({"msgcode":"0000","msg":"ok"})", true, "0000", "ok", "", false, ""},
        {R"({"msgcode":"9001","msg":"busy \"now\""})", true, "9001", "busy \"now\"", "", false, ""},
        {withHash.c_str(), true, "0000", "", "/var/www/html/a.run", true, hash.c_str()},
        {R"({"msgcode":"0000","output":{"outblk1":{"fileurl":"/x","sha256":null}}})", true, "0000", "", "/x", false,
         ""},
        {R"({"msgcode":"0000","output":{"outblk1":{"fileurl":"/x","sha256":12}}})", true, "0000", "", "/x", true, ""},
        {R"({"msg":"no code"})", true, "", "no code", "", false, ""},
        {R"({"msgcode":1,"msg":["x"]})", true, "", "", "", false, ""},
        {R"({"msgcode":"0000","output":{"outblk1":{"fileurl":7}}})", true, "0000", "", "", false, ""},
        {R"({"msgcode":"0000","output":[1,2]})", true, "0000", "", "", false, ""},
        {R"({"msgcode":"0000","output":{"outblk1":"text"}})", true, "0000", "", "", false, ""},
        {R"([1,2,3])", true, "", "", "", false, ""},
        {R"("0000")", true, "", "", "", false, ""},
        {"<html>Bad Gateway</html>", false, "", "", "", false, ""},
        {"", false, "", "", "", false, ""},
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

TEST(UpdateProtocol, DownloadPathIsWhatFollowsTheFirstDocumentRoot) {
    const struct {
        const char* fileUrl;
        bool found;
        const char* path;
        const char* name;
    } cases[] = {
        {"/var/www/html/setup/inst.exe", true, "setup/inst.exe", "inst.exe"},
        {"http://host/var/www/html/a/var/www/html/b.run", true, "a/var/www/html/b.run", "b.run"},
        {"/var/www/html/inst.run", true, "inst.run", "inst.run"},
        {"/var/www/html/", true, "", ""},
        {"/var/www/html/setup/..", true, "setup/..", ".."},
        {"/var/www/htm/setup/inst.run", false, "", ""},
        {"", false, "", ""},
    };
    for (const auto& c : cases) {
        QelString path(u"unchanged");
        EXPECT_EQ(qel::update::DownloadPathFromFileUrl(QelString::FromUtf8(c.fileUrl), path), c.found) << c.fileUrl;
        if (!c.found) continue;
        EXPECT_EQ(S(path), c.path) << c.fileUrl;
        EXPECT_EQ(S(qel::update::FileNameFromUrl(QelString(u"http://h:8080/") + path)), c.name) << c.fileUrl;
    }
    // A slash at the very start does not count: such a name keeps it and is refused later.
    EXPECT_EQ(S(qel::update::FileNameFromUrl(QelString(u"/inst.run"))), "/inst.run");
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
}

// A settings file without the key behaves exactly like the shipped one.
TEST(UpdateServers, ShippedConfigHoldsTheBuiltInDefaults) {
    std::ifstream in(QEL_SHIPPED_ENV, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    CQelJSONFileMng shipped;
    ASSERT_TRUE(Json::Reader().parse(text.str(), shipped.ConfigTree()));
    const qel::QelUpdateServers servers = qel::ReadUpdateServers(shipped);
    EXPECT_EQ(servers.api, QelString(qel::kDefaultUpdateApiUrl));
    EXPECT_EQ(servers.files, QelString(qel::kDefaultUpdateFilesUrl));
    EXPECT_EQ(shipped.ConfigTree()["updateserver"]["api"].asString(), "https://update.corvane.example.org:7530");
    EXPECT_EQ(shipped.ConfigTree()["updateserver"]["files"].asString(), "https://update.corvane.example.org:8080");
}
