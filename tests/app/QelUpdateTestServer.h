#pragma once
// A scripted update server on loopback: "POST /appversion" answers each form
// command ("appverchk", "appfileurl") with its canned reply; any GET serves the
// installer in pieces (or an error status), its length announced or not, and
// while the server is held waits for Release first. It records the form
// inputs and the paths asked for.

#include <httplib.h>

#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

constexpr char kVersionExists[] = R"({"msgcode":"0001","msg":"new version"})";
const std::string kInstallerUrl = "/var/www/html/setup/inst.run";

inline std::string FileUrlReply(const std::string& url, const std::string& sha256 = "") {
    return R"({"msgcode":"0000","output":{"outblk1":{"fileurl":")" + url + "\"" + (sha256.empty() ? "" : ",\"sha256\":\"" + sha256 + "\"") + "}}}";
}

class QelUpdateTestServer {
public:
    QelUpdateTestServer(std::map<std::string, std::string> replies, std::string installer, int status = 200,
                        bool announceLength = true, bool held = false)
        : m_held(held) {
        m_server.set_keep_alive_max_count(1);  // no idle connection holds up stop()
        m_server.Post("/appversion", [=, this](const httplib::Request& req, httplib::Response& res) {
            const std::string cmd = req.get_file_value("cmd").content;
            std::lock_guard lock(m_mutex);
            m_forms.push_back(req.get_file_value("input").content);
            res.set_content(replies.contains(cmd) ? replies.at(cmd) : "", "application/json");
        });
        m_server.Get(R"(/.*)", [=, this](const httplib::Request& req, httplib::Response& res) {
            std::unique_lock lock(m_mutex);
            m_gets.push_back(req.path);
            m_released.wait(lock, [this] { return !m_held; });
            lock.unlock();
            if (status != 200) return (void)(res.status = status);
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
    std::vector<std::string> Forms() { return std::lock_guard(m_mutex), m_forms; }  // the "input" field of each form
    std::vector<std::string> Gets() { return std::lock_guard(m_mutex), m_gets; }
    void Release() {
        std::lock_guard lock(m_mutex);
        m_held = false;
        m_released.notify_all();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_released;
    bool m_held;
    std::vector<std::string> m_forms, m_gets;
    httplib::Server m_server;
    int m_port = 0;
    std::thread m_thread;
};
