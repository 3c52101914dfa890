#include "CQelHttpClient.h"

#include "QelSingleton.h"

namespace {
QelSingletonSlot<CQelHttpClient> g_client;
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
    std::lock_guard<std::mutex> lock(m_mutex);
    QelHttpRequestParams params;
    if (!ComposeUrl(kApiSession, path, params.url)) return -1;
    QelHttpWorkItem* item = AllocateItem();
    if (!item) return -1;
    params.httpConHead = httpconhead;
    params.reqtype = static_cast<int>(QelHttpReqType::kPost);
    params.datatype = static_cast<int>(QelHttpDataType::kForm);
    params.fields = fields;
    params.onlyReturn = onlyreturn;
    params.callback = callback;
    params.context = context;
    return Queue(item, std::move(params));
}

int CQelHttpClient::DownloadFiles(const QelStringArray& paths, const QelString& httpconhead,
                                  const QelString& onlyreturn, QelHttpCallback callback, void* context) {
    std::unique_lock<std::mutex> lock(m_mutex);
    int last = -1;
    for (const QelString& path : paths) {
        QelHttpRequestParams params;
        if (path.IsEmpty() || !ComposeUrl(kFileSession, path, params.url)) continue;
        QelHttpWorkItem* item = nullptr;
        m_itemFreed.wait(lock, [&] { return (item = AllocateItem()) != nullptr; });
        params.httpConHead = httpconhead;
        params.reqtype = static_cast<int>(QelHttpReqType::kGet);
        params.datatype = static_cast<int>(QelHttpDataType::kFile);
        params.onlyReturn = onlyreturn;
        params.callback = callback;
        params.context = context;
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

QelHttpWorkItem* CQelHttpClient::AllocateItem() {
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
