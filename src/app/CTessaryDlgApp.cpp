#include "CTessaryDlgApp.h"

#include "CQelDirMng.h"
#include "CQelFileMng.h"
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
    CQelWinUtilFunc::SetPumpHook({});
    CQelLogMng::DeleteInstance();
    CQelDirMng::DeleteInstance();
    CQelFileMng::DeleteInstance();
    CQelImgMngr::DeleteInstance();
}

int CTessaryDlgApp::Run() {
    CQelSingleInstance instance(CQelSingleInstance::DefaultPath());
    if (instance.ForwardToRunningInstance()) return 0;
    // From here on a SIGTERM waits in the pipe until the window's loop runs.
    CQelTerminationWatch termination;

    CQelDirMng::GetInstance()->LogFolders();
    CTessaryDlgDlg dialog;
    connect(&instance, &CQelSingleInstance::RaiseRequested, &dialog, &CTessaryDlgDlg::BringToFront);
    // Logout or SIGTERM: save as Exit does, ask nothing, and end every event
    // loop, a message box's included.
    connect(&termination, &CQelTerminationWatch::TerminationRequested, &dialog, [&dialog] {
        dialog.SaveForSessionEnd();
        QCoreApplication::exit(0);
    });
    connect(this, &QGuiApplication::commitDataRequest, &dialog, [&dialog] { dialog.SaveForSessionEnd(); });
    dialog.exec();
    return 0;
}
