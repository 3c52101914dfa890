#include <gtest/gtest.h>
#include <json/json.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "../foundation/QelTestDir.h"
#include "CQelDirMng.h"
#include "CQelHttpClient.h"
#include "CQelLogMng.h"
#include "QelHttpWorkItem.h"
#include "QelTestHttpServer.h"
#include "QelTestMemory.h"

namespace {
QelString Q(const std::string& utf8) { return QelString::FromUtf8(utf8); }

struct Call {
    int datatype = 0;
    int result = 0;       // the exchange result seen during the call
    std::string text;  // a response, an error document, or a download's path
    bool downloaded = false;  // CurrentDownload named a file
};

// A client of its own per test, with its API and file sessions on a server
// that outlives it, and a program folder of its own for the downloads. The
// fixture is the callbacks' context: it records every call, on whichever
// worker thread it comes, and lets a test wait for a number of results.
class ClientTest : public ::testing::Test {
protected:
    static int Callback(void* context, int, int datatype, const char16_t*, int, int kind, const unsigned char*, int,
                        const void* response, int responseLength) {
        auto* self = static_cast<ClientTest*>(context);
        std::lock_guard<std::mutex> lock(self->m_mutex);
        if (kind == kQelHttpProgress && datatype == 3) self->m_downloadPercent = responseLength;
        if (kind != kQelHttpResult) return 0;
        self->m_results.push_back({datatype, QelHttpWorkItem::CurrentResult(), QelString(std::u16string(static_cast<const char16_t*>(response), responseLength)).ToStdString(),
                                   QelHttpWorkItem::CurrentDownload() != nullptr});
        self->m_changed.notify_all();
        return 0;
    }
    // Blocks until count results have arrived; every result so far.
    std::vector<Call> WaitForResults(std::size_t count) {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait(lock, [&] { return m_results.size() >= count; });
        return m_results;
    }
    void Use() {
        CQelDirMng::GetInstance()->SetModuleDir(Q(home.path()));
        ASSERT_EQ(client.AddSession(CQelHttpClient::kApiSession, Q(server.Url("/api"))), 1);
        ASSERT_EQ(client.AddSession(CQelHttpClient::kFileSession, Q(server.Url("/files"))), 1);
    }
    int Post(const char16_t* path) {
        QelHttpFormFields fields;
        fields[QelString(u"cmd")][0] = QelString(u"appverchk");
        return client.PostForm(QelString(path), QelString(u""), fields, QelString(u"t"), &Callback, this);
    }
    int Download(const std::vector<std::string>& paths) {
        QelStringArray array;
        for (const std::string& path : paths) array.Add(Q(path));
        return client.DownloadFiles(array, QelString(u""), QelString(u"dl"), &Callback, this);
    }

    QelTestDir home;
    QelTestHttpServer server;
    std::mutex m_mutex;  // the record outlives the client, whose workers write it
    std::condition_variable m_changed;
    std::vector<Call> m_results;
    int m_downloadPercent = -1;  // of the last progress call of a download
    CQelHttpClient client;
};
}  // namespace

// A work item, reused, sends each kind of request as its verb with its body and
// only the headers it needs; only a GET of a file is saved (and delivered as its
// path), everything else is delivered as text; an unknown verb is not sent; a
// descriptor parses whatever its values hold.
TEST_F(ClientTest, EachRequestKindIsSentAsItsVerbAndOnlyAFileGetIsSaved) {
    // The server's view: verb, body, the caller's header, how many Content-Length,
    // Content-Type and Expect headers came, and the multipart parts.
    server.On("/r/.*", [](const httplib::Request& req, httplib::Response& res) {
        std::string seen = req.method + "|" + req.body + "|" + req.get_header_value("X-Head") + "|";
        for (const char* header : {"Content-Length", "Content-Type", "Expect"}) seen += std::to_string(req.get_header_value_count(header));
        if (req.get_header_value("User-Agent") != "QelHttpClient") seen += "|no User-Agent";
        for (const auto& [name, part] : req.files) seen += "|" + name + "=" + (part.filename.empty() ? part.content : part.filename + ":" + part.content);
        res.set_content(seen, "text/plain");
    });
    WriteBytes(home / "up.bin", "UP");
    using T = QelHttpReqType;
    using D = QelHttpDataType;
    // delivered: the reply; a saved file's bytes are the reply to its GET; names: null when not processed
    const struct { T reqtype; D datatype; const char* path; std::string body; const char* delivered; int result; const char* names; } cases[] = {
        {T::kGet, D::kString, "/r/text", "", "GET|||000", 1, "GET|String"},
        {T::kDelete, D::kJson, "/r/x", "d", "DELETE|d||100", 1, "DELETE|Json"},
        {T::kPut, D::kXml, "/r/x", "<a/>", "PUT|<a/>||100", 1, "PUT|Xml"},  // the stored body went with its request
        {T::kPost, D::kJson, "/r/x", "{}", "POST|{}|h|100", 1, "POST|Json"},
        {T::kPost, D::kFile, "/r/x", "", "POST|||110|file=up.bin:UP", 1, "POST|File"},
        {T::kPost, D::kForm, "/r/x", "", "POST|||110|cmd=go", 1, "POST|"},
        {T::kGet, D::kFile, "/r/%2E%2E", "", R"({"lang":"kr", "msg":"Request Parameter Error!", "msgcode":"-998", "nextflag":"L"})", -998, "GET|File"},
        {T::kGet, D::kFile, "/elsewhere.bin", "", R"({"lang":"kr", "msg":"Response Data Error!", "msgcode":"-994", "nextflag":"L"})", -994, "GET|File"},
        {T::kGet, D::kFile, "/r/f.bin", "", "GET|||000", 1, "GET|File"}, {T(4), D::kString, "/r/unknown", "", "", 0, nullptr},
    };
    QelHttpWorkItem item(7);
    const QelString tag(u"say \"hi\"\\ \",\"reqidx\":9\n\u00E9\u0001\u001F");
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        SCOPED_TRACE(c.path + std::string(" ") + std::to_string(int(c.reqtype)) + "/" + std::to_string(int(c.datatype)));
        QelHttpRequestParams params;
        params.url = Q(server.Url(c.path));
        params.httpConHead = QelString(u"X-Head: h\r\nContent-Type-Hint: t");  // a name that only begins like Content-Type
        params.reqtype = static_cast<int>(c.reqtype);
        params.datatype = static_cast<int>(c.datatype);
        params.requestBody.assign(c.body.begin(), c.body.end());
        params.files.Add(Q(home / "up.bin"));
        params.fields[QelString(u"cmd")][0] = QelString(u"go");
        params.downloadFolder = Q(home / "temp");
        params.onlyReturn = tag;
        params.callback = &Callback;
        params.context = this;
        ASSERT_TRUE(item.Claim());
        item.SetParameters(params, {});
        ASSERT_EQ(item.Process(), c.names != nullptr);
        if (!c.names) continue;
        const Call call = WaitForResults(i + 1).back();
        EXPECT_EQ(call.result, c.result);
        const bool saved = c.result == 1 && c.reqtype == T::kGet && c.datatype == D::kFile;
        EXPECT_EQ(call.downloaded, saved);
        EXPECT_EQ(call.text, saved ? home / "temp/f.bin" : c.delivered);
        EXPECT_EQ(ReadBytes(home / "temp/f.bin"), saved ? "GET|||000" : "");
        Json::Value d;
        ASSERT_TRUE(Json::Reader().parse(item.GetDescriptor().ToStdString(), d));
        EXPECT_EQ(std::to_string(d.size()) + "|" + d["reqidx"].toStyledString() + d["baseurl"].asString() + "|" + d["httpconhead"].asString() +
                      "|" + d["onlyreturn"].asString() + "|" + d["reqtype"].asString() + "|" + d["datatype"].asString(),
                  "7|7\n" + params.url.ToStdString() + "|X-Head: h\r\nContent-Type-Hint: t|" + tag.ToStdString() + "|" + c.names);
    }
    int sent = 0;
    for (const std::string& target : server.Requests()) sent += target.rfind("/r/", 0) == 0;
    EXPECT_EQ(sent, 7);  // neither a refused name nor an unknown verb is sent
}

// Posts go to "base/path" (the base itself for an empty path) as a multipart
// body the server's own parser takes apart; downloads of non-empty paths come
// from the file session into the program's temp folder; the day's HTTP log
// records the replies.
TEST_F(ClientTest, RequestsGoUnderTheirSessionsBaseAndNeedOne) {
    auto reply = [](const httplib::Request& req, httplib::Response& res) { res.set_content(req.path + ":" + req.get_file_value("cmd").content, "text/plain"); };
    server.On("/api/appversion", reply).On("/api", reply).Reply("/files/setup/in st.bin", "F");
    EXPECT_EQ(Post(u"appversion"), -1);  // no session yet
    EXPECT_EQ(Download({"setup/inst.bin"}), -1);
    EXPECT_EQ(client.AddSession(1, QelString(u"")), -1);
    Use();
    CQelLogMng::GetInstance()->SetEnabled(true);
    EXPECT_EQ(Post(u"appversion"), 0);
    EXPECT_EQ(Post(u""), 1);
    EXPECT_EQ(Download({"", "setup/in%20st.bin", ""}), 2);
    EXPECT_EQ(client.GetLastIndex(), 2);
    std::set<std::string> texts;
    for (const Call& call : WaitForResults(3)) texts.insert(call.text);
    CQelLogMng::GetInstance()->SetEnabled(false);
    const std::string log = ReadBytes(CQelDirMng::GetInstance()->GetRequestLogFilePath().ToStdString());
    EXPECT_NE(log.find("] [QelCliComm]  HTTP Receive(url:" + server.Url("/api/appversion") + ", ReqType:POST, ContentsLen=25)\r\n"), std::string::npos) << log;
    EXPECT_EQ(texts, (std::set<std::string>{"/api/appversion:appverchk", "/api:appverchk", home / "temp/in st.bin"}));
    EXPECT_EQ(m_downloadPercent, 100);
}

TEST_F(ClientTest, TheRequestAfter257InProgressIsRefusedAndADownloadWaitsForAFreeItem) {
    server.Stall("/api/hold").Reply("/files/f.bin", "F");  // the held posts fail once released
    Use();
    std::set<int> indexes;
    for (int i = 0; i < CQelHttpClient::kMaxWorkItems; ++i) indexes.insert(Post(u"hold"));
    EXPECT_EQ(indexes.size() * 1000 + *indexes.begin() * 100 + *indexes.rbegin(), 257256u);
    server.WaitForHolders(4);
    EXPECT_EQ(Post(u"hold"), -1);
    EXPECT_TRUE(client.IsInProgress(256) && !client.IsInProgress(257));
    std::atomic<int> downloadIndex{-2};
    std::thread downloader([&] { downloadIndex = Download({"f.bin"}); });
    EXPECT_EQ(downloadIndex.load(), -2);  // still waiting: every item is in progress
    server.Release();
    downloader.join();
    EXPECT_TRUE(downloadIndex >= 0 && downloadIndex <= 256) << downloadIndex;
    const std::vector<Call> results = WaitForResults(258);
    EXPECT_EQ(std::count_if(results.begin(), results.end(), [](const Call& call) { return call.downloaded; }), 1);
    EXPECT_GE(Post(u"hold"), 0);  // freed items are reused
}

// At the program's end: the request under way ends at once without its
// callback, later requests are refused, and the workers are joined.
TEST_F(ClientTest, ShutdownCancelsWhatRunsRefusesWhatComesAndJoinsTheWorkers) {
    server.Stall("/api/slow");
    Use();
    ASSERT_GE(Post(u"slow"), 0);
    server.WaitForHolders(1);
    const std::size_t threads = ProcStatusNumber("Threads");
    client.Shutdown();  // returns at once: the default stall limit is 30 s
    EXPECT_LE(ProcStatusNumber("Threads"), threads - 5) << "4 workers and the dispatcher";
    EXPECT_EQ(Post(u"slow") + Download({"f.bin"}), -2);
    EXPECT_TRUE(WaitForResults(0).empty()) << "no result after shutdown";
}
