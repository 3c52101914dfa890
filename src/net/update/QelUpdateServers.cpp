#include "QelUpdateServers.h"

#include <arpa/inet.h>
#include <curl/curl.h>

#include <cctype>
#include <memory>

namespace qel {

namespace {

// The text at tree.updateserver.key when it is a non-empty string; const
// access, so nothing is added to a tree that Exit writes back.
QelString ReadUrl(const Json::Value& tree, const char* key) {
    if (!tree.isObject()) return QelString();
    const Json::Value& server = tree[kUpdateServerKey];
    if (!server.isObject()) return QelString();
    const Json::Value& url = server[key];
    if (!url.isString()) return QelString();
    return QelString::FromUtf8(url.asString());
}

QelString WithoutTrailingSlashes(QelString url) {
    int length = url.GetLength();
    while (length > 0 && url[length - 1] == u'/') --length;
    return url.Left(length);
}

QelString PickUrl(CQelJSONFileMng& settings, const char* key, const char16_t* fallback) {
    const Json::Value& user = settings.UserTree();
    const Json::Value& config = settings.ConfigTree();
    for (const Json::Value* tree : {&user, &config}) {
        QelString url = WithoutTrailingSlashes(ReadUrl(*tree, key));
        if (!url.IsEmpty()) return url;
    }
    return QelString(fallback);
}

// A name such as "127.example.org" is not an address: only a numeric host counts.
bool IsLoopbackHost(std::string host) {
    for (char& c : host) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    in_addr v4{};
    if (::inet_pton(AF_INET, host.c_str(), &v4) == 1) return (ntohl(v4.s_addr) >> 24) == 127;
    return host == "localhost" || host == "[::1]";
}

}  // namespace

bool IsTrustedUpdateUrl(const QelString& url) {
    std::unique_ptr<CURLU, decltype(&curl_url_cleanup)> parsed(curl_url(), &curl_url_cleanup);
    const std::string text = url.ToStdString();
    if (!parsed || curl_url_set(parsed.get(), CURLUPART_URL, text.c_str(), 0) != CURLUE_OK) return false;
    char* scheme = nullptr;
    char* host = nullptr;
    bool trusted = false;
    // curl hands out the scheme in lower case and a numeric IPv4 host in dotted form.
    if (curl_url_get(parsed.get(), CURLUPART_SCHEME, &scheme, 0) == CURLUE_OK &&
        curl_url_get(parsed.get(), CURLUPART_HOST, &host, 0) == CURLUE_OK) {
        const std::string_view s(scheme);
        trusted = s == "https" || (s == "http" && IsLoopbackHost(host));
    }
    curl_free(scheme);
    curl_free(host);
    return trusted;
}

QelUpdateServers ReadUpdateServers(CQelJSONFileMng& settings) {
    return QelUpdateServers{PickUrl(settings, kUpdateApiKey, kDefaultUpdateApiUrl),
                            PickUrl(settings, kUpdateFilesKey, kDefaultUpdateFilesUrl)};
}

}  // namespace qel
