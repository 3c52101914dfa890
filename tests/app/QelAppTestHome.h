#pragma once
// A program folder of its own for one test (config/ and user/ below a fresh
// folder in /tmp), and an environment variable set for one scope.

#include <QByteArray>
#include <QtGlobal>
#include <json/json.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "CQelDirMng.h"

class QelAppTestHome {
public:
    QelAppTestHome() {
        char name[] = "/tmp/qelapptest-XXXXXX";
        m_path = ::mkdtemp(name) ? name : "";
        CQelDirMng::GetInstance()->SetModuleDir(QelString::FromFileName(m_path));
    }
    ~QelAppTestHome() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    QelAppTestHome(const QelAppTestHome&) = delete;

    const std::string& path() const { return m_path; }
    std::string operator/(const std::string& leaf) const { return m_path + "/" + leaf; }
    void WriteFile(const std::string& leaf, const std::string& text) const {
        std::filesystem::create_directories(std::filesystem::path(*this / leaf).parent_path());
        std::ofstream(*this / leaf, std::ios::binary) << text;
    }
    std::string ReadFile(const std::string& leaf) const {
        std::ifstream in(*this / leaf, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    void WriteConfigEnv(const std::string& json) const { WriteFile("config/env.json", json); }
    void WriteUserEnv(const std::string& json) const { WriteFile("user/env.json", json); }
    // The user's env.json as written by the program; null when missing or unreadable.
    Json::Value ReadUserEnv() const {
        Json::Value value;
        return Json::Reader().parse(ReadFile("user/env.json"), value) ? value : Json::Value();
    }

private:
    std::string m_path;
};

class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value)
        : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_old(qgetenv(name)) {
        qputenv(name, QByteArray::fromStdString(value));
    }
    ~ScopedEnv() { m_had ? (void)qputenv(m_name, m_old) : (void)qunsetenv(m_name); }
    ScopedEnv(const ScopedEnv&) = delete;

private:
    const char* m_name;
    bool m_had;
    QByteArray m_old;
};
