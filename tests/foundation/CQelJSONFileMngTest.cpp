#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <algorithm>
#include <filesystem>

#include "CQelDirMng.h"
#include "CQelJSONFileMng.h"
#include "CQelLogMng.h"
#include "QelFileRead.h"
#include "QelJsonBounds.h"
#include "QelTestDir.h"

namespace fs = std::filesystem;

namespace {
// A program folder with config/ and user/ for one test.
class CQelJSONFileMngTest : public testing::Test {
protected:
    void SetUp() override {
        CQelDirMng::GetInstance()->SetModuleDir(QelString::FromFileName(m_dir.path()));
        fs::create_directories(m_dir / "config");
        fs::create_directories(m_user);
    }
    void WriteConfig(const std::string& text) { WriteBytes(m_dir / "config/env.json", text); }
    void WriteUser(const std::string& text) { WriteBytes(m_file, text); }
    long TempFilesInUser() {
        std::error_code none;  // no folder: nothing in it
        return std::count_if(fs::directory_iterator(m_user, none), {}, [](const auto& e) { return e.path().filename() != "env.json"; });
    }

    QelTestDir m_dir;
    const std::string m_user = m_dir / "user", m_file = m_user + "/env.json";
    CQelJSONFileMng m_json;
};

}  // namespace

// Missing and empty files are no error; a file exactly as large as the size
// cap loads; a broken file fails the load, and the other file still loads.
TEST_F(CQelJSONFileMngTest, LoadReadsBothFilesAndReportsParseErrors) {
    fs::remove_all(m_dir / "config");
    EXPECT_TRUE(m_json.Load(u"env.json"));  // no files: null trees, and no folder made for them
    EXPECT_TRUE(m_json.ConfigTree().isNull() && m_json.UserTree().isNull());
    EXPECT_FALSE(Exists(m_dir / "config"));
    fs::create_directories(m_dir / "config");
    WriteConfig("{\r\n   \"x\" : 5,\r\n   \"name\" : \"caf\xC3\xA9\"\r\n}\r\n");
    WriteUser("");
    EXPECT_TRUE(m_json.Load(u"env.json"));
    EXPECT_EQ(m_json.ConfigTree()["name"].asString(), "caf\xC3\xA9");
    EXPECT_TRUE(m_json.UserTree().isNull());  // an empty file leaves the tree alone
    WriteUser("{\"y\": 6}" + std::string(qel::kMaxSettingsFileBytes - 8, ' '));
    EXPECT_TRUE(m_json.Load(u"env.json"));
    EXPECT_EQ(m_json.UserTree()["y"].asInt(), 6);
    WriteUser("{ \"broken\": ");
    EXPECT_FALSE(m_json.Load(u"env.json"));
    EXPECT_EQ(m_json.ConfigTree()["x"].asInt(), 5);  // the other file still loads
}

// Dotted paths with indexes; tree 0 looks in the user tree, then the config
// tree; a value found in the user tree but not a signed integer that fits
// gives no value and no fallback; a path of the wrong shape misses.
TEST_F(CQelJSONFileMngTest, LookupsFollowDottedPathsAndFallBackFromUserToConfig) {
    WriteConfig(R"({"x": 5, "real": 5, "text": "5", "big": 5, "flag": true, "c": 3})");
    WriteUser(R"({"x": null, "real": 5.0, "text": "5", "big": 9000000000, "flag": 1, "s": "text",
                  "list": [{"name": "a"}, {"name": "b"}, {"name": "c", "n": 3}], "o": {"p": {"q": -4}}})");
    ASSERT_TRUE(m_json.Load(u"env.json"));
    const struct { const char16_t* path; int tree; bool found; int value; } cases[] = {
        {u"x", 0, true, 5},          {u"x", 2, false, 0},       {u"real", 0, false, 0},    {u"text", 0, false, 0},
        {u"big", 0, false, 0},       {u"flag", 2, true, 1},     {u"flag", 1, false, 0},    {u"c", 1, true, 3},
        {u"c", 2, false, 0},         {u"x", 3, false, 0},       {u"o.p.q", 2, true, -4},   {u"list[ 2 ].n", 2, true, 3},
        {u"list[2].n.deeper", 2, false, 0}, {u"s[0]", 2, false, 0}, {u"list.n", 2, false, 0}, {u"list[-1].n", 2, false, 0},
    };
    for (const auto& c : cases) {
        int out = -1;
        SCOPED_TRACE(QelString(c.path).ToStdString() + " in " + std::to_string(c.tree));
        EXPECT_EQ(m_json.GetIntValue(c.path, c.tree, out), c.found);
        EXPECT_EQ(out, c.value);
    }
    EXPECT_EQ(m_json.FindValue(u"list[1].name", 2)->asString(), "b");
    EXPECT_EQ(m_json.FindValue(u"list[5]", 2), nullptr);
    EXPECT_EQ(m_json.FindValue(u"", 1), &m_json.ConfigTree());  // the tree itself
    EXPECT_EQ(m_json.MakeValue(u"list", 9), nullptr);
}

// Only the user tree is written, styled or compact, with CR LF and no BOM;
// its comments, names that are not UTF-8 and permissions are kept, a missed
// lookup leaves a null member behind, and MakeValue builds the way (through a
// scalar too).
TEST_F(CQelJSONFileMngTest, SaveWritesTheUserTreeAsCrLfText) {
    WriteConfig(R"({"config": 1})");
    WriteUser("// kept comment\r\n{\"n\": 5, \"path\": \"/d/x\xFF\"}\r\n");
    ::chmod(m_file.c_str(), 0640);
    ASSERT_TRUE(m_json.Load(u"env.json"));
    EXPECT_EQ(m_json.FindValue(u"a", 2), nullptr);
    *m_json.MakeValue(u"m[1].b", 2) = "made";
    *m_json.MakeValue(u"n.deeper", 2) = 1;
    m_json.SetIntValue(u"p", 10, 0);  // tree 0 writes the user tree
    m_json.SetIntValue(u"p", 11, 2);
    m_json.SetIntValue(u"c", 3, 1);
    ASSERT_TRUE(m_json.Save(u"env.json", true));
    EXPECT_EQ(ReadBytes(m_file), "\r\n// kept comment\r\n{\r\n   \"a\" : null,\r\n   \"m\" : [\r\n      null,\r\n      {\r\n"
                                 "         \"b\" : \"made\"\r\n      }\r\n   ],\r\n   \"n\" : {\r\n      \"deeper\" : 1\r\n   },\r\n"
                                 "   \"p\" : 11,\r\n   \"path\" : \"/d/x\xFF\"\r\n}\r\n");
    EXPECT_EQ(fs::status(m_file).permissions(), fs::perms(0640));
    fs::remove_all(m_user);  // Save makes the folder again
    ASSERT_TRUE(m_json.Save(u"env.json", false));
    EXPECT_EQ(ReadBytes(m_file), "{\"a\":null,\"m\":[null,{\"b\":\"made\"}],\"n\":{\"deeper\":1},\"p\":11,\"path\":\"/d/x\xFF\"}\r\n");
    EXPECT_EQ(ReadBytes(m_dir / "config/env.json"), R"({"config": 1})");
    EXPECT_EQ(m_json.ConfigTree()["c"].asInt(), 3);
}

TEST_F(CQelJSONFileMngTest, AnUnreadableUserFileIsNeverReplaced) {
    const std::string precious = R"({"searchfilter": [{"name": "Mine"}]})";
    WriteUser(precious);
    ::chmod(m_dir.path().c_str(), 0755);
    ::chmod(m_user.c_str(), 0777);
    ::chmod(m_file.c_str(), 0);
    ASSERT_EQ(::chown(m_file.c_str(), ::geteuid() == 0 ? kUnprivilegedId : ::geteuid(), -1), 0);
    EXPECT_TRUE(RunUnprivileged([&] {
        CQelJSONFileMng settings;
        const bool loaded = settings.Load(u"env.json");
        settings.UserTree()["searchfilter"] = Json::Value(Json::arrayValue);
        return !loaded && settings.GetUserFileState() == CQelJSONFileMng::UserFile::kUnreadable &&
               settings.GetUserFileReason().ToStdString() == "Permission denied" && !settings.Save(u"env.json", true);
    }));
    ::chmod(m_file.c_str(), 0600);
    EXPECT_EQ(ReadBytes(m_file), precious);
    EXPECT_EQ(TempFilesInUser(), 0);
}

// What stands where the user file belongs and is no plain file the user may
// write, or a file the disk has no room to replace, is left as it is, with no
// temporary file beside it; the debug log names the reason.
TEST_F(CQelJSONFileMngTest, WhatCannotBeWrittenIsNeverReplaced) {
    const std::string device = m_dir / "null-device";
    const struct { const char* what; std::function<void()> make; std::function<bool()> intact; const char* logged; rlim_t limit = RLIM_INFINITY; } cases[] = {
        {"a folder", [&] { fs::create_directories(m_file + "/inside"); }, [&] { return Exists(m_file + "/inside"); }, ""},
        {"a read-only file (also for root)", [&] { WriteUser("{}"), ::chmod(m_file.c_str(), 0444); }, [&] { return ReadBytes(m_file) == "{}"; },
         "/user/env.json\" Json Write Failed: Permission denied"},
        {"a full disk", [&] { WriteUser("{}"); }, [&] { return ReadBytes(m_file) == "{}"; }, "Json Write Failed: File too large", 4096},
        {"a link to a folder", [&] { fs::create_directories(m_dir / "elsewhere"), fs::create_symlink(m_dir / "elsewhere", m_file); },
         [&] { return fs::is_symlink(m_file) && fs::is_empty(m_dir / "elsewhere"); }, ""},
        {"a dangling link", [&] { fs::create_symlink(m_dir / "nowhere", m_file); }, [&] { return fs::is_symlink(m_file) && !Exists(m_dir / "nowhere"); }, ""},
        {"a link to a device", [&] { ::mknod(device.c_str(), S_IFCHR | 0666, ::makedev(1, 3)), fs::create_symlink(device, m_file); },
         [&] { return ::geteuid() != 0 || (fs::is_symlink(m_file) && fs::is_character_file(device)); }, ""},  // mknod needs root
        {"a file where the folder belongs", [&] { fs::remove(m_user), WriteBytes(m_user, "mine"); }, [&] { return ReadBytes(m_user) == "mine"; }, ""},
    };
    m_json.UserTree()["big"] = std::string(64 * 1024, 'x');
    CQelLogMng::GetInstance()->SetEnabled(true);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(m_user);
        fs::create_directories(m_user);
        c.make();
        testing::internal::CaptureStderr();
        WithFileSizeLimit(c.limit, [&] { EXPECT_FALSE(m_json.Save(u"env.json", true)); });
        EXPECT_NE(testing::internal::GetCapturedStderr().find(c.logged), std::string::npos);
        EXPECT_TRUE(c.intact());
        EXPECT_EQ(TempFilesInUser(), 0);
    }
    CQelLogMng::GetInstance()->SetEnabled(false);
}

// A user file that is broken, no file, too large or over the value bounds is
// reported and never replaced (until the caller moves a broken one aside); a
// config file of the same kinds is left out, and Load neither blocks nor
// reads without end.
TEST_F(CQelJSONFileMngTest, BrokenOrUnreadableFilesAreReportedAndNeverReplaced) {
    using State = CQelJSONFileMng::UserFile;
    const std::string arrays = "[" + Repeat("[],", qel::kMaxJsonArrayEntries) + "[]]";  // one entry too many
    const std::string values = "{" + Repeat("\"\":0,", qel::kMaxJsonValues - 1) + "\"\":0}";  // one value too many
    const struct { const char* what; std::function<void()> make; State state; std::string userReason, unreadableReason; } cases[] = {
        {"nested too deep", [&] { WriteUser(std::string(1001, '[') + std::string(1001, ']')), WriteConfig(std::string(100000, '[')); },
         State::kBroken, "*", ""},
        {"no file", [&] { fs::create_symlink("/dev/zero", m_file), ::mkfifo((m_dir / "config/env.json").c_str(), 0600); },
         State::kUnreadable, "not a regular file", "not a regular file"},
        {"too large", [&] { WriteUser("{}"), fs::resize_file(m_file, qel::kMaxSettingsFileBytes + 1); }, State::kUnreadable,
         "larger than 64 MiB", "larger than 64 MiB"},
        {"over the bounds", [&] { WriteUser(arrays), WriteConfig(values); }, State::kUnreadable,
         "more than 100000 entries in one array", "more than 100000 entries in one array"},
        {"none, config over the bounds", [&] { WriteConfig(values); }, State::kAbsent, "", "more than 1000000 values"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove(m_file);
        fs::remove(m_dir / "config/env.json");
        c.make();
        const auto snapshot = [&] { return fs::is_symlink(m_file) ? fs::read_symlink(m_file).string() : ReadBytes(m_file); };
        const std::string before = snapshot();
        CQelJSONFileMng settings;
        EXPECT_FALSE(settings.Load(u"env.json"));
        EXPECT_EQ(settings.GetUserFileState(), c.state);
        const std::string reason = settings.GetUserFileReason().ToStdString();
        EXPECT_TRUE(c.userReason == "*" ? !reason.empty() : reason == c.userReason) << reason;
        EXPECT_EQ(settings.GetUnreadableReason().ToStdString(), c.unreadableReason);
        EXPECT_TRUE(settings.UserTree().isNull() && settings.ConfigTree().isNull());
        settings.UserTree()["searchpathhistory"] = Json::Value(Json::arrayValue);
        EXPECT_EQ(settings.Save(u"env.json", true), c.state == State::kAbsent);
        EXPECT_TRUE(c.state == State::kAbsent || snapshot() == before);
        if (c.state != State::kBroken) continue;
        settings.ReleaseUserFile();
        EXPECT_TRUE(settings.Save(u"env.json", true));
    }
}

// Another user plants a link to one of this user's files where settings are
// saved or log lines appended: neither the settings file nor a log replaces or
// grows that file. This user's own link in a protected folder is followed.
TEST_F(CQelJSONFileMngTest, WritesFollowOnlyLinksNoOneElseCanHavePlaced) {
    const uid_t me = ::geteuid();
    const struct { mode_t folderMode; uid_t linkOwner; bool followed; } cases[] = {
        {01777, kUnprivilegedId, false}, {00755, kUnprivilegedId, false},  // someone else's link, however it came there
        {00777, me, false},                                                // mine, but others could have swapped it
        {01777, me, true},               {00755, me, true},  // mine, and no one else can touch it
    };
    const std::string victim = m_dir / "victim.txt";
    CQelLogMng* log = CQelLogMng::GetInstance();
    log->SetEnabled(true);
    for (const auto& c : cases) {
        if (c.linkOwner != me && me != 0) continue;  // a link owned by another user needs root to make
        SCOPED_TRACE(::testing::Message() << std::oct << c.folderMode << std::dec << " link of " << c.linkOwner);
        for (const char* name : {"env.json", "qelhttp_20240131.log"}) {
            const std::string link = m_user + "/" + name;
            WriteBytes(victim, "precious");
            fs::create_symlink(victim, link);
            ASSERT_EQ(::lchown(link.c_str(), c.linkOwner, c.linkOwner), 0);
            ASSERT_EQ(::chmod(m_user.c_str(), c.folderMode), 0);
            CQelJSONFileMng settings;
            settings.UserTree()["a"] = 1;
            const bool written = name[0] == 'e' ? settings.Save(u"env.json", false) : (log->WriteFile(QelString::FromFileName(link), u"line"), true);
            EXPECT_EQ(written && ReadBytes(victim) != "precious", c.followed) << name;
            EXPECT_TRUE(fs::is_symlink(link)) << name;
            fs::remove(link);
            EXPECT_EQ(TempFilesInUser(), 0) << name;
        }
    }
    log->SetEnabled(false);
}
