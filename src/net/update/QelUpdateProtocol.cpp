#include "QelUpdateProtocol.h"

#include <cctype>

#include "QelJsonText.h"
#include "QelJsonParse.h"

namespace qel::update {

namespace {

QelString TextMember(const Json::Value& object, const char* key) {
    if (!object.isObject()) return QelString(u"");
    const Json::Value& value = object[key];
    return value.isString() ? QelString::FromUtf8(value.asString()) : QelString(u"");
}

const Json::Value& Member(const Json::Value& object, const char* key) {
    static const Json::Value kNull;
    return object.isObject() ? object[key] : kNull;
}

}  // namespace

FormFields BuildRequestFields(const char16_t* command, const QelString& version) {
    Json::Value input(Json::objectValue);
    input["appname"] = QelString(kAppName).ToStdString();
    input["appos"] = QelString(kAppOs).ToStdString();
    if (!version.IsEmpty()) input["appversion"] = version.ToStdString();
    FormFields fields;
    fields[QelString(u"cmd")][0] = QelString(command);
    fields[QelString(u"input")][1] = QelString::FromUtf8(WriteJsonText(input, false));
    return fields;
}

Reply ParseReply(const QelString& text) {
    Reply reply;
    Json::Value root;
    reply.parsed = qel::ParseJsonCpp(text.ToStdString(), root);
    if (!reply.parsed) return reply;
    reply.msgcode = TextMember(root, "msgcode");
    reply.msg = TextMember(root, "msg");
    const Json::Value& block = Member(Member(root, "output"), "outblk1");
    reply.fileUrl = TextMember(block, "fileurl");
    const Json::Value& sha = Member(block, "sha256");
    reply.hasSha256 = !sha.isNull();
    reply.sha256 = TextMember(block, "sha256");
    return reply;
}

bool DownloadPathFromFileUrl(const QelString& fileUrl, QelString& path) {
    const QelString marker(kDocumentRootMarker);
    const int at = fileUrl.Find(marker);
    if (at < 0) return false;
    path = fileUrl.Mid(at + marker.GetLength());
    return true;
}

bool Sha256Matches(const QelString& expected, const std::string& actualHex) {
    std::string wanted = expected.ToStdString();
    for (char& c : wanted) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return actualHex.size() == 64 && wanted == actualHex;
}

}  // namespace qel::update
