#include <gtest/gtest.h>
#include <json/json.h>

#include <atomic>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "../foundation/QelTestDir.h"
#include "CQelDirMng.h"
#include "CQelHttpClient.h"
#include "CQelLogMng.h"
#include "QelHttpCallRecorder.h"
#include "QelPeakMemory.h"
#include "QelTestHttpServer.h"

namespace {
QelString Q(const std::string& utf8) { return QelString::FromUtf8(utf8); }

Json::Value Parse(const std::u16string& text) {
    Json::Value doc;
    EXPECT_TRUE(Json::Reader().parse(QelString(text).ToStdString(), doc)) << QelString(text).ToStdString();
    return doc;
}

// A client of its own per test, with its API and file sessions on a server
// that outlives it, and a program folder of its own for the downloads.
class ClientTest : public ::testing::Test {
protected:
    void Use(const std::string& files = "") {
        CQelDirMng::GetInstance()->SetModuleDir(Q(home.path()));
        ASSERT_EQ(client.AddSession(CQelHttpClient::kApiSession, Q(server.Url("/api"))), 1);
        ASSERT_EQ(client.AddSession(CQelHttpClient::kFileSession, Q(files.empty() ? server.Url("/files") : files)), 1);
    }
    int Post(const char16_t* path, const char16_t* cmd = u"appverchk", const char16_t* tag = u"") {
        QelHttpFormFields fields;
        fields[QelString(u"cmd")][0] = QelString(cmd);
        fields[QelString(u"input")][1] = QelString(u"{\"v\":1}");
        return client.PostForm(QelString(path), QelString(u""), fields, QelString(tag), &QelHttpCallRecorder::Callback, recorder.Context());
    }
    int Download(const std::vector<std::string>& paths) {
        QelStringArray array;
        for (const std::string& path : paths) array.Add(Q(path));
        return client.DownloadFiles(array, QelString(u""), QelString(u"dl"), &QelHttpCallRecorder::Callback, recorder.Context());
    }

    QelTestDir home;
    QelTestHttpServer server;
    QelHttpCallRecorder recorder;  // outlives the client, whose workers call it
    CQelHttpClient client;
};
}  // namespace

TEST_F(ClientTest, AFormPostGoesToThePathUnderTheBaseAsAMultipartBody) {
    auto reply = [](const httplib::Request& req, httplib::Response& res) { res.set_content("{\"at\":\"" + req.path + "\"}", "application/json"); };
    server.Routes().Post("/api/appversion", reply).Post("/api", reply);
    EXPECT_EQ(Post(u"appversion"), -1);  // no session yet
    EXPECT_EQ(Download({"setup/inst.bin"}), -1);
    EXPECT_EQ(client.AddSession(1, QelString(u"")), -1);
    Use();
    const int first = Post(u"appversion", u"appverchk", u"tag \"quoted\"");
    EXPECT_EQ(first, 0);
    EXPECT_EQ(Post(u""), 1);
    EXPECT_EQ(client.GetLastIndex(), 1);

    const std::vector<QelHttpCall> results = recorder.WaitForResults(2);
    std::set<std::string> targets;
    for (const QelRecordedRequest& req : server.Requests()) {
        targets.insert(req.target);
        const std::string type = req.headers.find("Content-Type")->second;
        EXPECT_EQ(type.size(), type.find("boundary=") + 9 + 16) << type;
        ASSERT_EQ(req.parts.size(), 2u);  // the server's own parser finds exactly the two fields
        EXPECT_EQ(req.parts.find("cmd")->second.content, "appverchk");
        EXPECT_EQ(req.parts.find("input")->second.content, "{\"v\":1}");
    }
    EXPECT_EQ(targets, (std::set<std::string>{"/api/appversion", "/api"}));
    for (const QelHttpCall& call : results) {
        const Json::Value descriptor = Parse(call.descriptor);
        const bool isFirst = descriptor["reqidx"].asInt() == first;
        EXPECT_EQ(descriptor["baseurl"].asString(), server.Url(isFirst ? "/api/appversion" : "/api"));
        EXPECT_EQ(descriptor["onlyreturn"].asString(), isFirst ? "tag \"quoted\"" : "");
        EXPECT_EQ(call.reqtype * 100 + call.datatype * 10 + call.result, 141);
        EXPECT_EQ(Parse(call.text)["at"].asString(), isFirst ? "/api/appversion" : "/api");
    }
}

TEST_F(ClientTest, TheRequestAfter257InProgressIsRefusedAndADownloadWaitsForAFreeItem) {
    server.Routes().Post("/api/hold", [&](const httplib::Request&, httplib::Response& res) {
        server.Hold();
        res.set_content("done", "text/plain");
    });
    server.Routes().Get("/files/f.bin", [](const httplib::Request&, httplib::Response& res) { res.set_content("F", "application/octet-stream"); });
    Use();
    std::set<int> indexes;
    for (int i = 0; i < CQelHttpClient::kMaxWorkItems; ++i) indexes.insert(Post(u"hold"));
    ASSERT_EQ(indexes.size(), 257u);
    EXPECT_EQ(*indexes.begin() * 1000 + *indexes.rbegin(), 256);
    server.WaitForHolders(4);
    EXPECT_EQ(Post(u"hold"), -1);
    EXPECT_TRUE(client.IsInProgress(256));
    EXPECT_FALSE(client.IsInProgress(257));

    std::atomic<int> downloadIndex{-2};
    std::thread downloader([&] { downloadIndex = Download({"f.bin"}); });
    EXPECT_EQ(downloadIndex.load(), -2);  // still waiting: every item is in progress
    server.Release();
    downloader.join();
    EXPECT_GE(downloadIndex.load(), 0);
    EXPECT_LE(downloadIndex.load(), 256);
    int downloads = 0;
    for (const QelHttpCall& call : recorder.WaitForResults(258)) downloads += call.datatype == 3 && call.download.has_value();
    EXPECT_EQ(downloads, 1);
    EXPECT_GE(Post(u"hold"), 0);  // freed items are reused
    recorder.WaitForResults(259);
}

// Each download lands in temp under the decoded last component of its URL's
// path; what fails leaves no file and delivers an error document.
TEST_F(ClientTest, DownloadsLandInTempUnderTheirPathsNameOrDeliverAnErrorDocument) {
    const std::string file = std::string("\x7F" "ELF\0\x02", 6) + std::string(200000, 'z');
    auto serve = [&](const httplib::Request&, httplib::Response& res) { res.set_content(file, "application/octet-stream"); };
    server.Routes().Get("/files/setup/q.bin", serve).Get("/files/setup/in st.bin", serve);
    server.Routes().Get("/files/setup/cut.bin", [](const httplib::Request&, httplib::Response& res) { QelServeCut(res, 100, "cut short"); });
    Use();
    const struct {
        const char* path;
        const char* saved;  // file name in temp, or the error document's message
        int result;
    } cases[] = {
        {"setup/q.bin?a=/etc/passwd#frag", "q.bin", 1}, {"setup/in%20st.bin", "in st.bin", 1},
        {"setup/absent.bin", "Response Data Error!", -994}, {"setup/cut.bin", "Response Data Error!", -994},
        {"setup/%2E%2E", "Request Parameter Error!", -998},
    };
    std::vector<std::string> paths{""};  // skipped
    for (const auto& c : cases) paths.push_back(c.path);
    EXPECT_EQ(Download(paths), 4);

    std::map<std::string, QelHttpCall> byUrl;
    for (const QelHttpCall& call : recorder.WaitForResults(5)) byUrl[Parse(call.descriptor)["baseurl"].asString()] = call;
    for (const auto& c : cases) {
        const QelHttpCall& call = byUrl[server.Url("/files/" + std::string(c.path))];
        EXPECT_EQ(call.result, c.result) << c.path;
        EXPECT_EQ(call.download.has_value(), c.result == 1) << c.path;
        if (c.result != 1) {
            EXPECT_EQ(Parse(call.text)["msgcode"].asString() + Parse(call.text)["msg"].asString(), std::to_string(c.result) + c.saved);
            continue;
        }
        const std::string saved = home / ("temp/" + std::string(c.saved));
        EXPECT_EQ(QelString(call.text).ToStdString() + "|" + call.download->path.ToStdString(), saved + "|" + saved);
        EXPECT_EQ(call.download->size, file.size());
        EXPECT_EQ(ReadBytes(saved), file) << c.path;
    }
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(home / "temp")) names.insert(entry.path().filename());
    EXPECT_EQ(names, (std::set<std::string>{"q.bin", "in st.bin"}));
    int lastPercent = -1;
    for (const QelHttpCall& call : recorder.Calls())
        if (call.kind == kQelHttpProgress && Parse(call.descriptor)["baseurl"].asString() == server.Url("/files/setup/in%20st.bin")) lastPercent = call.length;
    EXPECT_EQ(lastPercent, 100);
}

// The download streams to disk: a body past the disk cap (1 GiB in the
// program, a quarter here) costs no memory beyond curl's buffers, and stops
// at the cap with its file gone.
// (Served with a length, which the server writes without copying: its
// chunked framing would fill the sanitizer's quarantine with copies.)
TEST_F(ClientTest, AnOversizedDownloadStopsAtTheDiskCapWithMemoryFlat) {
    server.Routes().Get("/files/endless.bin", [](const httplib::Request&, httplib::Response& res) {
        res.set_content_provider((std::size_t{1} << 28) + 1, "application/octet-stream", [](size_t, size_t length, httplib::DataSink& sink) {
            static const std::string block(64 * 1024, 'x');
            return sink.write(block.data(), std::min(length, block.size()));
        });
    });
    Use();
    QelHttpTransferOptions options;
    options.maxFileBytes = std::size_t{1} << 28;
    client.SetTransferOptions(options);
    const QelPeak peak = QelMeasurePeakHere([&] { return Download({"endless.bin"}) >= 0 && recorder.WaitForResults(1)[0].result == -995; });
    EXPECT_TRUE(peak.ok);
    EXPECT_FALSE(Exists(home / "temp/endless.bin"));
    EXPECT_LT(peak.mib, peak.before + 100) << "resident before " << peak.before << " MiB";
}

// A callback may start the next request from its worker thread; the day's
// HTTP log records both requests and replies.
TEST_F(ClientTest, ACallbackCanStartTheNextRequestAndBothAreLogged) {
    server.Routes().Post("/api/step", [](const httplib::Request& req, httplib::Response& res) {
        res.set_content(req.get_file_value("cmd").content == "second" ? "" : "one", "text/plain");
    });
    Use();
    recorder.onResult = [&](const QelHttpCall& call) {
        if (call.text == u"one") Post(u"step", u"second");
    };
    CQelLogMng::GetInstance()->SetEnabled(true);
    ASSERT_GE(Post(u"step", u"first"), 0);
    const std::vector<QelHttpCall> results = recorder.WaitForResults(2);
    CQelLogMng::GetInstance()->SetEnabled(false);
    EXPECT_EQ(results[1].result, 1);
    ASSERT_EQ(server.RequestCount(), 2u);
    EXPECT_EQ(server.Requests()[1].parts.find("cmd")->second.content, "second");
    const std::string log = ReadBytes(CQelDirMng::GetInstance()->GetRequestLogFilePath().ToStdString());
    const std::string url = server.Url("/api/step");
    EXPECT_NE(log.find("] [QelCliComm]  HTTP Request(url:" + url + ", ReqType:POST)\r\n"), std::string::npos) << log;
    for (const char* length : {"3", "0"})
        EXPECT_NE(log.find("] [QelCliComm]  HTTP Receive(url:" + url + ", ReqType:POST, ContentsLen=" + length + ")\r\n"), std::string::npos) << log;
}

// Only a server the client's options vouch for, under the name it was issued
// for, is trusted; a refused handshake never sends the request.
TEST_F(ClientTest, AnHttpsServerIsTrustedOnlyThroughTheClientsOptionsAndItsName) {
    const QelTestCertificate cert(home.path());
    ASSERT_TRUE(cert.ok);
    QelTestHttpServer secure(&cert);
    secure.Routes().Get("/files/inst.bin", [](const httplib::Request&, httplib::Response& res) { res.set_content("INST", "application/octet-stream"); });
    QelHttpTransferOptions options;
    options.caFile = cert.certFile;
    const struct {
        bool trusted;
        const char* host;
        int result;
    } cases[] = {{false, "localhost", -994}, {true, "127.0.0.1", -994}, {true, "localhost", 1}};
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        Use(secure.Url("/files", cases[i].host));
        client.SetTransferOptions(cases[i].trusted ? options : QelHttpTransferOptions{});
        Download({"inst.bin"});
        const QelHttpCall call = recorder.WaitForResults(i + 1)[i];
        EXPECT_EQ(call.result, cases[i].result) << cases[i].host;
        EXPECT_EQ(call.download ? ReadBytes(call.download->path.ToStdString()) : "", cases[i].result == 1 ? "INST" : "");
    }
    EXPECT_EQ(secure.RequestCount(), 1u);
}

// At the program's end: the request under way ends at once without its
// callback, later requests are refused, and the workers are joined.
TEST_F(ClientTest, ShutdownCancelsWhatRunsRefusesWhatComesAndJoinsTheWorkers) {
    server.Routes().Post("/api/slow", [&](const httplib::Request&, httplib::Response& res) {
        res.set_content_provider(100, "text/plain", [&](size_t, size_t, httplib::DataSink& sink) {
            sink.write("part", 4);
            server.Hold();
            return false;
        });
    });
    Use();
    ASSERT_GE(Post(u"slow"), 0);
    server.WaitForHolders(1);
    const auto threads = [] { return std::distance(std::filesystem::directory_iterator("/proc/self/task"), {}); };
    const auto threadsBefore = threads();
    client.Shutdown();  // returns at once: the default stall limit is 30 s
    EXPECT_LE(threads(), threadsBefore - 5) << "4 workers and the dispatcher";
    EXPECT_EQ(Post(u"slow"), -1);
    EXPECT_EQ(Download({"f.bin"}), -1);
    server.Release();
    for (const QelHttpCall& call : recorder.Calls()) EXPECT_EQ(call.kind, kQelHttpProgress) << "no result after shutdown";
    EXPECT_EQ(server.RequestCount(), 1u);
}
