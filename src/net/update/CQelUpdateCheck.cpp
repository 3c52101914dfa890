#include "CQelUpdateCheck.h"

#include <json/json.h>

#include <unistd.h>

#include "CQelDirMng.h"
#include "CQelHttpClient.h"
#include "CQelLogMng.h"
#include "CQelWinUtilFunc.h"
#include "QelElevation.h"
#include "QelHttpTypes.h"
#include "QelHttpWorkItem.h"
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
constexpr char16_t kUnprovable[] = u"The installer download has no length or checksum to prove it complete!!";
constexpr char16_t kNeedsHttps[] = u"The update server must use https.";
constexpr char16_t kLaunchFailed[] = u"Installation file execution failed. Please update again!!";

CQelLogMng* Log() { return CQelLogMng::GetInstance(); }

QelString TextOf(const void* response, int length) {
    if (!response || length <= 0) return QelString(u"");
    return QelString(static_cast<const char16_t*>(response), static_cast<std::size_t>(length));
}

}  // namespace

std::shared_ptr<CQelUpdateCheck> CQelUpdateCheck::Create(std::shared_ptr<IQelUpdateUiDelegate> ui,
                                                         const qel::QelUpdateServers& servers) {
    CQelHttpClient* client = CQelHttpClient::GetInstance();
    client->AddSession(qel::kUpdateApiSession, servers.api);
    client->AddSession(qel::kUpdateFilesSession, servers.files);
    return std::shared_ptr<CQelUpdateCheck>(new CQelUpdateCheck(std::move(ui), servers));
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
    if (!qel::IsTrustedUpdateUrl(m_servers.api) || !qel::IsTrustedUpdateUrl(m_servers.files)) {
        Log()->Write(u"Update server refused: %s %s", m_servers.api, m_servers.files);
        Warn(kNeedsHttps);
        return false;
    }
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
    // The saved file takes the last component of the URL's path: judge it
    // before asking the server for anything.
    if (!qel::update::DownloadPathFromFileUrl(fileUrl, path) ||
        qel::http::DownloadFileName(m_servers.files + QelString(u"/") + path).IsEmpty()) {
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
    if (kind == kQelHttpProgress) Log()->Write(u"DOWNLOADING Contents %d Percent", responseLength);
    Request which;
    if (!TakeRequest(reqidx, datatype, kind, which)) return;
    if (kind == kQelHttpProgress) {
        OnDownload(kQelHttpProgress, nullptr, nullptr, responseLength);
    } else if (which == Request::kVersion) {
        OnVersionReply(TextOf(response, responseLength));
    } else if (which == Request::kFileUrl) {
        OnFileUrlReply(TextOf(response, responseLength));
    } else {
        OnDownload(kQelHttpResult, QelHttpWorkItem::CurrentDownload(), response, responseLength);
    }
}

bool CQelUpdateCheck::TakeRequest(int reqidx, int datatype, int kind, Request& which) {
    const bool form = datatype == static_cast<int>(QelHttpDataType::kForm);
    const bool file = datatype == static_cast<int>(QelHttpDataType::kFile);
    std::lock_guard lock(m_lock);
    int* index = nullptr;
    if (file && reqidx == m_downloadIndex) {
        which = Request::kDownload;
        index = &m_downloadIndex;
    } else if (form && kind == kQelHttpResult && reqidx == m_fileUrlIndex) {
        which = Request::kFileUrl;
        index = &m_fileUrlIndex;
    } else if (form && kind == kQelHttpResult && reqidx == m_versionIndex) {
        which = Request::kVersion;
        index = &m_versionIndex;
    }
    if (!index) return false;
    if (kind == kQelHttpResult) *index = -1;
    return true;
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

void CQelUpdateCheck::OnDownload(int kind, const QelHttpDownload* download, const void* data, int length) {
    if (kind == kQelHttpProgress) {
        {
            std::lock_guard lock(m_lock);
            if (length == m_lastPercent) return;
            m_lastPercent = length;
        }
        m_ui->SetProgress(length);
        return;
    }
    if (!download) {
        ReportFailedDownload(data, length);
        return;
    }
    if (const char16_t* refusal = JudgeDownload(*download)) {
        ::unlink(download->path.ToFileName().c_str());
        m_ui->HideProgress();
        Warn(refusal);
        return;
    }
    Launch(download->path);
}

// A download cut off by a closed connection looks complete when the server
// announced no end; only the SHA-256 can vouch for such a file.
const char16_t* CQelUpdateCheck::JudgeDownload(const QelHttpDownload& download) {
    bool hashGiven = false;
    QelString expected;
    {
        std::lock_guard lock(m_lock);
        hashGiven = m_expectSha256;
        expected = m_expectedSha256;
    }
    if (hashGiven && !qel::update::Sha256Matches(expected, download.sha256)) return kDamaged;
    if (!hashGiven && !download.endKnown) return kUnprovable;
    if (download.size == 0) return kDamaged;
    return nullptr;
}

void CQelUpdateCheck::ReportFailedDownload(const void* data, int length) {
    m_ui->HideProgress();
    if (QelHttpWorkItem::CurrentResult() == qel::http::kWriteFailed) {
        Warn(kNotSaved);
        return;
    }
    const qel::update::Reply reply = qel::update::ParseReply(TextOf(data, length));
    Warn(QelString::Formatted(kDownloadFailed, reply.msgcode, reply.msg));
}

void CQelUpdateCheck::Launch(const QelString& path) {
    if (RunAsAdmin(path)) {
        Log()->Write(u"Execute Success!!");
        m_ui->CloseProgram();
        return;
    }
    m_ui->HideProgress();
    Log()->Write(u"Installation file execution failed. Please update again.");
    Warn(kLaunchFailed);
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
