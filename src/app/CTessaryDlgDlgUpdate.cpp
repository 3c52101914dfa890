// The main window's part of the update check: registering the update
// server's sessions at start and the "Check App Last Version" link.
#include <QLabel>

#include "CQelMessageBox.h"
#include "CQelUpdateCheck.h"
#include "CQelUpdateUiBridge.h"
#include "CTessaryDlgDlg.h"
#include "QelUpdateServers.h"

void CTessaryDlgDlg::SetUpUpdateCheck() {
    m_updateCheck = CQelUpdateCheck::Create(std::make_shared<CQelUpdateUiBridge>(this, m_progress, m_versionLink),
                                            qel::ReadUpdateServers(m_settings));
    connect(m_versionLink, &QLabel::linkActivated, this, &CTessaryDlgDlg::CheckAppVersion);
}

void CTessaryDlgDlg::CheckAppVersion() {
    // The shipped placeholder names no real server: asking it would only time out.
    if (qel::ReadUpdateServers(m_settings).api == QelString(qel::kDefaultUpdateApiUrl)) {
        CQelMessageBox::Show(this, QStringLiteral("No update server is configured for this installation, "
                                                  "so the latest version cannot be checked."));
        return;
    }
    // One check at a time: a second one could replace the installer that the
    // first is about to start.
    m_versionLink->setEnabled(false);
    if (!m_updateCheck->CheckAppVersion()) m_versionLink->setEnabled(true);
}
