#include "CQelUpdateCheck.h"

#include <json/json.h>

#include <cstring>

#include "CQelDirMng.h"
#include "CQelHttpClient.h"
#include "CQelLogMng.h"
#include "CQelWinUtilFunc.h"
#include "QelElevation.h"
#include "QelHttpTypes.h"
#include "QelJsonParse.h"

namespace {

constexpr char16_t kLatestVersion[] = u"This program is the latest version.";
constexpr char16_t kUpdateQuestion[] = u"An updated version exists. Do you want to update?";
constexpr char16_t kVersionCheckFailed[] = u"[%s] %s\nUpdate version can not be checked!!";
constexpr char16_t kFileUrlFailed[] = u"[%s] %s\nNew SetupFile URL Not Found!!";
constexpr char16_t kDownloadFailed[] = u"[%s] %s\nNew SetupFile Download Failed!!";
constexpr char16_t kPathNotValid[] = u"The file path is not valid!!";
constexpr char16_t kNotSaved[] = u"The installer file could not be saved!!";
constexpr char16_t kDamaged[] = u"The installer file is damaged!!";
constexpr char16_t kLaunchFailed[] = u"Installation file execution failed. Please update again!!";

CQelLogMng* Log() { return CQelLogMng::GetInstance(); }

QelString TextOf(const void* response, int length) {
    if (!response || length <= 0) return QelString(u"");
    return QelString(static_cast<const char16_t*>(response), static_cast<std::size_t>(length));
}

// A failed download arrives as one of the client's error documents (UTF-16)
// where the bytes would be, or as nothing. Only as many bytes as the result
// has characters are compared, which both kinds of result hold.
bool IsFailedDownload(const void* data, int length) {
    if (!data || length <= 0) return true;
    for (int code = qel::http::kUrlEmpty; code <= qel::http::kNoResponse; ++code) {
        const QelString document = qel::http::ErrorDocument(code);
        if (document.GetLength() == length && std::memcmp(data, document.c_str(), static_cast<std::size_t>(length)) == 0)
            return true;
    }
    return false;
}

}  // namespace

std::shared_ptr<CQelUpdateCheck> CQelUpdateCheck::Create(std::shared_ptr<IQelUpdateUiDelegate> ui) {
    return std::shared_ptr<CQelUpdateCheck>(new CQelUpdateCheck(std::move(ui)));
}

void CQelUpdateCheck::RegisterSessions(const qel::QelUpdateServers& servers) {
    CQelHttpClient* client = CQelHttpClient::GetInstance();
    client->AddSession(qel::kUpdateApiSession, servers.api);
    client->AddSession(qel::kUpdateFilesSession, servers.files);
}

template <typename IssueFn>
bool CQelUpdateCheck::StartRequest(Request which, IssueFn issue) {
    // Held while the request is queued, so that its result, which may arrive
    // before the client has even returned the index, waits until it is known.
    std::lock_guard lock(m_lock);
    const int index = issue();
    if (index < 0) return false;
    if (m_outstanding++ == 0) m_selfWhileBusy = shared_from_this();
    if (which == Request::kVersion) m_versionIndex = index;
    if (which == Request::kFileUrl) m_fileUrlIndex = index;
    if (which == Request::kDownload) m_downloadIndex = index;
    return true;
}

bool CQelUpdateCheck::CheckAppVersion() {
    const qel::update::FormFields fields = qel::update::BuildRequestFields(
        qel::update::kVersionCommand, CQelWinUtilFunc::GetInstance()->GetAppVersion());
    return StartRequest(Request::kVersion, [&] {
        return CQelHttpClient::GetInstance()->PostForm(qel::update::kRequestPath, u"", fields, u"", &OnHttpResult,
                                                       this);
    });
}

bool CQelUpdateCheck::RequestAppFileUrl() {
    const qel::update::FormFields fields =
        qel::update::BuildRequestFields(qel::update::kFileUrlCommand, QelString(u""));
    return StartRequest(Request::kFileUrl, [&] {
        return CQelHttpClient::GetInstance()->PostForm(qel::update::kRequestPath, u"", fields, u"", &OnHttpResult,
                                                       this);
    });
}

bool CQelUpdateCheck::DownloadInstaller(const QelString& fileUrl) {
    QelString path;
    // The saved file takes the path's last component: judge it before asking
    // the server for anything.
    if (!qel::update::DownloadPathFromFileUrl(fileUrl, path) ||
        !qel::IsPlainFileName(qel::update::FileNameFromUrl(path))) {
        Warn(kPathNotValid);
        return false;
    }
    {
        std::lock_guard lock(m_lock);
        m_lastPercent = -1;
    }
    m_ui->ShowProgress();
    QelStringArray paths;
    paths.Add(path);
    const bool started = StartRequest(Request::kDownload, [&] {
        return CQelHttpClient::GetInstance()->DownloadFiles(paths, u"", u"", &OnHttpResult, this);
    });
    if (!started) m_ui->HideProgress();
    return started;
}

int CQelUpdateCheck::OnHttpResult(void* context, int /*reqtype*/, int datatype, const char16_t* descriptor,
                                  int descriptorLength, int kind, const unsigned char* /*requestBody*/,
                                  int /*requestBodyLength*/, const void* response, int responseLength) {
    auto* self = static_cast<CQelUpdateCheck*>(context);
    self->Dispatch(datatype, TextOf(descriptor, descriptorLength), kind, response, responseLength);
    if (kind == kQelHttpResult) self->FinishRequest();  // may delete self
    return 0;
}

void CQelUpdateCheck::Dispatch(int datatype, const QelString& descriptor, int kind, const void* response,
                               int responseLength) {
    Log()->Write(u"RequestRet ^%s^", descriptor);
    Json::Value root;
    if (!qel::ParseJsonCpp(descriptor.ToStdString(), root) || !root.isObject() || !root["reqidx"].isInt()) {
        Log()->Write(u"Json Parse False!!!!");
        return;
    }
    const int reqidx = root["reqidx"].asInt();
    int versionIndex, fileUrlIndex, downloadIndex;
    {
        std::lock_guard lock(m_lock);
        versionIndex = m_versionIndex;
        fileUrlIndex = m_fileUrlIndex;
        downloadIndex = m_downloadIndex;
    }
    if (kind == kQelHttpProgress) {
        Log()->Write(u"DOWNLOADING Contents %d Percent", responseLength);
        if (reqidx == downloadIndex) OnDownload(kQelHttpProgress, descriptor, nullptr, responseLength);
        return;
    }
    if (kind != kQelHttpResult) return;
    const bool form = datatype == static_cast<int>(QelHttpDataType::kForm);
    if (reqidx == versionIndex) {
        if (form) OnVersionReply(TextOf(response, responseLength));
    } else if (reqidx == fileUrlIndex) {
        if (form) OnFileUrlReply(TextOf(response, responseLength));
    } else if (reqidx == downloadIndex) {
        OnDownload(kQelHttpResult, descriptor, response, responseLength);
    }
}

void CQelUpdateCheck::OnVersionReply(const QelString& text) {
    Log()->Write(u"[AppVersionCheck] RecvData ^%s^", text);
    const qel::update::Reply reply = qel::update::ParseReply(text);
    if (!reply.parsed) return;
    if (reply.msgcode.Equals(QelString::FromUtf8(qel::update::kCodeOk))) {
        Log()->Write(u"Recently Version..");
        m_ui->ShowMessage(IQelUpdateUiDelegate::Icon::Information, kLatestVersion);
    } else if (reply.msgcode.Equals(QelString::FromUtf8(qel::update::kCodeUpdateExists))) {
        if (m_ui->AskYesNo(kUpdateQuestion)) RequestAppFileUrl();
    } else {
        Warn(QelString::Formatted(kVersionCheckFailed, reply.msgcode, reply.msg));
    }
}

void CQelUpdateCheck::OnFileUrlReply(const QelString& text) {
    Log()->Write(u"[AppFileURL] RecvData ^%s^", text);
    const qel::update::Reply reply = qel::update::ParseReply(text);
    if (!reply.parsed) return;
    if (!reply.msgcode.Equals(QelString::FromUtf8(qel::update::kCodeOk))) {
        Warn(QelString::Formatted(kFileUrlFailed, reply.msgcode, reply.msg));
        return;
    }
    {
        std::lock_guard lock(m_lock);
        m_expectSha256 = reply.hasSha256;
        m_expectedSha256 = reply.sha256;
    }
    DownloadInstaller(reply.fileUrl);
}

void CQelUpdateCheck::OnDownload(int kind, const QelString& descriptor, const void* data, int length) {
    if (kind == kQelHttpProgress) {
        {
            std::lock_guard lock(m_lock);
            if (length == m_lastPercent) return;
            m_lastPercent = length;
        }
        m_ui->SetProgress(length);
        return;
    }
    if (IsFailedDownload(data, length)) {
        ReportFailedDownload(data, length);
        return;
    }
    Json::Value root;
    qel::ParseJsonCpp(descriptor.ToStdString(), root);
    const Json::Value& url = root["baseurl"];
    SaveAndLaunch(qel::update::FileNameFromUrl(QelString::FromUtf8(url.isString() ? url.asString() : "")), data,
                  length);
}

void CQelUpdateCheck::ReportFailedDownload(const void* data, int length) {
    const qel::update::Reply reply = qel::update::ParseReply(TextOf(data, length));
    m_ui->HideProgress();
    Warn(QelString::Formatted(kDownloadFailed, reply.msgcode, reply.msg));
}

void CQelUpdateCheck::SaveAndLaunch(const QelString& fileName, const void* data, int length) {
    QelString expected;
    bool checkHash = false;
    {
        std::lock_guard lock(m_lock);
        checkHash = m_expectSha256;
        expected = m_expectedSha256;
    }
    QelString path;
    const qel::QelInstallerSave saved = qel::SaveInstaller(
        CQelDirMng::GetInstance()->GetPathInModuleDir(u"temp"), fileName,
        std::string_view(static_cast<const char*>(data), static_cast<std::size_t>(length)),
        checkHash ? &expected : nullptr, path);
    if (saved == qel::QelInstallerSave::kSaved && RunAsAdmin(path)) {
        Log()->Write(u"Execute Success!!");
        m_ui->CloseProgram();
        return;
    }
    m_ui->HideProgress();
    switch (saved) {
        case qel::QelInstallerSave::kBadName:
            Warn(kPathNotValid);
            break;
        case qel::QelInstallerSave::kDamaged:
            Warn(kDamaged);
            break;
        case qel::QelInstallerSave::kWriteFailed:
            Warn(kNotSaved);
            break;
        case qel::QelInstallerSave::kSaved:
            Log()->Write(u"Installation file execution failed. Please update again.");
            Warn(kLaunchFailed);
            break;
    }
}

bool CQelUpdateCheck::RunAsAdmin(const QelString& path) { return qel::LaunchElevated(path); }

void CQelUpdateCheck::Warn(const QelString& text) { m_ui->ShowMessage(IQelUpdateUiDelegate::Icon::Warning, text); }

void CQelUpdateCheck::FinishRequest() {
    std::shared_ptr<CQelUpdateCheck> last;
    {
        std::lock_guard lock(m_lock);
        if (m_outstanding == 0 || --m_outstanding > 0) return;
        last = std::move(m_selfWhileBusy);
    }
    m_ui->OnUpdateCheckEnded();
}
