#include "QelTestHttpServer.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "QelTestCertificate.h"

QelTestHttpServer::QelTestHttpServer(const QelTestCertificate* tls) : m_scheme(tls ? "https" : "http") {
    if (tls) {
        m_server = std::make_unique<httplib::SSLServer>(tls->certFile.c_str(), tls->keyFile.c_str());
    } else {
        m_server = std::make_unique<httplib::Server>();
    }
    // A request is recorded on arrival (so a held one counts) and its body,
    // read only during routing, is added before the response goes out.
    m_server->set_pre_routing_handler([this](const httplib::Request& req, httplib::Response&) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_open[&req] = m_requests.size();
        m_requests.push_back({req.method, req.target, req.headers, "", {}});
        return httplib::Server::HandlerResponse::Unhandled;
    });
    m_server->set_post_routing_handler([this](const httplib::Request& req, httplib::Response&) {
        std::lock_guard<std::mutex> lock(m_mutex);
        const auto open = m_open.find(&req);
        if (open == m_open.end()) return;
        m_requests[open->second].body = req.body;
        m_requests[open->second].parts = req.files;
        m_open.erase(open);
    });
    if (!m_server->is_valid()) return;
    // One request per connection: a connection the client keeps open would
    // hold one of the server's few threads until its keep-alive time ends.
    m_server->set_keep_alive_max_count(1);
    m_port = m_server->bind_to_any_port("127.0.0.1");
    if (m_port <= 0) return;
    m_thread = std::thread([this] { m_server->listen_after_bind(); });
    // A stop before the loop runs would be lost, and the loop would never end.
    while (!m_server->is_running()) std::this_thread::yield();
}

QelTestHttpServer::~QelTestHttpServer() {
    Release();
    m_server->stop();
    if (m_thread.joinable()) m_thread.join();
}

std::string QelTestHttpServer::Url(const std::string& path, const std::string& host) const {
    return m_scheme + "://" + host + ":" + std::to_string(m_port) + path;
}

std::vector<QelRecordedRequest> QelTestHttpServer::Requests() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_requests;
}

std::size_t QelTestHttpServer::RequestCount() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_requests.size();
}

void QelTestHttpServer::Hold() {
    std::unique_lock<std::mutex> lock(m_mutex);
    ++m_holders;
    m_changed.notify_all();
    m_changed.wait(lock, [this] { return m_released; });
    --m_holders;
}

void QelTestHttpServer::WaitForHolders(int count) {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait(lock, [&] { return m_holders >= count; });
}

void QelTestHttpServer::Release() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_released = true;
    m_changed.notify_all();
}

int QelClosedPort() {
    // Bound but never listening, and kept open: the port refuses every connection.
    static const int port = [] {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof addr;
        if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
            ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0)
            return -1;
        return static_cast<int>(ntohs(addr.sin_port));
    }();
    return port;
}

void QelServeWithoutLength(httplib::Response& res, std::string bytes, bool chunked) {
    auto body = std::make_shared<std::string>(std::move(bytes));
    auto provide = [body](size_t offset, httplib::DataSink& sink) {
        if (offset < body->size()) {
            sink.write(body->data() + offset, std::min<size_t>(4096, body->size() - offset));
        } else {
            sink.done();
        }
        return true;
    };
    const char* type = "application/octet-stream";
    chunked ? res.set_chunked_content_provider(type, provide) : res.set_content_provider(type, provide);
}

void QelServeCut(httplib::Response& res, std::size_t announced, std::string sent) {
    res.set_content_provider(announced, "application/octet-stream", [sent](size_t, size_t, httplib::DataSink& sink) {
        sink.write(sent.data(), sent.size());
        return false;  // breaks the connection
    });
}

void QelServeEndlessly(httplib::Response& res) {
    res.set_chunked_content_provider("text/plain", [](size_t, httplib::DataSink& sink) {
        static const std::string block(64 * 1024, 'x');
        return sink.write(block.data(), block.size());
    });
}
