#include <gtest/gtest.h>
#include <json/json.h>

#include <atomic>
#include <cstdio>
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
#include "QelTestCertificate.h"
#include "QelTestHttpServer.h"
#include "QelTestMemory.h"

namespace {
QelString Q(const std::string& utf8) { return QelString::FromUtf8(utf8); }

Json::Value Parse(const std::u16string& text) {
    Json::Value doc;
    EXPECT_TRUE(Json::Reader().parse(QelString(text).ToStdString(), doc)) << QelString(text).ToStdString();
    return doc;
}

QelHttpFormFields CmdForm(const char16_t* cmd) {
    QelHttpFormFields fields;
    fields[QelString(u"cmd")][0] = QelString(cmd);
    fields[QelString(u"input")][1] = QelString(u"{\"v\":1}");
    return fields;
}

std::string BoundaryOf(const QelRecordedRequest& request) {
    const std::string type = request.headers.find("Content-Type")->second;
    const std::string key = "multipart/form-data; boundary=";
    return type.rfind(key, 0) == 0 ? type.substr(key.size()) : std::string();
}

// A client of its own per test, with its API and file sessions on a server
// that outlives it (so no connection of the client keeps the server waiting),
// and a program folder of its own for the downloads.
class ClientTest : public ::testing::Test {
protected:
    void Use() {
        CQelDirMng::GetInstance()->SetModuleDir(Q(home.path()));
        ASSERT_EQ(client.AddSession(CQelHttpClient::kApiSession, Q(server.Url("/api"))), 1);
        ASSERT_EQ(client.AddSession(CQelHttpClient::kFileSession, Q(server.Url("/files"))), 1);
    }
    int Post(const QelString& path, const char16_t* cmd = u"appverchk", const QelString& tag = QelString(u"")) {
        return client.PostForm(path, QelString(u""), CmdForm(cmd), tag, &QelHttpCallRecorder::Callback, recorder.Context());
    }

    QelTestDir home;
    QelTestHttpServer server;
    QelHttpCallRecorder recorder;  // outlives the client, whose workers call it
    CQelHttpClient client;
};
}  // namespace

TEST_F(ClientTest, AFormPostGoesToThePathUnderTheBaseAsAByteExactMultipartBody) {
    auto reply = [](const httplib::Request& req, httplib::Response& res) { res.set_content("{\"msgcode\":\"0000\",\"at\":\"" + req.path + "\"}", "application/json"); };
    server.Routes().Post("/api/appversion", reply).Post("/api", reply);
    Use();
    const int first = Post(QelString(u"appversion"), u"appverchk", QelString(u"tag \"quoted\""));
    const int second = Post(QelString(u""));
    EXPECT_EQ(first, 0);
    EXPECT_EQ(second, 1);
    EXPECT_EQ(client.GetLastIndex(), 1);

    const std::vector<QelHttpCall> results = recorder.WaitForResults(2);
    std::set<std::string> targets;
    for (const QelRecordedRequest& req : server.Requests()) {
        targets.insert(req.target);
        const std::string b = BoundaryOf(req);
        ASSERT_EQ(b.size(), 16u);
        const std::string body = "--" + b + "\r\nContent-Disposition: form-data; name=\"cmd\"\r\n\r\nappverchk\r\n--" + b +
                                 "\r\nContent-Disposition: form-data; name=\"input\"\r\n\r\n{\"v\":1}\r\n--" + b + "--\r\n";
        ASSERT_EQ(req.headers.count("Content-Length"), 1u);
        EXPECT_EQ(req.headers.find("Content-Length")->second, std::to_string(body.size()));
        // The server's own multipart parser finds exactly the two fields.
        ASSERT_EQ(req.parts.size(), 2u);
        EXPECT_EQ(req.parts.find("cmd")->second.content, "appverchk");
        EXPECT_EQ(req.parts.find("input")->second.content, "{\"v\":1}");
    }
    EXPECT_EQ(targets, (std::set<std::string>{"/api/appversion", "/api"}));
    for (const QelHttpCall& call : results) {
        const Json::Value descriptor = Parse(call.descriptor);
        const bool isFirst = descriptor["reqidx"].asInt() == first;
        EXPECT_EQ(descriptor["baseurl"].asString(), server.Url(isFirst ? "/api/appversion" : "/api"));
        EXPECT_EQ(descriptor["onlyreturn"].asString(), isFirst ? "tag \"quoted\"" : "");
        EXPECT_EQ(descriptor["reqtype"].asString(), "POST");
        EXPECT_EQ(call.reqtype, 1);
        EXPECT_EQ(call.datatype, 4);
        EXPECT_EQ(call.result, 1);
        EXPECT_EQ(Parse(call.text)["at"].asString(), isFirst ? "/api/appversion" : "/api");
    }
}

TEST_F(ClientTest, RequestsWithoutTheirSessionOrWithEmptyBasesAreRefused) {
    EXPECT_EQ(client.AddSession(1, QelString(u"")), -1);
    EXPECT_EQ(Post(QelString(u"appversion")), -1);
    QelStringArray paths;
    paths.Add(QelString(u"setup/inst.bin"));
    EXPECT_EQ(client.DownloadFiles(paths, QelString(u""), QelString(u""), &QelHttpCallRecorder::Callback, recorder.Context()), -1);
    EXPECT_EQ(client.GetLastIndex(), -1);
}

TEST_F(ClientTest, TheRequestAfter257InProgressIsRefusedAndADownloadWaitsForAFreeItem) {
    server.Routes().Post("/api/hold", [&](const httplib::Request&, httplib::Response& res) {
        server.Hold();
        res.set_content("done", "text/plain");
    });
    server.Routes().Get("/files/f.bin", [](const httplib::Request&, httplib::Response& res) { res.set_content("F", "application/octet-stream"); });
    Use();
    std::set<int> indexes;
    for (int i = 0; i < CQelHttpClient::kMaxWorkItems; ++i) indexes.insert(Post(QelString(u"hold")));
    ASSERT_EQ(indexes.size(), 257u);
    EXPECT_EQ(*indexes.begin(), 0);
    EXPECT_EQ(*indexes.rbegin(), 256);
    server.WaitForHolders(4);
    EXPECT_EQ(Post(QelString(u"hold")), -1);

    std::atomic<int> downloadIndex{-2};
    std::thread downloader([&] {
        QelStringArray paths;
        paths.Add(QelString(u"f.bin"));
        downloadIndex = client.DownloadFiles(paths, QelString(u""), QelString(u""), &QelHttpCallRecorder::Callback, recorder.Context());
    });
    EXPECT_EQ(downloadIndex.load(), -2);  // still waiting: every item is in progress
    server.Release();
    downloader.join();
    EXPECT_GE(downloadIndex.load(), 0);
    EXPECT_LE(downloadIndex.load(), 256);
    const std::vector<QelHttpCall> results = recorder.WaitForResults(258);
    int downloads = 0;
    for (const QelHttpCall& call : results) downloads += call.datatype == 3 && call.download.has_value();
    EXPECT_EQ(downloads, 1);
    EXPECT_EQ(client.AddSession(1, Q(server.Url("/api"))), 1);
    EXPECT_GE(Post(QelString(u"hold")), 0);  // freed items are reused
    recorder.WaitForResults(259);
}

// Each download lands in temp under the decoded last component of its URL's
// path; what fails leaves no file and delivers an error document.
TEST_F(ClientTest, DownloadsLandInTempUnderTheirPathsNameOrDeliverAnErrorDocument) {
    const std::string file = std::string("\x7F" "ELF\0\x02", 6) + std::string(200000, 'z');
    auto serve = [&](const httplib::Request&, httplib::Response& res) { res.set_content(file, "application/octet-stream"); };
    server.Routes().Get("/files/setup/sized.bin", serve).Get("/files/setup/q.bin", serve).Get("/files/setup/in st.bin", serve);
    server.Routes().Get("/files/setup/chunked.bin", [&](const httplib::Request&, httplib::Response& res) { QelServeWithoutLength(res, file, true); });
    server.Routes().Get("/files/setup/cut.bin", [](const httplib::Request&, httplib::Response& res) { QelServeCut(res, 100, "cut short"); });
    Use();
    const struct {
        const char* path;
        const char* saved;  // file name in temp; "" when it fails
        int result;
    } cases[] = {
        {"setup/sized.bin", "sized.bin", 1},
        {"setup/chunked.bin", "chunked.bin", 1},
        {"setup/q.bin?a=/etc/passwd#frag", "q.bin", 1},
        {"setup/in%20st.bin", "in st.bin", 1},
        {"setup/absent.bin", "", -994},
        {"setup/cut.bin", "", -994},
        {"setup/%2E%2E", "", -998},
    };
    QelStringArray paths;
    paths.Add(QelString(u""));  // skipped
    for (const auto& c : cases) paths.Add(Q(c.path));
    const int count = static_cast<int>(std::size(cases));
    EXPECT_EQ(client.DownloadFiles(paths, QelString(u""), QelString(u"dl"), &QelHttpCallRecorder::Callback, recorder.Context()),
              count - 1);

    std::map<std::string, QelHttpCall> byUrl;
    for (const QelHttpCall& call : recorder.WaitForResults(count)) byUrl[Parse(call.descriptor)["baseurl"].asString()] = call;
    for (const auto& c : cases) {
        const QelHttpCall& call = byUrl[server.Url("/files/" + std::string(c.path))];
        EXPECT_EQ(call.result, c.result) << c.path;
        if (c.result != 1) {
            EXPECT_EQ(Parse(call.text)["msgcode"].asString(), std::to_string(c.result)) << c.path;
            EXPECT_FALSE(call.download.has_value());
            continue;
        }
        const std::string saved = home / ("temp/" + std::string(c.saved));
        ASSERT_TRUE(call.download.has_value()) << c.path;
        EXPECT_EQ(QelString(call.text).ToStdString(), saved);
        EXPECT_EQ(call.download->path.ToStdString(), saved);
        EXPECT_EQ(call.download->size, file.size());
        EXPECT_EQ(ReadBytes(saved), file) << c.path;
    }
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(home / "temp")) names.insert(entry.path().filename());
    EXPECT_EQ(names, (std::set<std::string>{"sized.bin", "chunked.bin", "q.bin", "in st.bin"}));
    std::vector<int> percents;
    for (const QelHttpCall& call : recorder.Calls()) {
        if (call.kind == kQelHttpProgress && Parse(call.descriptor)["baseurl"].asString() == server.Url("/files/setup/sized.bin"))
            percents.push_back(call.length);
    }
    ASSERT_FALSE(percents.empty());
    EXPECT_EQ(percents.back(), 100);
}

// The download streams to disk: a body past the 1 GiB disk cap costs no
// memory beyond curl's buffers, and stops at the cap with its file gone.
// (Served with a length, which the server writes without copying: its
// chunked framing would fill the sanitizer's quarantine with copies.)
TEST_F(ClientTest, AnOversizedDownloadStopsAtTheDiskCapWithMemoryFlat) {
    server.Routes().Get("/files/endless.bin", [](const httplib::Request&, httplib::Response& res) {
        res.set_content_provider((std::size_t{1} << 30) + 1, "application/octet-stream",
                                 [](size_t, size_t length, httplib::DataSink& sink) {
                                     static const std::string block(64 * 1024, 'x');
                                     return sink.write(block.data(), std::min(length, block.size()));
                                 });
    });
    Use();
    QelStringArray paths;
    paths.Add(QelString(u"endless.bin"));
    const std::size_t resident = ProcStatusBytes("VmRSS");
    ResetPeakResident();
    ASSERT_GE(client.DownloadFiles(paths, QelString(u""), QelString(u""), &QelHttpCallRecorder::Callback, recorder.Context()), 0);
    const QelHttpCall call = recorder.WaitForResults(1)[0];
    const std::size_t peak = ProcStatusBytes("VmHWM");
    EXPECT_EQ(call.result, -995);
    EXPECT_FALSE(Exists(home / "temp/endless.bin"));
    EXPECT_LT(peak, resident + (std::size_t{100} << 20)) << "resident " << (resident >> 20) << " MiB, peak " << (peak >> 20) << " MiB";
    std::printf("[ measured ] 1 GiB streamed: resident before %zu MiB, peak %zu MiB\n", resident >> 20, peak >> 20);
}

TEST_F(ClientTest, ACallbackCanStartTheNextRequestFromItsWorkerThread) {
    server.Routes().Post("/api/step", [](const httplib::Request& req, httplib::Response& res) {
        res.set_content(req.get_file_value("cmd").content == "second" ? "two" : "one", "text/plain");
    });
    Use();
    recorder.onResult = [&](const QelHttpCall& call) {
        if (call.text == u"one") Post(QelString(u"step"), u"second");
    };
    ASSERT_GE(Post(QelString(u"step"), u"first"), 0);
    const std::vector<QelHttpCall> results = recorder.WaitForResults(2);
    EXPECT_EQ(results[1].text, u"two");
    EXPECT_EQ(server.RequestCount(), 2u);
}

TEST_F(ClientTest, RequestsAndRepliesAreLoggedToTheDaysHttpLog) {
    server.Routes().Post("/api/appversion", [](const httplib::Request&, httplib::Response& res) { res.set_content("{}", "text/plain"); });
    Use();
    CQelLogMng::GetInstance()->SetEnabled(true);
    Post(QelString(u"appversion"));
    recorder.WaitForResults(1);
    CQelLogMng::GetInstance()->SetEnabled(false);
    const std::string log = ReadBytes(CQelDirMng::GetInstance()->GetRequestLogFilePath().ToStdString());
    const std::string url = server.Url("/api/appversion");
    EXPECT_NE(log.find("] [QelCliComm]  HTTP Request(url:" + url + ", ReqType:POST)\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("] [QelCliComm]  HTTP Receive(url:" + url + ", ReqType:POST, ContentsLen=2)\r\n"), std::string::npos) << log;
}

TEST_F(ClientTest, AnHttpsFileServerIsTrustedOnlyThroughTheClientsOptions) {
    CQelDirMng::GetInstance()->SetModuleDir(Q(home.path()));
    const QelTestCertificate cert(home.path());
    ASSERT_TRUE(cert.ok);
    QelTestHttpServer secure(&cert);
    secure.Routes().Get("/files/inst.bin", [](const httplib::Request&, httplib::Response& res) { res.set_content("INST", "application/octet-stream"); });
    ASSERT_EQ(client.AddSession(CQelHttpClient::kFileSession, Q(secure.Url("/files", "localhost"))), 1);
    QelStringArray paths;
    paths.Add(QelString(u"inst.bin"));
    client.DownloadFiles(paths, QelString(u""), QelString(u""), &QelHttpCallRecorder::Callback, recorder.Context());
    EXPECT_EQ(recorder.WaitForResults(1)[0].result, -994);  // the system's authorities do not know it

    QelHttpTransferOptions options;
    options.caFile = cert.caFile;
    client.SetTransferOptions(options);
    client.DownloadFiles(paths, QelString(u""), QelString(u""), &QelHttpCallRecorder::Callback, recorder.Context());
    const QelHttpCall trusted = recorder.WaitForResults(2)[1];
    EXPECT_EQ(trusted.result, 1);
    ASSERT_TRUE(trusted.download.has_value());
    EXPECT_EQ(ReadBytes(trusted.download->path.ToStdString()), "INST");
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
    ASSERT_GE(Post(QelString(u"slow")), 0);
    server.WaitForHolders(1);
    const std::size_t threadsBefore = ProcStatusNumber("Threads");
    client.Shutdown();  // returns at once: the default stall limit is 30 s
    EXPECT_LE(ProcStatusNumber("Threads"), threadsBefore - 5) << "4 workers and the dispatcher";
    EXPECT_EQ(Post(QelString(u"slow")), -1);
    QelStringArray paths;
    paths.Add(QelString(u"f.bin"));
    EXPECT_EQ(client.DownloadFiles(paths, QelString(u""), QelString(u""), &QelHttpCallRecorder::Callback, recorder.Context()), -1);
    server.Release();
    for (const QelHttpCall& call : recorder.Calls()) EXPECT_EQ(call.kind, kQelHttpProgress) << "no result after shutdown";
    EXPECT_EQ(server.RequestCount(), 1u);
}
