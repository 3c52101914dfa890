#pragma once
// The update check: asks the update server whether a newer version exists,
// asks the user, fetches the installer's location, downloads it into the
// program's temp folder, starts it elevated and has the window close the
// program. All three replies arrive at OnHttpResult on HTTP worker threads and
// are told apart by request index; the window is reached only through
// IQelUpdateUiDelegate.
//
// Lifetime: the HTTP client keeps a raw context pointer until a request's
// result has been delivered, so an object with requests outstanding keeps
// itself alive until the last result has been handled. The owner may drop its
// reference at any time.

#include <atomic>
#include <memory>
#include <mutex>

#include "IQelUpdateUiDelegate.h"
#include "QelInstallerFile.h"
#include "QelString.h"
#include "QelUpdateProtocol.h"
#include "QelUpdateServers.h"

class CQelUpdateCheck : public std::enable_shared_from_this<CQelUpdateCheck> {
public:
    static std::shared_ptr<CQelUpdateCheck> Create(std::shared_ptr<IQelUpdateUiDelegate> ui);

    // Registers session 1 (the update API) and session 3 (the file server).
    static void RegisterSessions(const qel::QelUpdateServers& servers);

    // Starts the version request; false when the client refused it (nothing follows).
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
    // kind 1: data is null and length the percentage; kind 0: the download's
    // bytes, or the client's error document (UTF-16) for a failed download.
    void OnDownload(int kind, const QelString& descriptor, const void* data, int length);

    // Starts the saved installer with administrator rights; true when it started.
    static bool RunAsAdmin(const QelString& path);

private:
    explicit CQelUpdateCheck(std::shared_ptr<IQelUpdateUiDelegate> ui) : m_ui(std::move(ui)) {}

    enum class Request { kVersion, kFileUrl, kDownload };
    // Issues a request through issue (which returns the client's index) and
    // records the index under the lock that result delivery reads it under.
    template <typename IssueFn>
    bool StartRequest(Request which, IssueFn issue);
    void Dispatch(int datatype, const QelString& descriptor, int kind, const void* response, int responseLength);
    // Called once per delivered result; the last one lets the object go.
    void FinishRequest();
    void Warn(const QelString& text);
    void SaveAndLaunch(const QelString& fileName, const void* data, int length);
    void ReportFailedDownload(const void* data, int length);

    std::shared_ptr<IQelUpdateUiDelegate> m_ui;

    std::mutex m_lock;  // guards everything below
    int m_versionIndex = -1;
    int m_fileUrlIndex = -1;
    int m_downloadIndex = -1;
    int m_outstanding = 0;                      // requests whose result is still to be handled
    std::shared_ptr<CQelUpdateCheck> m_selfWhileBusy;  // set while m_outstanding > 0
    bool m_expectSha256 = false;                // the file-URL reply named a SHA-256
    QelString m_expectedSha256;
    int m_lastPercent = -1;                     // the bar is moved only when the percentage changes
};
