#pragma once
// A scripted update server on loopback: "POST /appversion" answers each form
// command with its canned reply, any GET serves the installer (or an error
// status), its length announced or not. It records the form inputs and the
// paths asked for. Both of the program's sessions can point at it.

#include <httplib.h>

#include <algorithm>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class QelUpdateTestServer {
public:
    // replies: form command ("appverchk", "appfileurl") -> reply body. before runs on a server
    // thread with each form command, or with "GET" before the installer is served.
    QelUpdateTestServer(std::map<std::string, std::string> replies, std::string installer, int status = 200,
                        bool announceLength = true, std::function<void(const std::string&)> before = {}) {
        m_server.set_keep_alive_max_count(1);  // no idle connection holds up stop()
        m_server.Post("/appversion", [=, this](const httplib::Request& req, httplib::Response& res) {
            const std::string cmd = req.get_file_value("cmd").content;
            Record(m_forms, req.get_file_value("input").content);
            if (before) before(cmd);
            res.set_content(replies.contains(cmd) ? replies.at(cmd) : "", "application/json");
        });
        m_server.Get(R"(/.*)", [=, this](const httplib::Request& req, httplib::Response& res) {
            Record(m_gets, req.path);
            if (before) before("GET");
            if (status != 200) {
                res.status = status;
                res.set_content("<html><body>Not Found</body></html>", "text/html");
                return;
            }
            // Sent in pieces, so the client sees it arrive.
            auto piece = [installer](std::size_t offset, httplib::DataSink& sink) {
                if (offset >= installer.size()) return sink.done(), true;
                return sink.write(installer.data() + offset, std::min<std::size_t>(installer.size() - offset, 65536));
            };
            if (!announceLength) return res.set_content_provider("application/octet-stream", piece);
            res.set_content_provider(installer.size(), "application/octet-stream",
                                     [piece](std::size_t offset, std::size_t, httplib::DataSink& sink) { return piece(offset, sink); });
        });
        m_port = m_server.bind_to_any_port("127.0.0.1");
        m_thread = std::thread([this] { m_server.listen_after_bind(); });
        while (!m_server.is_running()) std::this_thread::yield();  // a stop before the loop runs is lost
    }
    ~QelUpdateTestServer() {
        Release();
        m_server.stop();
        m_thread.join();
    }

    std::string BaseUrl() const { return "http://127.0.0.1:" + std::to_string(m_port); }
    std::vector<std::string> Forms() const { return Copy(m_forms); }  // the "input" field of each form
    std::vector<std::string> Gets() const { return Copy(m_gets); }
    // Called by before: blocks until Release or the server's end.
    void Hold() {
        std::unique_lock lock(m_mutex);
        m_released.wait(lock, [this] { return m_open; });
    }
    void Release() {
        std::lock_guard lock(m_mutex);
        m_open = true;
        m_released.notify_all();
    }

private:
    void Record(std::vector<std::string>& list, const std::string& item) {
        std::lock_guard lock(m_mutex);
        list.push_back(item);
    }
    std::vector<std::string> Copy(const std::vector<std::string>& list) const {
        std::lock_guard lock(m_mutex);
        return list;
    }

    mutable std::mutex m_mutex;
    std::condition_variable m_released;
    bool m_open = false;
    std::vector<std::string> m_forms, m_gets;
    httplib::Server m_server;
    int m_port = 0;
    std::thread m_thread;
};
