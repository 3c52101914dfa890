#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "QelHttpCallRecorder.h"
#include "QelHttpWorkItem.h"
#include "QelTestHttpServer.h"

// Each request type sends its body and delivers the reply once; an unknown
// type sends nothing, calls nobody and frees the item.
TEST(QelHttpWorkItem, EachRequestTypeSendsItsBodyAndDeliversTheReply) {
    QelTestHttpServer server;
    auto echo = [](const httplib::Request& req, httplib::Response& res) { res.set_content(req.method + ":" + req.body, "text/plain"); };
    server.Routes().Get("/t", echo).Post("/t", echo).Put("/t", echo).Delete("/t", echo);
    const struct {
        int reqtype, datatype;
        const char16_t* httpconhead;
        std::string body;
        std::u16string reply;  // empty: refused
    } cases[] = {
        {0, 0, u"", "", u"GET:"},
        {3, 2, u"", "", u"DELETE:"},
        {2, 0, u"", "put body", u"PUT:put body"},
        {1, 1, u"Content-Type: application/json", "{\"a\":1}", u"POST:{\"a\":1}"},
        {4, 0, u"", "", u""},
    };
    QelHttpCallRecorder recorder;
    QelHttpWorkItem item(5);
    for (const auto& c : cases) {
        QelHttpRequestParams params;
        params.url = QelString::FromUtf8(server.Url("/t"));
        params.reqtype = c.reqtype;
        params.datatype = c.datatype;
        params.httpConHead = QelString(c.httpconhead);
        params.requestBody.assign(c.body.begin(), c.body.end());
        params.callback = &QelHttpCallRecorder::Callback;
        params.context = recorder.Context();
        ASSERT_TRUE(item.Claim());
        EXPECT_FALSE(item.Claim());  // one request at a time
        item.SetParameters(std::move(params), {});
        const bool sent = item.Process();
        EXPECT_EQ(sent, !c.reply.empty()) << c.reqtype;
        EXPECT_FALSE(item.IsInProgress());
        EXPECT_EQ(sent ? item.GetResponseText().str() : u"", c.reply);
    }
    const std::vector<QelHttpCall> results = recorder.WaitForResults(4);
    ASSERT_EQ(results.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(results[i].text, cases[i].reply);
        EXPECT_EQ(results[i].reqtype * 10 + results[i].datatype, cases[i].reqtype * 10 + cases[i].datatype);
    }
    EXPECT_EQ(server.RequestCount(), 4u);
    EXPECT_EQ(server.Requests()[3].headers.find("Content-Type")->second, "application/json");
}
