#include "QelHttpWorkItem.h"

#include "CQelDirMng.h"
#include "CQelLogMng.h"
#include "QelHttpMultipart.h"

namespace {
constexpr const char16_t* kLogTag = u"[QelCliComm] ";
thread_local int t_currentResult = 0;
thread_local const QelHttpDownload* t_currentDownload = nullptr;

// Publishes a result to the callback running on this thread for its duration.
class CurrentResultScope {
public:
    CurrentResultScope(int result, const QelHttpDownload* download) {
        t_currentResult = result;
        t_currentDownload = download;
    }
    ~CurrentResultScope() {
        t_currentResult = 0;
        t_currentDownload = nullptr;
    }
    CurrentResultScope(const CurrentResultScope&) = delete;
    CurrentResultScope& operator=(const CurrentResultScope&) = delete;
};

bool IsFileDownload(const QelHttpRequestParams& p) {
    return p.reqtype == static_cast<int>(QelHttpReqType::kGet) && p.datatype == static_cast<int>(QelHttpDataType::kFile);
}
}  // namespace

int QelHttpWorkItem::CurrentResult() { return t_currentResult; }
const QelHttpDownload* QelHttpWorkItem::CurrentDownload() { return t_currentDownload; }

void QelHttpWorkItem::Cancel() {
    m_cancelled = true;
    if (m_transfer) m_transfer->Cancel();
}

void QelHttpWorkItem::SetParameters(QelHttpRequestParams params, const QelHttpTransferOptions& options) {
    if (!m_transfer) m_transfer = std::make_unique<QelHttpTransfer>();
    if (!(params.url == m_transfer->GetUrl())) m_transfer->SetUrl(params.url);
    m_transfer->SetOptions(options);
    m_params = std::move(params);
}

bool QelHttpWorkItem::Process() {
    m_descriptor = qel::http::BuildDescriptor({m_reqidx, m_params.url, QelString(u""), m_params.httpConHead,
                                               m_params.reqtype, m_params.datatype, m_params.onlyReturn});
    LogLine(u"%s HTTP Request(url:%s, ReqType:%s)", -1);
    const bool known = m_transfer && m_params.reqtype >= 0 && m_params.reqtype <= 3;
    if (known) Deliver(Exchange());
    m_inProgress.store(false, std::memory_order_release);  // the last touch of the item
    return known;
}

int QelHttpWorkItem::Exchange() {
    QelHttpTransfer& transfer = *m_transfer;
    transfer.SetProgress(&QelHttpWorkItem::OnProgress, this);
    transfer.ReceiveInto(nullptr);
    if (IsFileDownload(m_params)) return Download();
    const std::vector<char>& body = m_params.requestBody;
    switch (static_cast<QelHttpReqType>(m_params.reqtype)) {
    case QelHttpReqType::kGet:
    case QelHttpReqType::kDelete:
        transfer.SetExtraHeaders(QelString(u""));
        transfer.SetRequestBody(body);
        return transfer.Send(qel::http::ReqTypeName(m_params.reqtype), QelString(u""), nullptr, 0);
    case QelHttpReqType::kPut:
        transfer.SetExtraHeaders(QelString(u""));
        return transfer.Send(u"PUT", QelString(u""), body.data(), body.size());
    case QelHttpReqType::kPost: break;
    }
    const bool multipart = m_params.datatype == static_cast<int>(QelHttpDataType::kFile) ||
                           m_params.datatype == static_cast<int>(QelHttpDataType::kForm);
    int result;
    if (multipart) {
        result = SendMultipart();
    } else {
        transfer.SetExtraHeaders(m_params.httpConHead);
        result = transfer.Send(u"POST", QelString(u""), body.data(), body.size());
    }
    if (result == qel::http::kDone) LogLine(u"%s HTTP Receive(url:%s, ReqType:%s, ContentsLen=%d)", transfer.GetResponseText().GetLength());
    return result;
}

int QelHttpWorkItem::Download() {
    const QelString name = qel::http::DownloadFileName(m_params.url);
    if (name.IsEmpty()) return qel::http::kBadParameter;
    if (m_file.Open(m_params.downloadFolder, name) != 0) return qel::http::kWriteFailed;
    QelHttpTransfer& transfer = *m_transfer;
    transfer.ReceiveInto(&m_file);
    transfer.SetExtraHeaders(QelString(u""));
    transfer.SetRequestBody(m_params.requestBody);
    int result = transfer.Send(u"GET", QelString(u""), nullptr, 0);
    transfer.ReceiveInto(nullptr);
    m_download = {};
    if (result == qel::http::kDone && !m_file.Finish(m_download)) result = qel::http::kWriteFailed;
    m_file.Discard();  // what is left of a failed download
    m_download.endKnown = transfer.IsBodyEndKnown();
    return result;
}

int QelHttpWorkItem::SendMultipart() {
    m_boundary = qel::http::MakeBoundary();
    std::vector<char> body = m_params.datatype == static_cast<int>(QelHttpDataType::kFile)
                                 ? qel::http::BuildFileBody(m_params.files, m_boundary)
                                 : qel::http::BuildFormBody(m_params.fields, m_boundary);
    const QelString length = QelString::Formatted(u"Content-Length: %u", body.size());
    m_transfer->SetExtraHeaders(QelString::Formatted(u"Content-Type: multipart/form-data; boundary=%s", m_boundary));
    m_transfer->SetRequestBody(std::move(body));
    return m_transfer->Send(u"POST", length, nullptr, 0);
}

void QelHttpWorkItem::Deliver(int result) {
    const bool downloaded = result == qel::http::kDone && IsFileDownload(m_params);
    if (downloaded) {
        m_responseText = m_download.path;
    } else {
        m_responseText = result == qel::http::kDone ? m_transfer->TakeResponseText() : qel::http::ErrorDocument(result);
    }
    Call(kQelHttpResult, m_responseText.c_str(), m_responseText.GetLength(), result, downloaded ? &m_download : nullptr);
}

void QelHttpWorkItem::Call(int kind, const void* response, int length, int result,
                           const QelHttpDownload* download) const {
    if (!m_params.callback || !m_params.context || m_cancelled) return;
    CurrentResultScope scope(result, download);
    const std::vector<char>& body = m_params.requestBody;
    m_params.callback(m_params.context, m_params.reqtype, m_params.datatype, m_descriptor.c_str(),
                      m_descriptor.GetLength(), kind, reinterpret_cast<const unsigned char*>(body.data()),
                      static_cast<int>(body.size()), response, length);
}

void QelHttpWorkItem::OnProgress(void* self, int percent) {
    static_cast<const QelHttpWorkItem*>(self)->Call(kQelHttpProgress, nullptr, percent);
}

void QelHttpWorkItem::LogLine(const char16_t* format, int contentsLength) const {
    CQelLogMng* log = CQelLogMng::GetInstance();
    if (!log->IsEnabled()) return;
    const QelString path = CQelDirMng::GetInstance()->GetRequestLogFilePath();
    const char16_t* type = qel::http::ReqTypeName(m_params.reqtype);
    if (contentsLength < 0) {
        log->WriteFile(path, format, kLogTag, m_params.url, type);
    } else {
        log->WriteFile(path, format, kLogTag, m_params.url, type, contentsLength);
    }
}
