#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "QelHttpCallRecorder.h"
#include "QelHttpWorkItem.h"
#include "QelTestHttpServer.h"

TEST(QelHttpWorkItem, EachRequestTypeSendsItsBodyAndDeliversTheReply) {
    QelTestHttpServer server;
    auto echo = [](const httplib::Request& req, httplib::Response& res) { res.set_content(req.method + ":" + req.body, "text/plain"); };
    server.Routes().Get("/t", echo).Post("/t", echo).Put("/t", echo).Delete("/t", echo);
    struct Case {
        int reqtype;
        int datatype;
        const char16_t* httpconhead;
        std::string body;
        std::u16string reply;
    } cases[] = {
        {0, 0, u"", "", u"GET:"},
        {3, 2, u"", "", u"DELETE:"},
        {2, 0, u"", "put body", u"PUT:put body"},
        {1, 1, u"Content-Type: application/json", "{\"a\":1}", u"POST:{\"a\":1}"},
    };
    QelHttpCallRecorder recorder;
    QelHttpWorkItem item(5);
    for (const Case& c : cases) {
        QelHttpRequestParams params;
        params.url = QelString::FromUtf8(server.Url("/t"));
        params.reqtype = c.reqtype;
        params.datatype = c.datatype;
        params.httpConHead = QelString(c.httpconhead);
        params.requestBody.assign(c.body.begin(), c.body.end());
        params.callback = &QelHttpCallRecorder::Callback;
        params.context = recorder.Context();
        ASSERT_TRUE(item.Claim());
        item.SetParameters(std::move(params), {});
        EXPECT_TRUE(item.Process());
        EXPECT_FALSE(item.IsInProgress());
        EXPECT_EQ(item.GetResponseText().str(), c.reply);
    }
    const std::vector<QelHttpCall> results = recorder.WaitForResults(4);
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(results[i].text, cases[i].reply);
        EXPECT_EQ(results[i].reqtype, cases[i].reqtype);
        EXPECT_EQ(results[i].datatype, cases[i].datatype);
    }
    EXPECT_EQ(server.Requests()[3].headers.find("Content-Type")->second, "application/json");
}

TEST(QelHttpWorkItem, AnUnknownRequestTypeSendsNothingCallsNobodyAndFreesTheItem) {
    QelTestHttpServer server;
    QelHttpCallRecorder recorder;
    QelHttpRequestParams params;
    params.url = QelString::FromUtf8(server.Url("/t"));
    params.reqtype = 4;
    params.callback = &QelHttpCallRecorder::Callback;
    params.context = recorder.Context();
    QelHttpWorkItem item(0);
    ASSERT_TRUE(item.Claim());
    EXPECT_FALSE(item.Claim());  // one request at a time
    item.SetParameters(std::move(params), {});
    EXPECT_FALSE(item.Process());
    EXPECT_FALSE(item.IsInProgress());
    EXPECT_TRUE(recorder.Calls().empty());
    EXPECT_EQ(server.RequestCount(), 0u);
}
