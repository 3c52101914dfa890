#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "../foundation/QelTestDir.h"
#include "QelHttpTransfer.h"
#include "QelTestCertificate.h"
#include "QelTestHttpServer.h"
#include "QelTestMemory.h"

namespace {
QelString Q(const std::string& utf8) { return QelString::FromUtf8(utf8); }

QelHttpTransferOptions NoProxy() {
    QelHttpTransferOptions options;
    options.proxyLookup = [](const std::string&) { return std::string(); };
    return options;
}

struct Progress {
    std::vector<int> percents;
    static void Record(void* self, int percent) { static_cast<Progress*>(self)->percents.push_back(percent); }
};

}  // namespace

TEST(QelHttpTransfer, EachVerbReachesTheServerWithItsBodyAndHeaders) {
    QelTestHttpServer server;
    ASSERT_TRUE(server.IsRunning());
    auto echo = [](const httplib::Request& req, httplib::Response& res) { res.set_content(req.method + ":" + req.body, "text/plain"); };
    server.Routes().Get("/x", echo).Post("/x", echo).Put("/x", echo).Delete("/x", echo);
    struct Case {
        const char* verb;
        const char* method;
        const char* body;
    } cases[] = {{"get", "GET", ""}, {"Post", "POST", "p=1"}, {"PUT", "PUT", "put body"}, {"delete", "DELETE", ""}};
    QelHttpTransfer transfer;
    transfer.SetOptions(NoProxy());
    transfer.SetUrl(Q(server.Url("/x")));
    transfer.SetExtraHeaders(QelString(u"X-Extra: 1\r\nX-Other: two"));
    for (const Case& c : cases) {
        const std::string body = c.body;
        ASSERT_EQ(transfer.Send(Q(c.verb), QelString(u"X-Send: s"), body.empty() ? nullptr : body.data(), body.size()), 1)
            << c.verb;
        EXPECT_EQ(transfer.GetResponseText().ToStdString(), std::string(c.method) + ":" + body);
        const QelRecordedRequest seen = server.Requests().back();
        EXPECT_EQ(seen.method, c.method);
        EXPECT_EQ(seen.body, body);
        EXPECT_EQ(seen.headers.find("User-Agent")->second, "QelHttpClient");
        EXPECT_EQ(seen.headers.find("X-Extra")->second, "1");
        EXPECT_EQ(seen.headers.find("X-Other")->second, "two");
        EXPECT_EQ(seen.headers.find("X-Send")->second, "s");
        EXPECT_EQ(seen.headers.count("Expect"), 0u);
        EXPECT_EQ(seen.headers.count("Content-Type"), 0u);  // nothing the caller did not ask for
    }
    EXPECT_EQ(transfer.GetHost().ToStdString(), "127.0.0.1");
}

TEST(QelHttpTransfer, AStoredBodyFollowsTheSendBodyOnceAndAnExplicitContentLengthIsSentOnce) {
    QelTestHttpServer server;
    server.Routes().Post("/m", [](const httplib::Request&, httplib::Response& res) { res.set_content("ok", "text/plain"); });
    QelHttpTransfer transfer;
    transfer.SetOptions(NoProxy());
    transfer.SetUrl(Q(server.Url("/m")));
    transfer.SetRequestBody({'b', 'o', 'd', 'y'});
    ASSERT_EQ(transfer.Send(QelString(u"POST"), QelString(u"Content-Length: 7"), "ab:", 3), 1);
    ASSERT_EQ(transfer.Send(QelString(u"POST"), QelString(u""), nullptr, 0), 1);
    const std::vector<QelRecordedRequest> seen = server.Requests();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].body, "ab:body");
    EXPECT_EQ(seen[0].headers.count("Content-Length"), 1u);
    EXPECT_EQ(seen[1].body, "");
}

TEST(QelHttpTransfer, BadInputIsRefusedBeforeAnythingIsSent) {
    QelTestHttpServer server;
    struct Case {
        std::string url;
        const char16_t* verb;
        int result;
    } cases[] = {
        {"", u"GET", -999},
        {server.Url("/"), u"PATCH", -998},
        {server.Url("/"), u"", -998},
        {"not a url", u"GET", -997},
        {"ftp://127.0.0.1/file", u"GET", -997},
        {"file:///etc/passwd", u"GET", -997},
    };
    for (const Case& c : cases) {
        QelHttpTransfer transfer;
        transfer.SetOptions(NoProxy());
        transfer.SetUrl(Q(c.url));
        EXPECT_EQ(transfer.Send(QelString(c.verb), QelString(u""), nullptr, 0), c.result) << c.url;
    }
    EXPECT_EQ(server.RequestCount(), 0u);
}

TEST(QelHttpTransfer, AnUnclosedHtmlPageIsTriedThreeTimesAndFails) {
    QelTestHttpServer server;
    auto cut = [](const httplib::Request&, httplib::Response& res) { res.set_content("<HTML><body>half", "text/html"); };
    server.Routes().Get("/page", cut).Post("/page", cut);
    QelHttpTransfer transfer;
    transfer.SetOptions(NoProxy());
    transfer.SetUrl(Q(server.Url("/page")));
    EXPECT_EQ(transfer.Send(QelString(u"GET"), QelString(u""), nullptr, 0), -994);
    EXPECT_EQ(server.RequestCount(), 3u);
    EXPECT_EQ(transfer.Send(QelString(u"POST"), QelString(u""), nullptr, 0), 1);  // the test is for GET only
    EXPECT_EQ(server.RequestCount(), 4u);
}

TEST(QelHttpTransfer, TheHttpStatusOfTextIsNotExamined) {
    QelTestHttpServer server;
    server.Routes().Get("/gone", [](const httplib::Request&, httplib::Response& res) {
        res.status = 404;
        res.set_content("no such page", "text/plain");
    });
    QelHttpTransfer transfer;
    transfer.SetOptions(NoProxy());
    transfer.SetUrl(Q(server.Url("/gone")));
    EXPECT_EQ(transfer.Send(QelString(u"GET"), QelString(u""), nullptr, 0), 1);
    EXPECT_EQ(transfer.GetStatusCode(), 404);
    EXPECT_EQ(transfer.GetResponseText().ToStdString(), "no such page");
}

TEST(QelHttpTransfer, ResponsesAreDecodedByTheirCharset) {
    QelTestHttpServer server;
    struct Case {
        const char* path;
        const char* contentType;
        std::string body;
        std::u16string text;
    } cases[] = {
        {"/u", "text/plain; charset=UTF-8", "\xED\x95\x9C caf\xC3\xA9", u"\uD55C caf\u00E9"},
        {"/l", "text/plain; Charset=utf-8", "caf\xC3\xA9", u"caf\u00E9"},
        {"/i", "text/plain; charset=ISO-8859-1", "caf\xE9", u"caf\u00E9"},
        {"/n", "text/plain", "caf\xC3\xA9", u"caf\u00E9"},
        {"/b", "text/plain", "caf\xE9", u"caf\u00E9"},
    };
    for (const Case& c : cases) {
        server.Routes().Get(c.path, [&c](const httplib::Request&, httplib::Response& res) { res.set_content(c.body, c.contentType); });
    }
    for (const Case& c : cases) {
        QelHttpTransfer transfer;
        transfer.SetOptions(NoProxy());
        transfer.SetUrl(Q(server.Url(c.path)));
        ASSERT_EQ(transfer.Send(QelString(u"GET"), QelString(u""), nullptr, 0), 1) << c.path;
        EXPECT_EQ(transfer.GetResponseText().str(), c.text) << c.path;
    }
}

TEST(QelHttpTransfer, CookiesAndLengthComeFromTheFinalResponseOfARedirect) {
    QelTestHttpServer server;
    server.Routes().Get("/from", [&](const httplib::Request&, httplib::Response& res) {
        res.set_header("Set-Cookie", "old=0");
        res.set_redirect("/to");
    });
    server.Routes().Get("/to", [](const httplib::Request&, httplib::Response& res) {
        res.set_header("Set-Cookie", "a=1");
        res.set_header("Set-Cookie", "b=2");
        res.set_content("0123456789", "text/plain");
    });
    QelHttpTransfer transfer;
    transfer.SetOptions(NoProxy());
    transfer.SetUrl(Q(server.Url("/from")));
    ASSERT_EQ(transfer.Send(QelString(u"GET"), QelString(u""), nullptr, 0), 1);
    EXPECT_EQ(transfer.GetHeaderFacts().cookies, "a=1; b=2;");
    EXPECT_EQ(transfer.GetHeaderFacts().contentLength, 10);
    EXPECT_EQ(transfer.GetResponseText().ToStdString(), "0123456789");
}

TEST(QelHttpTransfer, ProgressReportsPercentagesOfAnAnnouncedLengthEndingAtHundred) {
    QelTestHttpServer server;
    const std::string body(300000, 'p');
    server.Routes().Get("/big", [&](const httplib::Request&, httplib::Response& res) { res.set_content(body, "application/octet-stream"); });
    server.Routes().Get("/chunked", [](const httplib::Request&, httplib::Response& res) {
        res.set_chunked_content_provider("text/plain", [](size_t offset, httplib::DataSink& sink) {
            if (offset == 0) sink.write("abc", 3);
            else sink.done();
            return true;
        });
    });
    Progress progress;
    QelHttpTransfer transfer;
    transfer.SetOptions(NoProxy());
    transfer.SetProgress(&Progress::Record, &progress);
    transfer.SetUrl(Q(server.Url("/big")));
    ASSERT_EQ(transfer.Send(QelString(u"GET"), QelString(u""), nullptr, 0), 1);
    ASSERT_FALSE(progress.percents.empty());
    EXPECT_EQ(progress.percents.back(), 100);
    for (std::size_t i = 1; i < progress.percents.size(); ++i) EXPECT_LE(progress.percents[i - 1], progress.percents[i]);

    progress.percents.clear();
    transfer.SetUrl(Q(server.Url("/chunked")));
    ASSERT_EQ(transfer.Send(QelString(u"GET"), QelString(u""), nullptr, 0), 1);
    EXPECT_TRUE(progress.percents.empty());  // no length, no percentage
}

TEST(QelHttpTransfer, AStalledServerCostsThreeTimedOutAttempts) {
    QelTestHttpServer server;
    server.Routes().Get("/stall", [&](const httplib::Request&, httplib::Response& res) {
        res.set_content_provider(100, "text/plain", [&](size_t, size_t, httplib::DataSink& sink) {
            sink.write("first half", 10);
            server.Hold();
            return false;
        });
    });
    QelHttpTransferOptions options = NoProxy();
    options.attemptLimitMs = 150;
    QelHttpTransfer transfer;
    transfer.SetOptions(options);
    transfer.SetUrl(Q(server.Url("/stall")));
    EXPECT_EQ(transfer.Send(QelString(u"GET"), QelString(u""), nullptr, 0), -994);
    EXPECT_EQ(server.RequestCount(), 3u);
    EXPECT_EQ(transfer.GetLastError(), CURLE_OPERATION_TIMEDOUT);
}

// A dribbling server (one byte every 2 ms) would hold a worker for as long as
// it likes while any bytes move; under 1 KiB per window the attempt ends.
TEST(QelHttpTransfer, LessThanAKibibytePerWindowIsATimeOut) {
    QelTestHttpServer server;
    server.Routes().Get(R"(/dribble/(\d+))", [](const httplib::Request& req, httplib::Response& res) {
        const std::size_t total = std::stoul(req.matches[1]);
        res.set_chunked_content_provider("text/plain", [total](size_t offset, httplib::DataSink& sink) {
            if (offset >= total) {
                sink.done();
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            return sink.write("d", 1);
        });
    });
    const struct {
        long lowSpeedBytes;
        long windowMs;
        const char* path;
        int result;
        std::size_t requests;
    } cases[] = {
        {1024, 80, "/dribble/100000", -994, 3},  // at most 40 bytes per window
        {1, 2000, "/dribble/100", 1, 1},         // the same pace meets a lower bar
    };
    for (const auto& c : cases) {
        const std::size_t before = server.RequestCount();
        QelHttpTransferOptions options = NoProxy();
        options.lowSpeedBytes = c.lowSpeedBytes;
        options.lowSpeedWindowMs = c.windowMs;
        QelHttpTransfer transfer;
        transfer.SetOptions(options);
        transfer.SetUrl(Q(server.Url(c.path)));
        EXPECT_EQ(transfer.Send(QelString(u"GET"), QelString(u""), nullptr, 0), c.result) << c.path;
        EXPECT_EQ(server.RequestCount() - before, c.requests) << c.path;
        if (c.result != 1) {
            EXPECT_EQ(transfer.GetLastError(), CURLE_OPERATION_TIMEDOUT);
        }
    }
}

TEST(QelHttpTransfer, CancelEndsASendAtOnceAndRefusesTheNext) {
    QelTestHttpServer server;
    server.Routes().Get("/stall", [&](const httplib::Request&, httplib::Response& res) {
        res.set_content_provider(100, "text/plain", [&](size_t, size_t, httplib::DataSink& sink) {
            sink.write("part", 4);
            server.Hold();
            return false;
        });
    });
    QelHttpTransfer transfer;
    transfer.SetOptions(NoProxy());  // the program's limits: 30 s before a stall counts
    transfer.SetUrl(Q(server.Url("/stall")));
    std::thread canceller([&] {
        server.WaitForHolders(1);
        transfer.Cancel();
    });
    EXPECT_EQ(transfer.Send(QelString(u"GET"), QelString(u""), nullptr, 0), -994);
    canceller.join();
    EXPECT_EQ(transfer.Send(QelString(u"GET"), QelString(u""), nullptr, 0), -994);
    EXPECT_EQ(server.RequestCount(), 1u);
}

TEST(QelHttpTransfer, AnEndlessTextBodyStopsAtSixteenMebibytesAndKeepsNothingOfIt) {
    QelTestHttpServer server;
    server.Routes().Get("/endless", [](const httplib::Request&, httplib::Response& res) { QelServeEndlessly(res); });
    QelHttpTransfer transfer;
    transfer.SetOptions(NoProxy());
    transfer.SetUrl(Q(server.Url("/endless")));
    const std::size_t before = LiveHeapBytes();
    EXPECT_EQ(transfer.Send(QelString(u"GET"), QelString(u""), nullptr, 0), -995);
    EXPECT_EQ(server.RequestCount(), 1u);
    EXPECT_TRUE(transfer.GetResponseText().IsEmpty());
    EXPECT_LT(LiveHeapBytes(), before + (std::size_t{4} << 20)) << "the 16 MiB read stays allocated";
}

TEST(QelHttpTransfer, ADownloadGoesToItsFileAndNeedsASuccessStatusAndItsWholeLength) {
    QelTestHttpServer server;
    const std::string file = std::string("MZ\0\x01", 4) + std::string(5000, 'd') + "<html>";
    server.Routes().Get("/sized", [&](const httplib::Request&, httplib::Response& res) { res.set_content(file, "application/octet-stream"); });
    server.Routes().Get("/unsized", [&](const httplib::Request&, httplib::Response& res) { QelServeWithoutLength(res, file, false); });
    server.Routes().Get("/chunked", [&](const httplib::Request&, httplib::Response& res) { QelServeWithoutLength(res, file, true); });
    server.Routes().Get("/missing", [](const httplib::Request&, httplib::Response& res) {
        res.status = 404;
        res.set_content("<html>not found</html>", "text/html");
    });
    server.Routes().Get("/cut", [](const httplib::Request&, httplib::Response& res) { QelServeCut(res, 100, std::string(50, 'c')); });
    server.Routes().Get("/huge", [](const httplib::Request&, httplib::Response& res) { QelServeEndlessly(res); });
    struct Case {
        const char* path;
        int result;
        bool endKnown;  // a close-delimited body may have been cut without anyone seeing it
    } cases[] = {
        {"/sized", 1, true},     {"/unsized", 1, false}, {"/chunked", 1, true},
        {"/missing", -994, false}, {"/cut", -994, false},  {"/huge", -995, false},
    };
    for (const Case& c : cases) {
        QelTestDir dir;
        QelHttpDownloadFile target;
        ASSERT_EQ(target.Open(Q(dir.path()), QelString(u"inst.bin")), 0);
        QelHttpTransferOptions options = NoProxy();
        options.maxFileBytes = 1 << 20;
        QelHttpTransfer transfer;
        transfer.SetOptions(options);
        transfer.ReceiveInto(&target);
        transfer.SetUrl(Q(server.Url(c.path)));
        EXPECT_EQ(transfer.Send(QelString(u"GET"), QelString(u""), nullptr, 0), c.result) << c.path;
        EXPECT_EQ(transfer.IsBodyEndKnown(), c.endKnown) << c.path;
        QelHttpDownload saved;
        if (c.result == 1) {
            ASSERT_TRUE(target.Finish(saved)) << c.path;
            EXPECT_EQ(ReadBytes(dir / "inst.bin"), file) << c.path;
            EXPECT_EQ(saved.size, file.size());
        }
        EXPECT_LE(ReadBytes(dir / "inst.bin").size(), std::size_t{1} << 20) << c.path;
    }
}

TEST(QelHttpTransfer, CertificatesAndHostNamesAreVerified) {
    QelTestDir dir;
    const QelTestCertificate cert(dir.path());
    ASSERT_TRUE(cert.ok);
    QelTestHttpServer server(&cert);
    ASSERT_TRUE(server.IsRunning());
    server.Routes().Get("/s", [](const httplib::Request&, httplib::Response& res) { res.set_content("secret", "text/plain"); });
    struct Case {
        bool trustCa;
        const char* host;
        int result;
    } cases[] = {
        {false, "localhost", -994},  // nobody vouches for the server
        {true, "localhost", 1},
        {true, "127.0.0.1", -994},  // trusted, but issued for another name
    };
    for (const Case& c : cases) {
        QelHttpTransferOptions options = NoProxy();
        if (c.trustCa) options.caFile = cert.caFile;
        QelHttpTransfer transfer;
        transfer.SetOptions(options);
        transfer.SetUrl(Q(server.Url("/s", c.host)));
        EXPECT_EQ(transfer.Send(QelString(u"GET"), QelString(u""), nullptr, 0), c.result) << c.host << " " << c.trustCa;
        EXPECT_EQ(transfer.GetResponseText().ToStdString(), c.result == 1 ? "secret" : "") << c.host;
    }
    EXPECT_EQ(server.RequestCount(), 1u);  // refused handshakes never send the request
}

TEST(QelHttpTransfer, AServerThatCannotBeReachedIsTriedThroughTheUsersProxyOrIsAnOpenError) {
    QelTestHttpServer proxy;
    proxy.Routes().Get(".*", [](const httplib::Request&, httplib::Response& res) { res.set_content("via proxy", "text/plain"); });
    const std::string target = "http://127.0.0.1:" + std::to_string(QelClosedPort()) + "/app";
    for (const bool userHasProxy : {true, false}) {
        std::vector<std::string> asked;
        QelHttpTransferOptions options;
        options.proxyLookup = [&](const std::string& url) {
            asked.push_back(url);
            return userHasProxy ? proxy.Url() : std::string();
        };
        QelHttpTransfer transfer;
        transfer.SetOptions(options);
        transfer.SetUrl(Q(target));
        EXPECT_EQ(transfer.Send(QelString(u"GET"), QelString(u""), nullptr, 0), userHasProxy ? 1 : -997);
        EXPECT_EQ(asked, std::vector<std::string>{target});  // once, before the second attempt
        EXPECT_EQ(transfer.GetResponseText().ToStdString(), userHasProxy ? "via proxy" : "");
    }
    ASSERT_EQ(proxy.RequestCount(), 1u);
    EXPECT_EQ(proxy.Requests()[0].target, target);  // the proxy was asked for the whole URL
}

TEST(QelHttpProxy, TheUsersProxyComesFromTheDesktopConfiguration) {
    ASSERT_EQ(::setenv("http_proxy", "http://127.0.0.1:3128", 1), 0);
    EXPECT_EQ(qel::http::LookupSystemProxy("http://updates.example/app"), "http://127.0.0.1:3128");
    ASSERT_EQ(::unsetenv("http_proxy"), 0);
    EXPECT_EQ(qel::http::LookupSystemProxy("http://updates.example/app"), "");  // direct
}
