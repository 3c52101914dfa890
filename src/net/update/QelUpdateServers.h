#pragma once
// Where the update check goes: the update API (HTTP client session 1) and the
// file server that hands out installers (session 3). A packager sets both in
// the shipped config/env.json under "updateserver"; a user's env.json may
// override them.

#include "CQelJSONFileMng.h"
#include "QelString.h"

namespace qel {

inline constexpr char kUpdateServerKey[] = "updateserver";
inline constexpr char kUpdateApiKey[] = "api";
inline constexpr char kUpdateFilesKey[] = "files";

// The same placeholders as the shipped config/env.json, for a settings file
// that lacks the key.
inline constexpr char16_t kDefaultUpdateApiUrl[] = u"https://update.corvane.example.org:7530";
inline constexpr char16_t kDefaultUpdateFilesUrl[] = u"https://update.corvane.example.org:8080";

inline constexpr int kUpdateApiSession = 1;
inline constexpr int kUpdateFilesSession = 3;

struct QelUpdateServers {
    QelString api;    // base URL, no trailing "/"
    QelString files;  // base URL, no trailing "/"
};

// Each URL from the user tree, else the config tree, else the default above;
// only a non-empty text counts. Reads without inserting anything into the trees.
QelUpdateServers ReadUpdateServers(CQelJSONFileMng& settings);

// True for an https URL, and for an http URL whose host is this machine
// (127.0.0.0/8, ::1, localhost): the installer is started as root, so it
// must not come over a channel anyone on the way can rewrite.
bool IsTrustedUpdateUrl(const QelString& url);

}  // namespace qel
