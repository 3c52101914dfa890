#include "CQelHttpClient.h"

#include "CQelDirMng.h"
#include "QelSingleton.h"

namespace {
QelSingletonSlot<CQelHttpClient> g_client;

QelHttpRequestParams RequestOf(QelHttpReqType reqtype, QelHttpDataType datatype, const QelString& httpconhead,
                               const QelString& onlyreturn, QelHttpCallback callback, void* context) {
    QelHttpRequestParams params;
    params.httpConHead = httpconhead;
    params.reqtype = static_cast<int>(reqtype);
    params.datatype = static_cast<int>(datatype);
    params.onlyReturn = onlyreturn;
    params.callback = callback;
    params.context = context;
    return params;
}
}  // namespace

CQelHttpClient* CQelHttpClient::GetInstance() {
    return g_client.Get([] { return new CQelHttpClient(); });
}

CQelHttpClient::CQelHttpClient() {
    m_pool.Start([this](QelHttpWorkItem* item) {
        const bool sent = item->Process();
        OnItemDone();
        return sent;
    });
}

CQelHttpClient::~CQelHttpClient() = default;

int CQelHttpClient::AddSession(int index, const QelString& baseUrl) {
    if (baseUrl.IsEmpty()) return -1;
    std::lock_guard<std::mutex> lock(m_mutex);
    m_sessions[index].baseUrl = baseUrl;
    return 1;
}

int CQelHttpClient::PostForm(const QelString& path, const QelString& httpconhead, const QelHttpFormFields& fields,
                             const QelString& onlyreturn, QelHttpCallback callback, void* context) {
    QelHttpRequestParams params =
        RequestOf(QelHttpReqType::kPost, QelHttpDataType::kForm, httpconhead, onlyreturn, callback, context);
    params.fields = fields;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!ComposeUrl(kApiSession, path, params.url)) return -1;
    QelHttpWorkItem* item = AllocateItem();
    if (!item) return -1;
    return Queue(item, std::move(params));
}

int CQelHttpClient::DownloadFiles(const QelStringArray& paths, const QelString& httpconhead,
                                  const QelString& onlyreturn, QelHttpCallback callback, void* context) {
    const QelString folder = CQelDirMng::GetInstance()->GetPathInModuleDir(u"temp");
    std::unique_lock<std::mutex> lock(m_mutex);
    int last = -1;
    for (const QelString& path : paths) {
        QelHttpRequestParams params =
            RequestOf(QelHttpReqType::kGet, QelHttpDataType::kFile, httpconhead, onlyreturn, callback, context);
        params.downloadFolder = folder;
        if (path.IsEmpty() || !ComposeUrl(kFileSession, path, params.url)) continue;
        QelHttpWorkItem* item = nullptr;
        m_itemFreed.wait(lock, [&] { return m_shutDown || (item = AllocateItem()) != nullptr; });
        if (!item) return -1;
        last = Queue(item, std::move(params));
    }
    return last;
}

void CQelHttpClient::SetTransferOptions(const QelHttpTransferOptions& options) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_options = options;
}

int CQelHttpClient::GetLastIndex() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_lastIndex;
}

bool CQelHttpClient::IsInProgress(int index) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return index >= 0 && index < m_items.GetCount() && m_items[index]->IsInProgress();
}

void CQelHttpClient::Shutdown() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_shutDown = true;
        for (auto& item : m_items) item->Cancel();
        m_itemFreed.notify_all();
    }
    // Without the lock: a finishing worker takes it to report its item free.
    m_pool.Stop();
}

QelHttpWorkItem* CQelHttpClient::AllocateItem() {
    if (m_shutDown) return nullptr;
    if (m_items.GetCount() < kMaxWorkItems) {
        m_items.Add(std::make_unique<QelHttpWorkItem>(m_items.GetCount()));
        m_items.back()->Claim();
        return m_items.back().get();
    }
    for (auto& item : m_items) {
        if (item->Claim()) return item.get();
    }
    return nullptr;
}

bool CQelHttpClient::ComposeUrl(int session, const QelString& path, QelString& url) const {
    const auto found = m_sessions.find(session);
    if (found == m_sessions.end()) return false;
    url = found->second.baseUrl;
    // An empty path names the base itself; a missing one still takes the slash.
    if (!path.IsEmpty() || !path.IsSet()) url.Append(u'/').Append(path);
    return true;
}

int CQelHttpClient::Queue(QelHttpWorkItem* item, QelHttpRequestParams params) {
    item->SetParameters(std::move(params), m_options);
    m_lastIndex = item->GetReqIdx();
    m_pool.Submit(item);
    return m_lastIndex;
}

void CQelHttpClient::OnItemDone() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_itemFreed.notify_all();
}
