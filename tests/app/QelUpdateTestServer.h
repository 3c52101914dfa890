#pragma once
// A scripted update server on loopback: "POST /appversion" answers each form
// command ("appverchk", "appfileurl") with its canned reply; any GET serves the
// installer in pieces (or an error status), its length announced or not, and
// while the server is held waits for Release first.
#include <map>

#include "../net/QelTestHttpServer.h"

constexpr char kVersionExists[] = R"({"msgcode":"0001","msg":"new version"})";
const std::string kInstallerUrl = "/var/www/html/setup/inst.run";

inline std::string FileUrlReply(const std::string& url, const std::string& sha256 = "") {
    return R"({"msgcode":"0000","output":{"outblk1":{"fileurl":")" + url + "\"" + (sha256.empty() ? "" : ",\"sha256\":\"" + sha256 + "\"") + "}}}";
}

class QelUpdateTestServer : public QelTestHttpServer {
public:
    QelUpdateTestServer(std::map<std::string, std::string> replies, std::string installer, int status = 200,
                        bool announceLength = true, bool held = false) {
        On("/appversion", [=, this](const httplib::Request& req, httplib::Response& res) {
            const std::string cmd = req.get_file_value("cmd").content;
            std::lock_guard lock(m_mutex);
            m_forms.push_back(req.get_file_value("input").content);
            res.set_content(replies.contains(cmd) ? replies.at(cmd) : "", "application/json");
        });
        On(R"(/.*)", [=, this](const httplib::Request& req, httplib::Response& res) {
            if (held) Hold();
            if (status != 200) return (void)(res.status = status);
            if (!announceLength) return QelServePieces(installer, false)(req, res);
            res.set_content_provider(installer.size(), "application/octet-stream", [installer](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                return sink.write(installer.data() + offset, std::min<std::size_t>(installer.size() - offset, 65536));
            });
        });
    }
    std::vector<std::string> Forms() {  // the "input" field of each form
        std::lock_guard lock(m_mutex);
        return m_forms;
    }
    std::vector<std::string> Gets() {  // the installer paths asked for (no query)
        std::vector<std::string> gets;
        for (const std::string& target : Requests())
            if (target != "/appversion") gets.push_back(target.substr(0, target.find('?')));
        return gets;
    }

private:
    std::mutex m_mutex;
    std::vector<std::string> m_forms;
};
