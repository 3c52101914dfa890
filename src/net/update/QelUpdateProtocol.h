#pragma once
// The update server's protocol: the two form requests, the JSON replies and
// the way a reply's installer location becomes a download path and a file name.

#include <json/json.h>

#include "QelHttpTypes.h"
#include "QelString.h"

namespace qel::update {

inline constexpr char16_t kAppName[] = u"QelTessary";
// The platform this build runs on, so the server hands out an installer it can run.
inline constexpr char16_t kAppOs[] = u"Linux";
inline constexpr char16_t kRequestPath[] = u"appversion";
inline constexpr char16_t kVersionCommand[] = u"appverchk";
inline constexpr char16_t kFileUrlCommand[] = u"appfileurl";
// The server's document root, which file URLs name; the download path is what follows it.
inline constexpr char16_t kDocumentRootMarker[] = u"/var/www/html/";

inline constexpr char kCodeOk[] = "0000";
inline constexpr char kCodeUpdateExists[] = "0001";

// Field name -> (kind -> value): kind 0 is the command text, kind 1 the input text.
using FormFields = QelHttpFormFields;

// {"cmd": {0: command}, "input": {1: input}}, the input object written on one line
// (members in key order, a line feed at the end). version is left out when empty.
FormFields BuildRequestFields(const char16_t* command, const QelString& version);

// A reply as far as the program reads it. Members that are missing or of
// another type read as empty, so a malformed reply becomes an error reply.
struct Reply {
    bool parsed = false;   // the text is JSON
    QelString msgcode;     // "msgcode" when it is text
    QelString msg;         // "msg" when it is text
    QelString fileUrl;     // "output"."outblk1"."fileurl" when it is text
    bool hasSha256 = false;  // "output"."outblk1"."sha256" present and not null
    QelString sha256;        // its text; any other type reads as empty (never matches)
};
Reply ParseReply(const QelString& text);

// The text after the first document-root marker; false when there is no marker.
bool DownloadPathFromFileUrl(const QelString& fileUrl, QelString& path);
// True when a reply's "sha256" (hexadecimal, any case) names the digest
// actualHex (lower case); a value that is not a SHA-256 never matches.
bool Sha256Matches(const QelString& expected, const std::string& actualHex);

}  // namespace qel::update
