#pragma once
// QelHttpTransfer: one HTTP exchange at a time over one libcurl easy handle,
// made on the first exchange and kept (with its connections) for the
// transfer's life.
//
// Send tries up to 3 times. An attempt fails when curl fails (no connection,
// time-out, certificate or host name not verified, cut body), when less than
// 1 KiB moves in 30 s, when a GET page holds "<html>" without "</html>", or
// when a download's status is not 2xx or its length differs from its
// Content-Length. When the first attempt did not reach the server, the
// user's proxy (libproxy) is used for the later ones. Certificates and host
// names are always verified.
//
// Memory: a text body is kept until it is decoded (capped at 16 MiB) and its
// buffer is released when Send ends; a download goes straight to its file as
// it arrives (capped at 1 GiB on disk). Past a cap reading stops and Send
// returns -995 at once.
//
// Threads: one thread at a time (the work item's worker) runs Send; the
// progress function is called on that thread during Send. Cancel may be
// called from any thread.

#include <curl/curl.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "QelHttpDownloadFile.h"
#include "QelHttpProxy.h"
#include "QelHttpResponseText.h"
#include "QelHttpTypes.h"
#include "QelString.h"

// Limits and trust of a transfer. The defaults are the program's; tests
// shorten the time-outs and point at their own certificate authority.
struct QelHttpTransferOptions {
    long connectTimeoutMs = 60000;
    // Once the request goes out, an attempt fails when fewer than
    // lowSpeedBytes have moved (either way) within lowSpeedWindowMs.
    long lowSpeedBytes = 1024;
    long lowSpeedWindowMs = 30000;
    long attemptLimitMs = 0;  // whole-attempt limit, 0 for none (the program sets none)
    std::string caFile{};     // PEM file of trusted authorities; empty: the system's
    std::size_t maxTextBytes = qel::http::kMaxTextBytes;
    std::size_t maxFileBytes = qel::http::kMaxFileBytes;
    qel::http::ProxyLookup proxyLookup{};  // empty: libproxy
};

class QelHttpTransfer {
public:
    // Receives the percentage (0 to 100) of a body whose length was announced.
    using ProgressFunction = void (*)(void* context, int percent);

    static constexpr int kAttempts = 3;
    static constexpr const char* kUserAgent = "QelHttpClient";

    QelHttpTransfer();
    QelHttpTransfer(const QelHttpTransfer&) = delete;
    QelHttpTransfer& operator=(const QelHttpTransfer&) = delete;
    virtual ~QelHttpTransfer();  // closes the easy handle and its connections

    // Takes url as the full request URL and drops a stored request body.
    void SetUrl(const QelString& url);
    const QelString& GetUrl() const { return m_url; }
    void SetOptions(const QelHttpTransferOptions& options) { m_options = options; }
    // Null (the default): the body is decoded to text and the HTTP status is
    // not examined. An open file: the body is written into it, and the
    // exchange needs a 2xx status and the whole announced length.
    void ReceiveInto(QelHttpDownloadFile* file) { m_file = file; }
    // Bytes sent after the body given to Send; used by the next Send only.
    void SetRequestBody(std::vector<char> body) { m_requestBody = std::move(body); }
    // Header lines (CR LF separated) added to the next requests.
    void SetExtraHeaders(const QelString& headers) { m_extraHeaders = headers; }
    void SetProgress(ProgressFunction function, void* context) {
        m_progress = function;
        m_progressContext = context;
    }

    // One exchange with verb (GET, POST, PUT or DELETE, any case), extra
    // header lines headers (may be empty) and body (may be null). Returns 1,
    // or -999 (empty URL), -998 (other verb), -997 (the URL does not parse,
    // or no attempt reached the server), -996 (the download's file could not
    // be written), -995 (body past its cap; nothing of it is kept) or -994
    // (no attempt succeeded, or the transfer was cancelled). The response
    // fields below describe the last attempt.
    int Send(const QelString& verb, const QelString& headers, const void* body, std::size_t length);
    // Ends a Send under way at once (it returns -994) and refuses every later
    // one. Any thread.
    void Cancel();

    // The decoded body of the last successful text exchange, else empty.
    const QelString& GetResponseText() const { return m_responseText; }
    // Hands the decoded body over, leaving none.
    QelString TakeResponseText() { return std::move(m_responseText); }
    // After a successful download: the response marked where its body ends
    // (a length, chunked framing or HTTP/2), so a cut connection was not
    // taken for the end.
    bool IsBodyEndKnown() const { return m_endKnown; }
    const std::string& GetResponseHeaders() const { return m_headers; }
    const QelHttpHeaderFacts& GetHeaderFacts() const { return m_facts; }
    long GetStatusCode() const { return m_status; }
    const QelString& GetHost() const { return m_host; }
    // Platform code of the last failing step (curl's code, or 3, 87, 13); informational.
    long GetLastError() const { return m_lastError; }

private:
    enum class Attempt { kDone, kFailed, kUnreached, kTooLarge, kWriteFailed };

    bool PrepareUrl();
    void Configure(const std::string& headerLines);
    Attempt RunAttempt();
    CURLcode Perform();
    bool MovesTooSlowly(std::chrono::steady_clock::time_point now);
    Attempt Judge(CURLcode code);
    bool JudgeDownload();
    bool ReachedServer(CURLcode code) const;  // after a failed attempt
    void UseUserProxy();
    void ReportProgress();

    static std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* self);
    static std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* self);
    static int OnProgress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t);

    CURL* m_curl = nullptr;
    CURLM* m_multi = nullptr;  // runs m_curl so that Cancel can wake it; made with the transfer
    std::atomic<bool> m_cancelled{false};
    curl_slist* m_headerList = nullptr;  // owned; lives while the handle may use it
    QelHttpTransferOptions m_options;
    QelHttpDownloadFile* m_file = nullptr;  // not owned; null for text
    QelString m_url;
    std::string m_urlBytes;
    bool m_secure = false;  // the URL's scheme is https
    std::string m_method;   // verb of the running Send, upper case
    QelString m_host;
    QelString m_extraHeaders;
    std::vector<char> m_requestBody;
    std::string m_sendBody;  // what goes on the wire during one Send
    ProgressFunction m_progress = nullptr;
    void* m_progressContext = nullptr;

    std::string m_headers;  // raw headers of the last response (of the last redirect hop)
    QelHttpHeaderFacts m_facts;
    std::string m_raw;      // text body bytes, at most the cap; released when Send ends
    std::uint64_t m_received = 0;  // body bytes of this attempt
    bool m_overCap = false;
    bool m_fileFailed = false;     // the download's file refused a write
    bool m_endKnown = false;
    // The low-speed window: its start and the bytes moved by then.
    std::chrono::steady_clock::time_point m_windowStart;
    curl_off_t m_windowBytes = -1;  // -1 until the request has gone out
    std::size_t m_reported = SIZE_MAX;  // byte count of the last progress report
    QelString m_responseText;
    long m_status = 0;
    long m_lastError = 0;
};
