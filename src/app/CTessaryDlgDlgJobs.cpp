// The main window's job branch of a search: the results go to the job log
// window, which runs the chosen after-search job on them at once.

#include <QApplication>

#include "CQelAFJSubWnd.h"
#include "CQelLogMng.h"
#include "CQelResultSubWnd.h"
#include "CTessaryDlgDlg.h"
#include "QelDockPlacement.h"
#include "QelHandOffRecord.h"

namespace {

// The frame a job runs in, as the result window's commands do: the main
// window's controls but Stop (and the result window, whose commands could act
// on the same items) disabled and the wait cursor up until the job has ended,
// so no search, command or job can start inside it while its steps let the
// window paint.
class JobFrame {
public:
    JobFrame(CTessaryDlgDlg* mainWindow, QWidget* resultWindow) : m_main(mainWindow), m_results(resultWindow) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        m_main->ShowStopControl([mainWindow] {
            if (CQelAFJSubWnd* job = mainWindow->GetJobSubWnd()) job->RequestJobStop();
        });
        if (m_results) {
            m_resultsWereEnabled = m_results->isEnabled();
            m_results->setEnabled(false);
        }
    }
    ~JobFrame() {
        if (m_results) m_results->setEnabled(m_resultsWereEnabled);
        m_main->HideStopControl();
        QApplication::restoreOverrideCursor();
    }
    JobFrame(const JobFrame&) = delete;
    JobFrame& operator=(const JobFrame&) = delete;

private:
    CTessaryDlgDlg* m_main;
    QWidget* m_results;
    bool m_resultsWereEnabled = true;
};

}  // namespace

void CTessaryDlgDlg::ShowJobSubWnd(bool alreadyExists) {
    const Json::Value* chosen = m_jobList.Record(m_jobList.SelectedIndex());
    const Json::Value job = chosen ? *chosen : Json::Value(Json::objectValue);
    CQelLogMng* log = CQelLogMng::GetInstance();
    JobFrame frame(this, m_resultWnd.get());
    // Both windows dock in the same place; rows of an earlier search left
    // showing behind the log would invite acting on stale results.
    if (m_resultWnd) m_resultWnd->hide();
    if (!alreadyExists) {
        m_jobWnd = std::make_unique<CQelAFJSubWnd>();
        log->Write(u"SubWindow[Hwnd=%s]", u"NULL");
        const QRect docked = qel::DockedRect(this, kJobSubWndHeight);
        const qel::QelSubWndSize size{docked.width(), docked.height()};
        std::string record = TakeHandOffRecord(&size);
        qel::AddJobToHandOffRecord(record, job);
        m_jobWnd->CreateSubWnd(this, std::move(record), docked.left(), docked.top());
        DockSubWindow(m_jobWnd.get(), kJobSubWndHeight);  // its own frame taken off, as far as known
        log->Write(u"Create SubWindow!!");
    } else {
        // Closed by the user since: it comes back docked where the main window is now.
        if (!m_jobWnd->isVisible()) DockSubWindow(m_jobWnd.get(), kJobSubWndHeight);
        std::string record = TakeHandOffRecord(nullptr);
        qel::AddJobToHandOffRecord(record, job);
        m_jobWnd->UpdateAndRun(std::move(record));
    }
    // The result window was made busy for the search that fed the job.
    if (m_resultWnd) m_resultWnd->EndBusy();
    activateWindow();
    setFocus();
}
