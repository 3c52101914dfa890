#pragma once
// A scripted update server on loopback: "POST /appversion" answers each form
// command with its canned reply, any GET serves the installer (or an error
// status), with its length announced or ended by closing the connection. It
// records what it received. Both of the program's sessions can point at it.

#include <httplib.h>

#include <algorithm>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class QelUpdateTestServer {
public:
    struct Form {
        std::string cmd;
        std::string input;
    };

    // replies: form command ("appverchk", "appfileurl") -> reply body.
    QelUpdateTestServer(std::map<std::string, std::string> replies, std::string installer, int installerStatus = 200,
                        bool announceLength = true)
        : m_replies(std::move(replies)),
          m_installer(std::move(installer)),
          m_installerStatus(installerStatus),
          m_announceLength(announceLength) {
        m_server.set_keep_alive_max_count(1);  // no idle connection holds up stop()
        m_server.Post("/appversion", [this](const httplib::Request& req, httplib::Response& res) {
            const Form form{req.get_file_value("cmd").content, req.get_file_value("input").content};
            if (beforeReply) beforeReply(form.cmd);
            std::lock_guard lock(m_mutex);
            m_forms.push_back(form);
            const auto reply = m_replies.find(form.cmd);
            res.set_content(reply == m_replies.end() ? "" : reply->second, "application/json");
        });
        m_server.Get(R"(/.*)", [this](const httplib::Request& req, httplib::Response& res) {
            {
                std::lock_guard lock(m_mutex);
                m_gets.push_back(req.path);
            }
            if (beforeInstaller) beforeInstaller();
            if (m_installerStatus != 200) {
                res.status = m_installerStatus;
                res.set_content("<html><body>Not Found</body></html>", "text/html");
                return;
            }
            // Sent in pieces, so the client sees it arrive.
            if (!m_announceLength) {
                res.set_content_provider("application/octet-stream", [this](std::size_t offset, httplib::DataSink& sink) {
                    if (offset < m_installer.size()) {
                        sink.write(m_installer.data() + offset, std::min<std::size_t>(m_installer.size() - offset, 65536));
                    } else {
                        sink.done();
                    }
                    return true;
                });
                return;
            }
            res.set_content_provider(m_installer.size(), "application/octet-stream",
                                     [this](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
                                         sink.write(m_installer.data() + offset, std::min<std::size_t>(length, 65536));
                                         return true;
                                     });
        });
        m_port = m_server.bind_to_any_port("127.0.0.1");
        m_thread = std::thread([this] { m_server.listen_after_bind(); });
    }
    ~QelUpdateTestServer() {
        while (!m_server.is_running()) std::this_thread::yield();  // a stop before the loop runs is lost
        m_server.stop();
        m_thread.join();
    }

    std::string BaseUrl() const { return "http://127.0.0.1:" + std::to_string(m_port); }
    // Called on a server thread with each form command before it is answered;
    // set before the first request.
    std::function<void(const std::string& cmd)> beforeReply;
    // Called on a server thread before the installer is served; set before the first request.
    std::function<void()> beforeInstaller;
    std::vector<Form> Forms() const {
        std::lock_guard lock(m_mutex);
        return m_forms;
    }
    std::vector<std::string> Gets() const {
        std::lock_guard lock(m_mutex);
        return m_gets;
    }

private:
    const std::map<std::string, std::string> m_replies;
    const std::string m_installer;
    const int m_installerStatus;
    const bool m_announceLength;
    mutable std::mutex m_mutex;
    std::vector<Form> m_forms;
    std::vector<std::string> m_gets;
    httplib::Server m_server;
    int m_port = 0;
    std::thread m_thread;
};
