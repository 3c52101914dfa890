#include "CTessaryDlgApp.h"

#include "CQelDirMng.h"
#include "CQelFileMng.h"
#include "CQelHttpClient.h"
#include "CQelImgMngr.h"
#include "CQelLogMng.h"
#include "CQelSingleInstance.h"
#include "CQelTerminationWatch.h"
#include "CQelWinUtilFunc.h"
#include "CTessaryDlgDlg.h"

CTessaryDlgApp::CTessaryDlgApp(int& argc, char** argv) : QApplication(argc, argv) {
    Q_INIT_RESOURCE(qeltessary);  // the window icon, kept in a static library
    setApplicationName(QStringLiteral("QelTessary"));
    setDesktopFileName(QStringLiteral("qeltessary"));
    CQelWinUtilFunc::SetPumpHook([] { QCoreApplication::processEvents(); });
}

CTessaryDlgApp::~CTessaryDlgApp() {
    // The HTTP workers use the log and folder services: they stop first.
    CQelHttpClient::GetInstance()->Shutdown();
    CQelWinUtilFunc::SetPumpHook({});
    CQelLogMng::DeleteInstance();
    CQelDirMng::DeleteInstance();
    CQelFileMng::DeleteInstance();
    CQelImgMngr::DeleteInstance();
}

int CTessaryDlgApp::Run() {
    CQelSingleInstance instance(CQelSingleInstance::DefaultPath());
    if (instance.ForwardToRunningInstance()) return 0;
    // SIGTERM (logout, shutdown, kill) ends every event loop, a message
    // box's included, also one shown while the window is being made; the
    // settings are saved once the window's code has unwound, as Exit saves them.
    bool terminated = false;
    CQelTerminationWatch termination;
    connect(&termination, &CQelTerminationWatch::TerminationRequested, this, [&terminated] {
        terminated = true;
        QCoreApplication::exit(0);
    });

    CTessaryDlgDlg dialog;
    connect(&instance, &CQelSingleInstance::RaiseRequested, &dialog, &CTessaryDlgDlg::BringToFront);
    // A walk pumps events but is no event loop: stop it so the save is not held up.
    connect(&termination, &CQelTerminationWatch::TerminationRequested, &dialog, &CTessaryDlgDlg::RequestSearchStop);
    connect(this, &QGuiApplication::commitDataRequest, &dialog, [&dialog] { dialog.SaveForSessionEnd(); });
    if (!terminated) dialog.exec();
    if (terminated) dialog.SaveForSessionEnd();
    return 0;
}
