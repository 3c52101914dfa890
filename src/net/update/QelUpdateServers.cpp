#include "QelUpdateServers.h"

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

}  // namespace

QelUpdateServers ReadUpdateServers(CQelJSONFileMng& settings) {
    return QelUpdateServers{PickUrl(settings, kUpdateApiKey, kDefaultUpdateApiUrl),
                            PickUrl(settings, kUpdateFilesKey, kDefaultUpdateFilesUrl)};
}

}  // namespace qel
