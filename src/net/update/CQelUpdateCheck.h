#pragma once
// The update check: asks the update server whether a newer version exists,
// asks the user, fetches the installer's location, downloads it into the
// program's temp folder, starts it elevated and has the window close the
// program. All three replies arrive at OnHttpResult on HTTP worker threads and
// are told apart by request index and type together (an index is reused once
// its request is done); the window is reached only through
// IQelUpdateUiDelegate.
//
// Trust: both server URLs must be https (or plain http to this machine);
// the installer must come with its whole length, or with a SHA-256 it
// matches, and it is started only then.
//
// Lifetime: the HTTP client keeps a raw context pointer until a request's
// result has been delivered, so an object with requests outstanding keeps
// itself alive until the last result has been handled. The owner may drop its
// reference at any time.

#include <atomic>
#include <memory>
#include <mutex>

#include "IQelUpdateUiDelegate.h"
#include "QelHttpDownloadFile.h"
#include "QelString.h"
#include "QelUpdateProtocol.h"
#include "QelUpdateServers.h"

class CQelUpdateCheck : public std::enable_shared_from_this<CQelUpdateCheck> {
public:
    // Registers servers with the HTTP client: session 1 (the update API) and
    // session 3 (the file server).
    static std::shared_ptr<CQelUpdateCheck> Create(std::shared_ptr<IQelUpdateUiDelegate> ui,
                                                   const qel::QelUpdateServers& servers);

    // Starts the version request; false when a server URL is not trusted
    // (the user was told, nothing was sent) or the client refused it.
    bool CheckAppVersion();
    // Starts the file-URL request; false when refused.
    bool RequestAppFileUrl();
    // Starts the installer download for a reply's fileurl; false when the URL
    // is refused (the user was told) or the client refused the request.
    bool DownloadInstaller(const QelString& fileUrl);

    // The client's callback for every request of this object (context = this).
    static int OnHttpResult(void* context, int reqtype, int datatype, const char16_t* descriptor,
                            int descriptorLength, int kind, const unsigned char* requestBody, int requestBodyLength,
                            const void* response, int responseLength);

    void OnVersionReply(const QelString& text);
    void OnFileUrlReply(const QelString& text);
    // kind 1: data is null and length the percentage. kind 0: download is
    // the saved file, or null with data the client's error document (UTF-16).
    void OnDownload(int kind, const QelHttpDownload* download, const void* data, int length);

    // Starts the saved installer with administrator rights; true when it started.
    static bool RunAsAdmin(const QelString& path);

private:
    CQelUpdateCheck(std::shared_ptr<IQelUpdateUiDelegate> ui, const qel::QelUpdateServers& servers)
        : m_ui(std::move(ui)), m_servers(servers) {}

    enum class Request { kVersion, kFileUrl, kDownload };
    // Issues a request through issue (which returns the client's index) and
    // records the index under the lock that result delivery reads it under.
    template <typename IssueFn>
    bool StartRequest(Request which, IssueFn issue);
    void Dispatch(int datatype, const QelString& descriptor, int kind, const void* response, int responseLength);
    // The request a reply of this index and data type answers; its index is
    // cleared once its result (kind 0) is taken. False for none.
    bool TakeRequest(int reqidx, int datatype, int kind, Request& which);
    // Called once per delivered result; the last one lets the object go.
    void FinishRequest();
    void Warn(const QelString& text);
    // The reason to refuse a download, or null when it may be started.
    const char16_t* JudgeDownload(const QelHttpDownload& download);
    void Launch(const QelString& path);
    void ReportFailedDownload(const void* data, int length);

    std::shared_ptr<IQelUpdateUiDelegate> m_ui;
    const qel::QelUpdateServers m_servers;

    std::mutex m_lock;  // guards everything below
    int m_versionIndex = -1;   // -1 when no such request awaits its result
    int m_fileUrlIndex = -1;
    int m_downloadIndex = -1;
    int m_outstanding = 0;                      // requests whose result is still to be handled
    std::shared_ptr<CQelUpdateCheck> m_selfWhileBusy;  // set while m_outstanding > 0
    bool m_expectSha256 = false;                // the file-URL reply named a SHA-256
    QelString m_expectedSha256;
    int m_lastPercent = -1;                     // the bar is moved only when the percentage changes
};
