#pragma once
// CQelHttpClient: the asynchronous HTTP client. A caller hands over a
// request and gets its request index at once; a worker of the client's pool
// (4 threads) runs it later and calls the caller's callback on that worker
// thread with the outcome (see QelHttpWorkItem for what a callback receives,
// and note that a callback is made only when the context is not null).
//
// Work items: at most 257 exist. A request takes a new one while 256 or
// fewer exist, else the first in index order that is not in progress; an
// item is in progress until its callback has returned. The index of an item
// is its request index, so one callback can tell its requests apart by the
// "reqidx" of the descriptor.
//
// Threads: every operation may be called from any thread, callbacks
// included (a callback may start its follow-up request). Allocation and
// queueing are serialised under one lock, which is never held while a
// callback runs.
//
// Lifetime: GetInstance makes the program's client on first use; it is
// never destroyed, but the program shuts it down (Shutdown) before the
// services its workers use go. A client of one's own (tests, tools) may be
// destroyed: that waits for running requests and drops queued ones without
// a callback.

#include <condition_variable>
#include <memory>
#include <mutex>

#include "QelASQMTPool.h"
#include "QelContainers.h"
#include "QelHttpTransfer.h"
#include "QelHttpTypes.h"
#include "QelHttpWorkItem.h"
#include "QelString.h"

struct _tag_HttpSessionInfo {
    QelString baseUrl;  // scheme, host and port, no trailing slash
};

class CQelHttpClient {
public:
    static constexpr int kMaxWorkItems = 257;
    static constexpr int kApiSession = 1;   // form posts go here
    static constexpr int kFileSession = 3;  // downloads come from here

    static CQelHttpClient* GetInstance();

    CQelHttpClient();
    CQelHttpClient(const CQelHttpClient&) = delete;
    CQelHttpClient& operator=(const CQelHttpClient&) = delete;
    virtual ~CQelHttpClient();

    // Stores baseUrl under index, replacing an earlier one. 1, or -1 (and
    // nothing stored) when baseUrl is empty.
    int AddSession(int index, const QelString& baseUrl);

    // A multipart form POST to session 1: to its base URL when path is empty,
    // else to "base/path". Returns the request index, or -1 when no work item
    // is free or session 1 was never added (no callback follows a -1).
    int PostForm(const QelString& path, const QelString& httpconhead, const QelHttpFormFields& fields,
                 const QelString& onlyreturn, QelHttpCallback callback, void* context);

    // One GET download per non-empty path, from "base/path" of session 3,
    // streamed into the program's temp folder under the name the URL's path
    // ends in (QelHttpDownloadFile). A successful download (2xx status, the
    // whole announced length) reaches callback as its file's path, with
    // QelHttpWorkItem::CurrentDownload describing it; any failure as an error
    // document. While no work item is free it blocks until one is. Returns
    // the index of the last download queued, or -1 when paths holds no
    // non-empty entry, session 3 was never added or the client is shut down.
    int DownloadFiles(const QelStringArray& paths, const QelString& httpconhead, const QelString& onlyreturn,
                      QelHttpCallback callback, void* context);

    // Limits and trust used by requests queued from now on.
    void SetTransferOptions(const QelHttpTransferOptions& options);
    // Index handed out most recently, -1 before the first request.
    int GetLastIndex() const;
    // True while the request with this index runs or waits, its callback included.
    bool IsInProgress(int index) const;

    // Cancels the requests under way (their callbacks are not made), drops
    // the queued ones, refuses every later request and joins the worker
    // threads. Called once the program's windows are gone, from a thread that
    // no callback waits for; a callback still running is waited for.
    void Shutdown();

private:
    QelHttpWorkItem* AllocateItem();  // caller holds m_mutex; null when none is free
    bool ComposeUrl(int session, const QelString& path, QelString& url) const;
    int Queue(QelHttpWorkItem* item, QelHttpRequestParams params);  // caller holds m_mutex
    void OnItemDone();

    mutable std::mutex m_mutex;           // guards everything below but the pool
    std::condition_variable m_itemFreed;  // a work item left progress
    QelMap<int, _tag_HttpSessionInfo> m_sessions;
    QelArray<std::unique_ptr<QelHttpWorkItem>> m_items;  // position = request index
    int m_lastIndex = -1;
    bool m_shutDown = false;
    QelHttpTransferOptions m_options;
    // Last: destroyed first, so no worker runs once the items go.
    QelASQMTPool<QelHttpWorkItem*> m_pool;
};
