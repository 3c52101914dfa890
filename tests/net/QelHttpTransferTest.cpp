#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "../foundation/QelTestDir.h"
#include "QelHttpTransfer.h"
#include "QelTestHttpServer.h"

namespace {
QelString Q(const std::string& utf8) { return QelString::FromUtf8(utf8); }

// A transfer to url that asks no proxy unless the options bring a lookup, and records its progress.
struct Exchange {
    explicit Exchange(const std::string& url, QelHttpTransferOptions options = {}) {
        if (!options.proxyLookup) options.proxyLookup = [](const std::string&) { return std::string(); };
        transfer.SetOptions(options);
        transfer.SetUrl(Q(url));
        transfer.SetProgress([](void* self, int percent) { static_cast<Exchange*>(self)->percents.push_back(percent); }, this);
    }
    int Send(const char16_t* verb = u"GET") { return transfer.Send(QelString(verb), QelString(u""), nullptr, 0); }
    std::string Text() const { return transfer.GetResponseText().ToStdString(); }
    QelHttpTransfer transfer;
    std::vector<int> percents;
};

class Transfer : public ::testing::Test {
protected:
    QelTestHttpServer server;
};
}  // namespace

TEST_F(Transfer, BadInputIsRefusedBeforeAnythingIsSent) {
    // lastError: the system's error numbers: path not found, invalid parameter
    const struct { std::string url; const char16_t* verb; int result; long lastError; } cases[] = {
        {"", u"GET", -999, 3},          {server.Url("/"), u"PATCH", -998, 87}, {server.Url("/"), u"", -998, 87},
        {"not a url", u"GET", -997, CURLUE_BAD_SCHEME}, {"ftp://127.0.0.1/file", u"GET", -997, CURLE_UNSUPPORTED_PROTOCOL},
        {"file:///etc/passwd", u"GET", -997, CURLE_UNSUPPORTED_PROTOCOL},
    };
    for (const auto& c : cases) {
        Exchange x(c.url);
        EXPECT_EQ(x.Send(c.verb) * 1000 + x.transfer.GetLastError(), c.result * 1000 + c.lastError) << c.url;
    }
    EXPECT_EQ(server.Requests().size(), 0u);
}

// Text is delivered whatever its status, decoded by the final response's
// charset, with that response's cookies and length; progress rises to 100 %
// of an announced length and is never guessed without one.
TEST_F(Transfer, TextAndProgressComeFromTheFinalResponseOfARedirectWhateverItsStatus) {
    const std::string filler(300000, 'p');
    server.On("/from", [](const httplib::Request&, httplib::Response& res) {
        res.set_header("Set-Cookie", "old=0");
        res.set_redirect("/to");
    });
    server.On("/to", [&](const httplib::Request&, httplib::Response& res) {
        res.status = 404;
        res.set_header("Set-Cookie", "a=1");
        res.set_header("Set-Cookie", "b=2");
        res.set_content("caf\xE9 " + filler, "text/plain; charset=ISO-8859-1");
    });
    server.On("/chunked", QelServePieces("abc", true));
    Exchange x(server.Url("/from")), chunked(server.Url("/chunked"));
    ASSERT_EQ(x.Send(), 1);
    EXPECT_EQ(x.transfer.GetStatusCode(), 404);
    EXPECT_EQ(x.transfer.GetResponseText().str(), u"caf\u00E9 " + std::u16string(filler.begin(), filler.end()));
    EXPECT_EQ(x.transfer.GetHeaderFacts().cookies + std::to_string(x.transfer.GetHeaderFacts().contentLength), "a=1; b=2;300005");
    EXPECT_TRUE(!x.percents.empty() && x.percents.back() == 100 && std::is_sorted(x.percents.begin(), x.percents.end()));
    ASSERT_EQ(chunked.Send(), 1);
    EXPECT_EQ(chunked.Text() + "|" + std::to_string(chunked.percents.size()), "abc|0") << "no progress is guessed";
}

// An unclosed page to a GET, a stalled or silent server, or one dribbling a byte every
// 2 ms (under 1 KiB per window) costs three attempts; a text body past its
// cap stops there at once. A failure keeps nothing of what was read.
TEST_F(Transfer, FailedAttemptsAreRetriedUpToThreeTimesAndKeepNothing) {
    server.Reply("/page", "<HTML><body>half").Stall("/stall").Stall("/silent", "");
    server.On("/unannounced", QelServePieces(std::string((1 << 20) + 1, 'x'), true));
    server.On("/dribble", QelServePieces(std::string(100000, 'd'), true, std::chrono::milliseconds(2)));
    server.On("/dribble300", QelServePieces(std::string(300, 'd'), true, std::chrono::milliseconds(2)));
    const struct { const char16_t* verb; const char* path; QelHttpTransferOptions options; int result; std::size_t requests; bool timedOut; } cases[] = {
        {u"GET", "/page", {}, -994, 3, false},
        {u"POST", "/page", {}, 1, 1, false},  // the page test is for GET only
        {u"GET", "/dribble", {.lowSpeedWindowMs = 80}, -994, 3, true},
        {u"GET", "/dribble300", {.lowSpeedBytes = 1, .lowSpeedWindowMs = 300}, 1, 1, false},  // the same pace meets a lower bar
        {u"GET", "/unannounced", {.maxTextBytes = 1 << 20}, -995, 1, false},
        // last: their handlers hold until the end; a body that never starts is a stall too
        {u"GET", "/silent", {.lowSpeedWindowMs = 80}, -994, 3, true},
        {u"GET", "/stall", {.attemptLimitMs = 150}, -994, 3, true},
    };
    for (const auto& c : cases) {
        const std::size_t before = server.Requests().size();
        Exchange x(server.Url(c.path), c.options);
        EXPECT_EQ(x.Send(c.verb), c.result) << c.path;
        EXPECT_EQ(server.Requests().size() - before, c.requests) << c.path;
        EXPECT_EQ(x.transfer.GetLastError() == CURLE_OPERATION_TIMEDOUT, c.timedOut) << c.path;
        EXPECT_EQ(x.Text().empty(), c.result != 1) << c.path;
    }
}

TEST_F(Transfer, CancelEndsASendAtOnceAndRefusesTheNext) {
    server.Stall("/stall");
    Exchange x(server.Url("/stall"));  // the program's limits: 30 s before a stall counts
    std::thread canceller([&] {
        server.WaitForHolders(1);
        x.transfer.Cancel();
    });
    EXPECT_EQ(x.Send(), -994);
    canceller.join();
    EXPECT_EQ(x.Send(), -994);
    EXPECT_EQ(server.Requests().size(), 1u);
}

// A download streams to its file and needs a success status and its whole
// length; one past the disk cap stops there.
TEST_F(Transfer, ADownloadGoesToItsFileAndNeedsASuccessStatusAndItsWholeLength) {
    const std::string file = std::string("MZ\0\x01", 4) + std::string(5000, 'd') + "<html>";
    const std::size_t cap = 1 << 20;
    server.Reply("/sized", file).On("/unsized", QelServePieces(file, false)).On("/chunked", QelServePieces(file, true));
    server.Reply("/missing", "<html>not found</html>", 404).Reply("/moved", "", 300).Reply("/huge", std::string(cap + 1, 'x'));
    server.Stall("/cut", "half");
    server.Release();  // a stall released at once breaks off after its first bytes
    // endKnown: a close-delimited body may have been cut without anyone seeing it
    const struct { const char* path; int result; bool endKnown; } cases[] = {
        {"/sized", 1, true},       {"/unsized", 1, false}, {"/chunked", 1, true},  {"/missing", -994, false},
        {"/moved", -994, false}, {"/cut", -994, false},  {"/huge", -995, false},
    };
    for (const auto& c : cases) {
        QelTestDir dir;
        QelHttpDownloadFile target;
        ASSERT_EQ(target.Open(Q(dir.path()), QelString(u"inst.bin")), 0);
        Exchange x(server.Url(c.path), {.maxFileBytes = cap});
        x.transfer.ReceiveInto(&target);
        EXPECT_EQ(x.Send(), c.result) << c.path;
        EXPECT_EQ(x.transfer.IsBodyEndKnown(), c.endKnown) << c.path;
        QelHttpDownload saved;
        if (c.result != 1) continue;
        ASSERT_TRUE(target.Finish(saved)) << c.path;
        EXPECT_EQ(ReadBytes(dir / "inst.bin"), file) << c.path;
    }
}

// Trust comes only from the options and only under the certificate's name,
// and a refused handshake never sends the request; a server that cannot be
// reached is tried once more through the user's proxy, given the whole URL.
TEST(TransferTrust, OnlyTheOptionsCertificateIsTrustedAndAnUnreachableServerIsTriedThroughTheProxy) {
    QelTestDir dir;
    QelTestHttpServer secure(dir.path()), proxy;
    secure.Reply("/inst.bin", "INST");
    proxy.Reply(".*", "via proxy");
    const std::string unreachable = QelTestHttpServer().Url("/app");  // its port refuses once the server is gone
    const struct { std::string url; bool trusted, hasProxy; int result; const char* text; } cases[] = {
        {secure.Url("/inst.bin", "localhost"), false, false, -994, ""}, {secure.Url("/inst.bin"), true, false, -994, ""},
        {secure.Url("/inst.bin", "localhost"), true, false, 1, "INST"},
        {unreachable, false, true, 1, "via proxy"}, {unreachable, false, false, -997, ""},
    };
    for (const auto& c : cases) {
        std::vector<std::string> asked;
        Exchange x(c.url, {.caFile = c.trusted ? secure.CertFile() : "", .proxyLookup = [&](const std::string& url) {
                               asked.push_back(url);
                               return c.hasProxy ? proxy.Url() : std::string();
                           }});
        EXPECT_EQ(x.Send(), c.result) << c.url;
        EXPECT_EQ(x.Text(), c.text) << c.url;
        EXPECT_EQ(asked, c.url == unreachable ? std::vector<std::string>{c.url} : std::vector<std::string>{}) << c.url;
    }
    EXPECT_EQ(secure.Requests().size(), 1u);
    EXPECT_EQ(proxy.Requests(), std::vector<std::string>{unreachable});
    // Without a lookup of its own, the desktop's configuration names the proxy.
    for (const std::string configured : {"http://127.0.0.1:3128", ""}) {
        ASSERT_EQ(configured.empty() ? ::unsetenv("http_proxy") : ::setenv("http_proxy", configured.c_str(), 1), 0);
        EXPECT_EQ(qel::http::LookupSystemProxy("http://updates.example/app"), configured);
    }
}
