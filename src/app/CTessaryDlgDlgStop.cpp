// The main window's Stop: while a walk, a result command or a job runs, the
// Search button reads "Stop" and ends that work (Escape too), and every other
// control but the status label waits; what was disabled before stays so.

#include <QPushButton>

#include "CQelImgMngr.h"
#include "CQelLabel.h"
#include "CQelResultSubWnd.h"
#include "CTessaryDlgDlg.h"

void CTessaryDlgDlg::ShowStopControl(std::function<void()> stop) {
    const bool shown = static_cast<bool>(m_stopWork);
    // A job run at the end of a walk: Stop now ends the job.
    m_stopWork = std::move(stop);
    if (shown) return;
    m_disabledForStop.clear();
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child->isWindow() || child == m_searchButton || child == m_status || !child->isEnabledTo(this)) continue;
        child->setEnabled(false);
        m_disabledForStop.push_back(child);
    }
    // The work may have disabled this window as its owner; Stop must stay reachable.
    setEnabled(true);
    CQelImgMngr::GetInstance()->SetButtonImage(m_searchButton, kStopImage, kImageOnlyStyle);
    m_searchButton->setAccessibleName(QStringLiteral("Stop"));
    m_searchButton->setToolTip(QStringLiteral("Stop after the current item (Esc)"));
}

void CTessaryDlgDlg::HideStopControl() {
    if (!m_stopWork) return;
    m_stopWork = nullptr;
    for (QWidget* child : m_disabledForStop) child->setEnabled(true);
    m_disabledForStop.clear();
    CQelImgMngr::GetInstance()->SetButtonImage(m_searchButton, kSearchImage, kImageOnlyStyle);
    m_searchButton->setAccessibleName(QStringLiteral("Search"));
    m_searchButton->setToolTip(QStringLiteral("Search"));
}

void CTessaryDlgDlg::onStoppableWork(bool running) {
    if (!running) return HideStopControl();
    ShowStopControl([this] {
        if (m_resultWnd) m_resultWnd->RequestOperationStop();
    });
}
