#pragma once
// A scripted update server on loopback: "POST /appversion" answers each form
// command with its canned reply, any GET serves the installer (or an error
// status), its length announced or not. Both of the program's sessions can point at it.

#include <functional>
#include <map>

#include "../net/QelTestHttpServer.h"

struct QelUpdateTestServer : QelTestHttpServer {
    // replies: form command ("appverchk", "appfileurl") -> reply body; before runs on a server
    // thread with each form command, or with "GET" before the installer is served.
    QelUpdateTestServer(std::map<std::string, std::string> replies, std::string installer, int status = 200,
                        bool announceLength = true, std::function<void(const std::string&)> before = {}) {
        Routes().Post("/appversion", [=](const httplib::Request& req, httplib::Response& res) {
            const std::string cmd = req.get_file_value("cmd").content;
            if (before) before(cmd);
            res.set_content(replies.contains(cmd) ? replies.at(cmd) : "", "application/json");
        });
        Routes().Get(R"(/.*)", [=](const httplib::Request&, httplib::Response& res) {
            if (before) before("GET");
            if (status != 200) {
                res.status = status;
                res.set_content("<html><body>Not Found</body></html>", "text/html");
            } else if (!announceLength) {
                QelServeWithoutLength(res, installer, false);
            } else {
                res.set_content(installer, "application/octet-stream");
            }
        });
    }
    std::string BaseUrl() const { return Url(); }
    // The "input" field of each form received, in order.
    std::vector<std::string> Forms() const {
        std::vector<std::string> out;
        for (const QelRecordedRequest& r : Requests())
            if (r.method == "POST") out.push_back(r.parts.count("input") ? r.parts.find("input")->second.content : "");
        return out;
    }
    std::vector<std::string> Gets() const {
        std::vector<std::string> out;
        for (const QelRecordedRequest& r : Requests())
            if (r.method == "GET") out.push_back(r.target.substr(0, r.target.find('?')));
        return out;
    }
};
