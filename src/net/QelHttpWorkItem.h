#pragma once
// QelHttpWorkItem: one request of the HTTP client, run by a pool worker.
//
// Lifecycle: the client makes an item once and reuses it. It is in progress
// from the moment the client chooses it until its callback has returned (or
// it was found to have nothing to send); only then may it be chosen again.
// While in progress, only the worker running Process touches it.
//
// Delivery: Process calls the callback, when both callback and context are
// set, on the worker thread: kind 1 with the percentage while a body of
// announced length arrives, then kind 0 once with the response text, the
// path of a download's file (its bytes never pass through memory as a
// whole; see CurrentDownload), or the JSON error document of the failed
// exchange. A cancelled item makes no further callback.

#include <atomic>
#include <memory>
#include <vector>

#include "QelHttpDownloadFile.h"
#include "QelHttpTransfer.h"
#include "QelHttpTypes.h"
#include "QelString.h"

// Everything one request needs; copied into the item.
struct QelHttpRequestParams {
    QelString url;         // full request URL
    QelString httpConHead; // extra header lines (CR LF separated) of a text POST
    int reqtype = 0;       // QelHttpReqType
    int datatype = 0;      // QelHttpDataType
    QelHttpFormFields fields;       // datatype 4
    QelStringArray files;           // datatype 3 POST: files to upload
    std::vector<char> requestBody;  // GET, PUT, DELETE and text POST body
    QelString downloadFolder;       // datatype 3 GET: the folder the download's file goes to
    QelString onlyReturn;  // caller's tag, echoed in the descriptor
    QelHttpCallback callback = nullptr;
    void* context = nullptr;
};

class QelHttpWorkItem {
public:
    explicit QelHttpWorkItem(int reqidx) : m_reqidx(reqidx) {}
    QelHttpWorkItem(const QelHttpWorkItem&) = delete;
    QelHttpWorkItem& operator=(const QelHttpWorkItem&) = delete;
    virtual ~QelHttpWorkItem() = default;

    int GetReqIdx() const { return m_reqidx; }

    // Chooses the item for a request: false when it is already in progress.
    bool Claim() {
        bool expected = false;
        return m_inProgress.compare_exchange_strong(expected, true, std::memory_order_acq_rel);
    }
    bool IsInProgress() const { return m_inProgress.load(std::memory_order_acquire); }

    // Takes the request (the item must be claimed). A changed URL goes to the
    // transfer, which is made on first use and otherwise drops its stored body.
    void SetParameters(QelHttpRequestParams params, const QelHttpTransferOptions& options);

    // Runs the request on the calling (worker) thread, delivers the outcome and
    // releases the item. Returns false when the request type is none of the four
    // or no parameters were ever set (nothing is sent and no callback is made).
    bool Process();

    // Ends the request under way at once and suppresses its callback; the
    // item is left for good (the client is shutting down). Any thread.
    void Cancel();

    // Inside a kind 0 callback: the exchange's result, 1 for a delivered
    // response or download, else the code of the error document delivered
    // (-999 to -994), so a download callback can tell a file from a failure.
    // 0 on a thread that is not in a kind 0 callback.
    static int CurrentResult();
    // Inside the kind 0 callback of a successful download: its file; else null.
    static const QelHttpDownload* CurrentDownload();

    const QelString& GetDescriptor() const { return m_descriptor; }
    const QelString& GetResponseText() const { return m_responseText; }

private:
    int Exchange();
    int Download();
    int SendMultipart();
    void Deliver(int result);
    void Call(int kind, const void* response, int length, int result = 0,
              const QelHttpDownload* download = nullptr) const;
    void LogLine(const char16_t* what, int contentsLength) const;
    static void OnProgress(void* self, int percent);

    const int m_reqidx;
    std::atomic<bool> m_inProgress{false};
    std::atomic<bool> m_cancelled{false};
    QelHttpRequestParams m_params;
    QelString m_descriptor;
    QelString m_boundary;
    QelString m_responseText;
    QelHttpDownloadFile m_file;  // open while a download runs
    QelHttpDownload m_download;  // the last download's file
    std::unique_ptr<QelHttpTransfer> m_transfer;  // made on first use, kept for the item's life
};
