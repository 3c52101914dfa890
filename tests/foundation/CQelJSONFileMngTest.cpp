#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <csignal>
#include <cstdio>
#include <functional>
#include <filesystem>

#include "CQelDirMng.h"
#include "CQelJSONFileMng.h"
#include "CQelLogMng.h"
#include "QelFileRead.h"
#include "QelJsonBounds.h"
#include "QelPeakMemory.h"
#include "QelTestDir.h"

namespace {
// A program folder with config/ and user/ for one test.
class CQelJSONFileMngTest : public testing::Test {
protected:
    void SetUp() override {
        CQelDirMng::GetInstance()->SetModuleDir(QelString::FromFileName(m_dir.path()));
        std::filesystem::create_directories(m_dir / "config");
        std::filesystem::create_directories(m_dir / "user");
    }
    void WriteConfig(const std::string& text) { WriteBytes(m_dir / "config/env.json", text); }
    void WriteUser(const std::string& text) { WriteBytes(m_dir / "user/env.json", text); }
    std::string UserFile() { return ReadBytes(m_dir / "user/env.json"); }
    int TempFilesInUser() {
        int n = 0;
        std::error_code none;  // no folder: nothing in it
        for (const auto& e : std::filesystem::directory_iterator(m_dir / "user", none))
            n += e.path().filename().string() != "env.json";
        return n;
    }

    QelTestDir m_dir;
    CQelJSONFileMng m_json;
};
}  // namespace

TEST_F(CQelJSONFileMngTest, LoadReadsBothFilesAndReportsParseErrors) {
    std::filesystem::remove_all(m_dir / "config");
    EXPECT_TRUE(m_json.Load(u"env.json"));  // no files: null trees, and no folder made for them
    EXPECT_TRUE(m_json.ConfigTree().isNull() && m_json.UserTree().isNull());
    EXPECT_FALSE(Exists(m_dir / "config"));
    std::filesystem::create_directories(m_dir / "config");
    WriteConfig("{\r\n   \"x\" : 5,\r\n   \"name\" : \"caf\xC3\xA9\"\r\n}\r\n");
    WriteUser("");
    EXPECT_TRUE(m_json.Load(u"env.json"));
    EXPECT_EQ(m_json.ConfigTree()["name"].asString(), "caf\xC3\xA9");
    EXPECT_TRUE(m_json.UserTree().isNull());  // an empty file leaves the tree alone
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
        {u"list[2].n.deeper", 2, false, 0}, {u"s[0]", 2, false, 0}, {u"list.n", 2, false, 0},
    };
    for (const auto& c : cases) {
        int out = -1;
        EXPECT_EQ(m_json.GetIntValue(c.path, c.tree, out), c.found) << QelString(c.path).ToStdString() << " in " << c.tree;
        EXPECT_EQ(out, c.value) << QelString(c.path).ToStdString() << " in " << c.tree;
    }
    EXPECT_EQ(m_json.FindValue(u"list[1].name", 2)->asString(), "b");
    EXPECT_EQ(m_json.FindValue(u"", 2), &m_json.UserTree());  // the tree itself
    EXPECT_EQ(m_json.FindValue(u"", 1), &m_json.ConfigTree());
    EXPECT_EQ(m_json.FindValue(u"list", 0), nullptr);  // only GetIntValue takes 0
    EXPECT_EQ(m_json.FindValue(u"list[-1]", 2), nullptr);
    EXPECT_EQ(m_json.MakeValue(u"list", 9), nullptr);
}

// Only the user tree is written, styled or compact, with CR LF and no BOM;
// its comments and names that are not UTF-8 are kept, a missed lookup leaves
// a null member behind, and MakeValue builds the way (through a scalar too).
TEST_F(CQelJSONFileMngTest, SaveWritesTheUserTreeAsCrLfText) {
    WriteConfig(R"({"config": 1})");
    WriteUser("// kept comment\r\n{\"list\": [1, 2], \"n\": 5, \"name\": \"\xE4\xB8\xAD\", \"path\": \"/d/x\xFF\"}\r\n");
    ASSERT_TRUE(m_json.Load(u"env.json"));
    EXPECT_EQ(m_json.FindValue(u"a.b", 2), nullptr);
    *m_json.MakeValue(u"m.list[1].b", 2) = "made";
    *m_json.MakeValue(u"n.deeper", 2) = 1;
    m_json.SetIntValue(u"pos.left", 10, 0);  // tree 0 writes the user tree
    m_json.SetIntValue(u"pos.left", 11, 2);
    m_json.SetIntValue(u"c", 3, 1);
    std::filesystem::remove_all(m_dir / "user");  // Save makes the folder again
    ASSERT_TRUE(m_json.Save(u"env.json", true));
    EXPECT_EQ(UserFile(), "\r\n// kept comment\r\n{\r\n   \"a\" : null,\r\n   \"list\" : [ 1, 2 ],\r\n   \"m\" : {\r\n      \"list\" : [\r\n         null,\r\n"
                          "         {\r\n            \"b\" : \"made\"\r\n         }\r\n      ]\r\n   },\r\n   \"n\" : {\r\n      \"deeper\" : 1\r\n   },\r\n"
                          "   \"name\" : \"\xE4\xB8\xAD\",\r\n   \"path\" : \"/d/x\xFF\",\r\n   \"pos\" : {\r\n      \"left\" : 11\r\n   }\r\n}\r\n");
    ASSERT_TRUE(m_json.Save(u"env.json", false));
    EXPECT_EQ(UserFile(), "{\"a\":null,\"list\":[1,2],\"m\":{\"list\":[null,{\"b\":\"made\"}]},\"n\":{\"deeper\":1},\"name\":\"\xE4\xB8\xAD\","
                          "\"path\":\"/d/x\xFF\",\"pos\":{\"left\":11}}\r\n");
    EXPECT_EQ(ReadBytes(m_dir / "config/env.json"), R"({"config": 1})");
    EXPECT_EQ(m_json.ConfigTree()["c"].asInt(), 3);
}

TEST_F(CQelJSONFileMngTest, SaveKeepsTheOldFileWhenWritingFails) {
    WriteUser(R"({"old": true})");
    ::chmod((m_dir / "user/env.json").c_str(), 0640);
    ASSERT_TRUE(m_json.Load(u"env.json"));
    m_json.UserTree()["big"] = std::string(64 * 1024, 'x');

    WithFileSizeLimit(4096, [&] { EXPECT_FALSE(m_json.Save(u"env.json", true)); });  // the disk fills up
    EXPECT_EQ(UserFile(), R"({"old": true})");
    EXPECT_EQ(TempFilesInUser(), 0);

    ASSERT_TRUE(m_json.Save(u"env.json", false));
    EXPECT_NE(UserFile().find("\"big\""), std::string::npos);
    EXPECT_EQ(std::filesystem::status(m_dir / "user/env.json").permissions(), std::filesystem::perms(0640));  // kept by the new file
}

TEST_F(CQelJSONFileMngTest, AnUnreadableUserFileIsNeverReplaced) {
    const std::string precious = R"({"searchfilter": [{"name": "Mine"}]})";
    WriteUser(precious);
    const std::string file = m_dir / "user/env.json";
    ::chmod(m_dir.path().c_str(), 0755);
    ::chmod((m_dir / "user").c_str(), 0777);
    ::chmod(file.c_str(), 0);
    ASSERT_EQ(::chown(file.c_str(), ::geteuid() == 0 ? kUnprivilegedId : ::geteuid(), -1), 0);
    EXPECT_TRUE(RunUnprivileged([&] {
        CQelJSONFileMng settings;
        const bool loaded = settings.Load(u"env.json");
        settings.UserTree()["searchfilter"] = Json::Value(Json::arrayValue);
        return !loaded && settings.GetUserFileState() == CQelJSONFileMng::UserFile::kUnreadable &&
               settings.GetUserFileReason().ToStdString() == "Permission denied" &&
               !settings.Save(u"env.json", true);
    }));
    ::chmod(file.c_str(), 0600);
    EXPECT_EQ(UserFile(), precious);
    EXPECT_EQ(TempFilesInUser(), 0);
}

// What stands where the user file belongs and is no plain file the user may
// write is left as it is, with no temporary file beside it; the debug log
// names the reason.
TEST_F(CQelJSONFileMngTest, WhatIsNoWritableFileIsNeverReplaced) {
    namespace fs = std::filesystem;
    const std::string user = m_dir / "user", file = user + "/env.json", device = m_dir / "null-device";
    const struct { const char* what; std::function<void()> make; std::function<bool()> intact; const char* logged; } cases[] = {
        {"a folder", [&] { fs::create_directories(file + "/inside"); }, [&] { return Exists(file + "/inside"); }, ""},
        {"a read-only file (also for root)", [&] { WriteBytes(file, "{}"), ::chmod(file.c_str(), 0444); }, [&] { return ReadBytes(file) == "{}"; },
         "/user/env.json\" Json Write Failed: Permission denied"},
        {"a link to a folder", [&] { fs::create_directories(m_dir / "elsewhere"), fs::create_symlink(m_dir / "elsewhere", file); },
         [&] { return fs::is_symlink(file) && fs::is_empty(m_dir / "elsewhere"); }, ""},
        {"a dangling link", [&] { fs::create_symlink(m_dir / "nowhere", file); }, [&] { return fs::is_symlink(file) && !Exists(m_dir / "nowhere"); }, ""},
        {"a link to a device", [&] { ::mknod(device.c_str(), S_IFCHR | 0666, ::makedev(1, 3)), fs::create_symlink(device, file); },
         [&] { return ::geteuid() != 0 || (fs::is_symlink(file) && fs::is_character_file(device)); }, ""},  // mknod needs root
        {"a file where the folder belongs", [&] { fs::remove(user), WriteBytes(user, "mine"); }, [&] { return ReadBytes(user) == "mine"; }, ""},
    };
    CQelLogMng::GetInstance()->SetEnabled(true);
    for (const auto& c : cases) {
        fs::remove_all(user);
        fs::create_directories(user);
        c.make();
        m_json.UserTree()["a"] = 1;
        testing::internal::CaptureStderr();
        EXPECT_FALSE(m_json.Save(u"env.json", true)) << c.what;
        EXPECT_NE(testing::internal::GetCapturedStderr().find(c.logged), std::string::npos) << c.what;
        EXPECT_TRUE(c.intact()) << c.what;
        EXPECT_EQ(TempFilesInUser(), 0) << c.what;
    }
    CQelLogMng::GetInstance()->SetEnabled(false);
}

// Trees the size cap alone would let through.

namespace {
// count copies of piece, joined by ',' and wrapped in open and close.
std::string Repeated(const std::string& open, const std::string& piece, std::size_t count, const std::string& close) {
    std::string text = open;
    text.reserve(open.size() + count * (piece.size() + 1) + close.size());
    for (std::size_t i = 0; i < count; ++i) (text += piece) += ',';
    if (count) text.pop_back();
    return text + close;
}

// n arrays of piece, as values of an object, as many as the value bound
// allows when each piece counts as valuesPerPiece values.
std::string FullArrays(int n, const std::string& piece, std::size_t valuesPerPiece = 1) {
    const std::size_t pieces = (qel::kMaxJsonValues - 1 - n) / n / valuesPerPiece;
    std::string text = "{";
    for (int a = 0; a < n; ++a)
        text += Repeated("\"a" + std::to_string(a) + "\":[", piece, pieces, "],");
    text.back() = '}';
    return text;
}
}  // namespace

// A user file that is broken, no file, or over the value bounds is reported
// and never replaced (until the caller moves a broken one aside); a config
// file of the same kinds is left out, and Load neither blocks nor reads
// without end.
TEST_F(CQelJSONFileMngTest, BrokenOrUnreadableFilesAreReportedAndNeverReplaced) {
    using State = CQelJSONFileMng::UserFile;
    const std::string deep = std::string(1001, '[') + std::string(1001, ']');
    const std::string longArray = Repeated(R"({"searchpathhistory": [)", "[]", qel::kMaxJsonArrayEntries + 1, "]}");
    // Ten arrays of the most entries allowed: with the arrays themselves, one value too many.
    const std::string tooManyValues = Repeated("[", Repeated("[", "0", qel::kMaxJsonArrayEntries, "]"), 10, "]");
    const struct { const char* what; std::function<void()> make; State state; std::string userReason, unreadableReason; } cases[] = {
        {"nested too deep", [&] { WriteUser(deep), WriteConfig(std::string(100000, '[')); }, State::kBroken, "*", ""},
        {"no file", [&] { std::filesystem::create_symlink("/dev/zero", m_dir / "user/env.json"), ::mkfifo((m_dir / "config/env.json").c_str(), 0600); },
         State::kUnreadable, "not a regular file", "not a regular file"},
        {"over the bounds", [&] { WriteUser(longArray), WriteConfig(tooManyValues); }, State::kUnreadable, "*",
         "more than 100000 entries in one array"},
        {"none, config over the bounds", [&] { WriteConfig(tooManyValues); }, State::kAbsent, "", "more than 1000000 values"},
    };
    for (const auto& c : cases) {
        std::filesystem::remove(m_dir / "user/env.json");
        std::filesystem::remove(m_dir / "config/env.json");
        c.make();
        const auto snapshot = [&] { return std::filesystem::is_symlink(m_dir / "user/env.json") ? std::filesystem::read_symlink(m_dir / "user/env.json").string() : UserFile(); };
        const std::string before = snapshot();
        CQelJSONFileMng settings;
        EXPECT_FALSE(settings.Load(u"env.json")) << c.what;
        EXPECT_EQ(settings.GetUserFileState(), c.state) << c.what;
        const std::string reason = settings.GetUserFileReason().ToStdString();
        EXPECT_EQ(c.userReason == "*" ? !reason.empty() : reason == c.userReason, true) << c.what << ": " << reason;
        EXPECT_EQ(settings.GetUnreadableReason().ToStdString(), c.unreadableReason) << c.what;
        EXPECT_TRUE(settings.UserTree().isNull() && settings.ConfigTree().isNull()) << c.what;
        settings.UserTree()["searchpathhistory"] = Json::Value(Json::arrayValue);
        EXPECT_EQ(settings.Save(u"env.json", true), c.state == State::kAbsent) << c.what;
        EXPECT_TRUE(c.state == State::kAbsent || snapshot() == before) << c.what;
        if (c.state != State::kBroken) continue;
        settings.ReleaseUserFile();
        EXPECT_TRUE(settings.Save(u"env.json", true)) << c.what;
    }
}

// Each file is the worst of its kind the size cap admits; the peak is the
// resident high-water mark of a child process over the load (about 235 MiB at
// most without sanitizers).
TEST_F(CQelJSONFileMngTest, AnySettingsFileTheCapAdmitsLoadsWithin256MiB) {
#if defined(__SANITIZE_ADDRESS__)
    const double allowance = 2.0;  // ASan's chunk headers, redzones and shadow about double small blocks
#else
    const double allowance = 1.0;
#endif
    const std::size_t cap = qel::kMaxSettingsFileBytes - 64;
    const std::size_t keyLength = cap / qel::kMaxJsonValues - 6;
    struct Case { const char* what; std::function<std::string()> make; CQelJSONFileMng::UserFile state; };
    const std::vector<Case> cases = {
        {"17 million empty arrays", [&] { return Repeated(R"({"searchpathhistory":[)", "[]", cap / 3 - 10, "]}"); },
         CQelJSONFileMng::UserFile::kUnreadable},
        {"a million empty objects", [] { return FullArrays(10, "{}"); }, CQelJSONFileMng::UserFile::kRead},
        {"half a million empty objects, each after a comment", [] { return FullArrays(10, "/**/{}", 2); },
         CQelJSONFileMng::UserFile::kRead},
        {"a million strings", [&] { return FullArrays(10, "\"" + std::string(keyLength, 's') + "\""); },
         CQelJSONFileMng::UserFile::kRead},
        {"a million long member names",
         [&] {
             std::string text = "{";
             for (std::size_t i = 0; i + 1 < qel::kMaxJsonValues; ++i) {
                 std::string key = std::to_string(i);
                 key.resize(keyLength, 'k');
                 (text += '"').append(key).append("\":0,");
             }
             text.back() = '}';
             return text;
         },
         CQelJSONFileMng::UserFile::kRead},
        {"one string as long as the cap", [&] { return "[\"" + std::string(cap - 4, 'x') + "\"]"; },
         CQelJSONFileMng::UserFile::kRead},
    };
    for (const Case& c : cases) {
        {
            const std::string text = c.make();
            ASSERT_LE(text.size(), qel::kMaxSettingsFileBytes) << c.what;
            WriteUser(text);
        }
        const QelPeak peak = QelMeasurePeak([&] {
            CQelJSONFileMng settings;
            settings.Load(u"env.json");
            return settings.GetUserFileState() == c.state;
        });
        std::printf("%s: peak %.0f MiB\n", c.what, peak.mib);
        EXPECT_TRUE(peak.ok) << c.what;
        EXPECT_LT(peak.mib, 256.0 * allowance) << c.what;
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
    const std::string victim = m_dir / "victim.txt", folder = m_dir / "user";
    CQelLogMng* log = CQelLogMng::GetInstance();
    log->SetEnabled(true);
    for (const auto& c : cases) {
        if (c.linkOwner != me && me != 0) continue;  // a link owned by another user needs root to make
        SCOPED_TRACE(::testing::Message() << std::oct << c.folderMode << std::dec << " link of " << c.linkOwner);
        for (const char* name : {"env.json", "qelhttp_20240131.log"}) {
            const std::string link = folder + "/" + name;
            WriteBytes(victim, "precious");
            std::filesystem::create_symlink(victim, link);
            ASSERT_EQ(::lchown(link.c_str(), c.linkOwner, c.linkOwner), 0);
            ASSERT_EQ(::chmod(folder.c_str(), c.folderMode), 0);
            CQelJSONFileMng settings;
            settings.UserTree()["a"] = 1;
            const bool written = name[0] == 'e' ? settings.Save(u"env.json", false) : (log->WriteFile(QelString::FromFileName(link), u"line"), true);
            EXPECT_EQ(written && ReadBytes(victim) != "precious", c.followed) << name;
            EXPECT_TRUE(std::filesystem::is_symlink(link)) << name;
            std::filesystem::remove(link);
            EXPECT_EQ(TempFilesInUser(), 0) << name;
        }
    }
    log->SetEnabled(false);
}
