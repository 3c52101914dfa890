#pragma once
// A real HTTP (or HTTPS) server on a free loopback port for one test. It
// records the target of every request on arrival; a stalled route holds until
// the test releases it or the server ends.

#include <httplib.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class QelTestHttpServer {
public:
    // Given a folder: HTTPS, with a throw-away self-signed certificate made there
    // by the openssl command for the name "localhost" only (CertFile).
    explicit QelTestHttpServer(const std::string& certDir = "") : m_scheme(certDir.empty() ? "http" : "https") {
        const std::string keyFile = certDir + "/server.key";
        m_certFile = certDir + "/server.pem";
        const bool made = !certDir.empty() && std::system(("openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -days 1 "
                                                           "-subj /CN=localhost -addext subjectAltName=DNS:localhost -keyout '" +
                                                           keyFile + "' -out '" + m_certFile + "' 2>/dev/null").c_str()) == 0;
        // Without a certificate it speaks plain HTTP, which no https URL reaches.
        if (made) m_server = std::make_unique<httplib::SSLServer>(m_certFile.c_str(), keyFile.c_str());
        else m_server = std::make_unique<httplib::Server>();
        m_server->set_pre_routing_handler([this](const httplib::Request& req, httplib::Response&) {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_targets.push_back(req.target);
            return httplib::Server::HandlerResponse::Unhandled;
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

    // Answers every verb of the path pattern.
    QelTestHttpServer& On(const std::string& pattern, const httplib::Server::Handler& handler) {
        m_server->Get(pattern, handler).Post(pattern, handler).Put(pattern, handler).Delete(pattern, handler);
        return *this;
    }
    QelTestHttpServer& Reply(const std::string& pattern, const std::string& body, int status = 200) {
        return On(pattern, [=](const httplib::Request&, httplib::Response& res) {
            res.status = status;
            res.set_content(body, "text/plain");
        });
    }
    // Sends the headers and the first bytes of an announced body, then holds until Release.
    QelTestHttpServer& Stall(const std::string& pattern, const std::string& first = "part") {
        return On(pattern, [this, first](const httplib::Request&, httplib::Response& res) {
            res.set_content_provider(100, "text/plain", [this, first](size_t, size_t, httplib::DataSink& sink) {
                if (!first.empty()) sink.write(first.data(), first.size());
                Hold();
                return false;
            });
        });
    }
    const std::string& CertFile() const { return m_certFile; }
    // "http://127.0.0.1:port" (or https://host) followed by path.
    std::string Url(const std::string& path = "", const std::string& host = "127.0.0.1") const {
        return m_scheme + "://" + host + ":" + std::to_string(m_port) + path;
    }
    // Targets as sent (a path, or a whole URL when sent to a proxy), in order of arrival.
    std::vector<std::string> Requests() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_targets;
    }

    // Blocks a handler until Release (or the server's end); WaitForHolders counts it.
    void Hold() {
        std::unique_lock<std::mutex> lock(m_mutex);
        ++m_holders;
        m_changed.notify_all();
        m_changed.wait(lock, [this] { return m_released; });
    }
    // Until count handlers hold (a stalled one after sending its first bytes).
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
    std::string m_scheme, m_certFile;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::string> m_targets;
    int m_holders = 0;
    bool m_released = false;
};

// Bytes in pieces without Content-Length: chunked, or ended by closing the
// connection; with a pace, a byte at a time, each after that pause.
inline httplib::Server::Handler QelServePieces(std::string bytes, bool chunked, std::chrono::milliseconds pace = {}) {
    return [body = std::make_shared<std::string>(std::move(bytes)), chunked, pace](const httplib::Request&, httplib::Response& res) {
        auto provide = [body, pace](size_t offset, httplib::DataSink& sink) {
            if (offset >= body->size()) return sink.done(), true;
            std::this_thread::sleep_for(pace);
            return sink.write(body->data() + offset, std::min<size_t>(pace.count() ? 1 : 4096, body->size() - offset));
        };
        const char* type = "application/octet-stream";
        chunked ? res.set_chunked_content_provider(type, provide) : res.set_content_provider(type, provide);
    };
}
