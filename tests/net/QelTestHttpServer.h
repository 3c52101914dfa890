#pragma once
// A real HTTP (or HTTPS) server on a free loopback port for one test. It
// records every request it receives before routing it, and offers a gate a
// handler can hold at (a stalled server) until the test releases it or the
// server ends.

#include <httplib.h>

#include <condition_variable>
#include <cstddef>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct QelTestCertificate;

struct QelRecordedRequest {
    std::string method;
    std::string target;  // as sent: a path, or a whole URL when sent to a proxy
    httplib::Headers headers;
    std::string body;                 // empty for a multipart body, which the server takes apart:
    httplib::MultipartFormDataMap parts;  // name -> content, filename, content type
};

class QelTestHttpServer {
public:
    // Plain HTTP, or HTTPS with the certificate's server files.
    explicit QelTestHttpServer(const QelTestCertificate* tls = nullptr);
    ~QelTestHttpServer();  // opens the gate, stops and joins
    QelTestHttpServer(const QelTestHttpServer&) = delete;
    QelTestHttpServer& operator=(const QelTestHttpServer&) = delete;

    httplib::Server& Routes() { return *m_server; }
    bool IsRunning() const { return m_port > 0; }
    int Port() const { return m_port; }
    // "http://127.0.0.1:port" (or https://host) followed by path.
    std::string Url(const std::string& path = "", const std::string& host = "127.0.0.1") const;

    // Requests in arrival order; a body is there once its handler has run.
    std::vector<QelRecordedRequest> Requests() const;
    std::size_t RequestCount() const;

    // Called by a handler: blocks until Release or the server's end.
    void Hold();
    // Blocks until count handlers are holding at once.
    void WaitForHolders(int count);
    void Release();

private:
    std::unique_ptr<httplib::Server> m_server;
    std::thread m_thread;
    int m_port = -1;
    std::string m_scheme;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<QelRecordedRequest> m_requests;
    std::map<const httplib::Request*, std::size_t> m_open;  // arrived, body not yet recorded
    int m_holders = 0;
    bool m_released = false;
};

// A port on loopback that refuses connections (nothing listens there).
int QelClosedPort();

// Canned bodies: bytes in small pieces without Content-Length (chunked, or
// ended by closing the connection); a body that announces more than it
// sends and then breaks off; and a chunked body that never ends.
void QelServeWithoutLength(httplib::Response& res, std::string bytes, bool chunked);
void QelServeCut(httplib::Response& res, std::size_t announced, std::string sent);
void QelServeEndlessly(httplib::Response& res);
