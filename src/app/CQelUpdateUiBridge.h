#pragma once
// Carries the update check's calls from HTTP worker threads to the UI thread,
// where Qt allows widgets: message boxes and questions (the worker waits for
// the answer), the main window's progress bar, the Exit command and the
// "Check App Last Version" link. A window that is gone meanwhile is left
// alone: nothing is shown and a question reads as No.

#include <QPointer>
#include <functional>
#include <memory>

#include "IQelUpdateUiDelegate.h"

class CTessaryDlgDlg;
class QProgressBar;
class QWidget;

class CQelUpdateUiBridge : public IQelUpdateUiDelegate, public std::enable_shared_from_this<CQelUpdateUiBridge> {
public:
    // Made on the UI thread; link is enabled again when a check has ended.
    CQelUpdateUiBridge(CTessaryDlgDlg* window, QProgressBar* progress, QWidget* link);

    void ShowMessage(Icon icon, const QelString& text) override;
    bool AskYesNo(const QelString& text) override;
    void ShowProgress() override;
    void SetProgress(int percent) override;
    void HideProgress() override;
    void CloseProgram() override;
    void OnUpdateCheckEnded() override;

private:
    // Runs task on the UI thread: at once when called there, otherwise queued,
    // and then waiting for it when wait is true.
    static void RunOnUiThread(std::function<void()> task, bool wait);

    // Read and written on the UI thread only.
    QPointer<CTessaryDlgDlg> m_window;
    QPointer<QProgressBar> m_progress;
    QPointer<QWidget> m_link;
};
