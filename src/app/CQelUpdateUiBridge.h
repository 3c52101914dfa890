#pragma once
// Carries the update check's calls from HTTP worker threads to the UI thread,
// where Qt allows widgets: message boxes and questions (the worker waits for
// the answer), the main window's progress bar, the Exit command and the
// "Check App Last Version" link. A window that is gone meanwhile is left
// alone: nothing is shown and a question reads as No; a worker waiting for
// the UI thread is let go when the window goes, so the program's teardown can
// join the HTTP workers without waiting on an event loop that no longer runs.
//
// Once the installer has started, the link stays disabled and the program
// leaves as soon as the window is idle again (no search or result operation
// under way), or at once when it is.

#include <QPointer>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

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
    // Whether the window is gone, shared with the tasks posted to the UI thread.
    struct WindowState {
        std::mutex mutex;
        std::condition_variable changed;  // a task ran, or the window went
        bool gone = false;
    };

    // Runs task on the UI thread: at once when called there, otherwise
    // queued, and then, when wait is true, waiting until it ran or the window
    // went. A task must own what it uses: its caller may have returned.
    void RunOnUiThread(std::function<void()> task, bool wait);
    // UI thread: Exit once no search or result operation holds the window.
    void ExitWhenIdle();

    std::shared_ptr<WindowState> m_state = std::make_shared<WindowState>();
    // Read and written on the UI thread only.
    QPointer<CTessaryDlgDlg> m_window;
    QPointer<QProgressBar> m_progress;
    QPointer<QWidget> m_link;
    bool m_installerStarted = false;
};
