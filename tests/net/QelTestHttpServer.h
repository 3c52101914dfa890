#pragma once
// A real HTTP (or HTTPS) server on a free loopback port for one test. It
// records every request it receives, and offers a gate a handler can hold at
// (a stalled server) until the test releases it or the server ends.

#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "QelTestCertificate.h"

struct QelRecordedRequest {
    std::string method;
    std::string target;  // as sent: a path, or a whole URL when sent to a proxy
    httplib::Headers headers;
    std::string body;  // empty for a multipart body, which the server takes apart
};

class QelTestHttpServer {
public:
    explicit QelTestHttpServer(const QelTestCertificate* tls = nullptr) : m_scheme(tls ? "https" : "http") {
        if (tls) m_server = std::make_unique<httplib::SSLServer>(tls->certFile.c_str(), tls->keyFile.c_str());
        else m_server = std::make_unique<httplib::Server>();
        // A request counts on arrival (so a held one counts); it is recorded once its handler has run.
        m_server->set_pre_routing_handler([this](const httplib::Request&, httplib::Response&) {
            ++m_arrived;
            return httplib::Server::HandlerResponse::Unhandled;
        });
        m_server->set_post_routing_handler([this](const httplib::Request& req, httplib::Response&) {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_requests.push_back({req.method, req.target, req.headers, req.body});
        });
        // A connection the client keeps open would hold one of the server's few threads.
        m_server->set_keep_alive_max_count(1);
        if (!m_server->is_valid() || (m_port = m_server->bind_to_any_port("127.0.0.1")) <= 0) return;
        m_thread = std::thread([this] { m_server->listen_after_bind(); });
        // A stop before the loop runs would be lost, and the loop would never end.
        while (!m_server->is_running()) std::this_thread::yield();
    }
    ~QelTestHttpServer() {
        Release();
        m_server->stop();
        if (m_thread.joinable()) m_thread.join();
    }

    httplib::Server& Routes() { return *m_server; }
    // "http://127.0.0.1:port" (or https://host) followed by path.
    std::string Url(const std::string& path = "", const std::string& host = "127.0.0.1") const {
        return m_scheme + "://" + host + ":" + std::to_string(m_port) + path;
    }
    // Answered requests in the order their handlers finished.
    std::vector<QelRecordedRequest> Requests() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_requests;
    }
    std::size_t RequestCount() const { return m_arrived; }

    // Called by a handler: blocks until Release or the server's end.
    void Hold() {
        std::unique_lock<std::mutex> lock(m_mutex);
        ++m_holders;
        m_changed.notify_all();
        m_changed.wait(lock, [this] { return m_released; });
        --m_holders;
    }
    void WaitForHolders(int count) {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait(lock, [&] { return m_holders >= count; });
    }
    void Release() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_released = true;
        m_changed.notify_all();
    }

private:
    std::unique_ptr<httplib::Server> m_server;
    std::thread m_thread;
    int m_port = -1;
    std::string m_scheme;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<QelRecordedRequest> m_requests;
    std::atomic<std::size_t> m_arrived{0};
    int m_holders = 0;
    bool m_released = false;
};

// A port on loopback that refuses connections: bound, never listening, kept open.
inline int QelClosedPort() {
    static const int port = [] {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof addr;
        const bool bound = fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
                           ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) == 0;
        return bound ? static_cast<int>(ntohs(addr.sin_port)) : -1;
    }();
    return port;
}

// Canned bodies: bytes in pieces without Content-Length (chunked, or ended by
// closing the connection); a body that announces more than it sends and then
// breaks off; a chunked body that never ends.
inline void QelServeWithoutLength(httplib::Response& res, std::string bytes, bool chunked) {
    auto provide = [body = std::make_shared<std::string>(std::move(bytes))](size_t offset, httplib::DataSink& sink) {
        if (offset >= body->size()) return sink.done(), true;
        return sink.write(body->data() + offset, std::min<size_t>(4096, body->size() - offset));
    };
    const char* type = "application/octet-stream";
    chunked ? res.set_chunked_content_provider(type, provide) : res.set_content_provider(type, provide);
}
inline void QelServeCut(httplib::Response& res, std::size_t announced, std::string sent) {
    res.set_content_provider(announced, "application/octet-stream", [sent](size_t, size_t, httplib::DataSink& sink) {
        sink.write(sent.data(), sent.size());
        return false;  // breaks the connection
    });
}
// Sends the headers and the first bytes of an announced body to a GET or POST,
// then holds until the server ends.
inline void QelServeStalled(QelTestHttpServer& server, const std::string& path, std::string first = "part") {
    auto stall = [&server, first](const httplib::Request&, httplib::Response& res) {
        res.set_content_provider(100, "text/plain", [&server, first](size_t, size_t, httplib::DataSink& sink) {
            if (!first.empty()) sink.write(first.data(), first.size());
            server.Hold();
            return false;
        });
    };
    server.Routes().Get(path, stall).Post(path, stall);
}
inline void QelServeEndlessly(httplib::Response& res) {
    res.set_chunked_content_provider("text/plain", [](size_t, httplib::DataSink& sink) {
        static const std::string block(64 * 1024, 'x');
        return sink.write(block.data(), block.size());
    });
}
