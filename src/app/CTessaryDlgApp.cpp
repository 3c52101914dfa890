#include "CTessaryDlgApp.h"

#include "CQelDirMng.h"
#include "CQelFileMng.h"
#include "CQelImgMngr.h"
#include "CQelLogMng.h"
#include "CQelSingleInstance.h"
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
    CQelSingleInstance instance(CQelSingleInstance::DefaultName());
    if (instance.ForwardToRunningInstance()) return 0;

    CQelDirMng::GetInstance()->LogFolders();
    CTessaryDlgDlg dialog;
    connect(&instance, &CQelSingleInstance::RaiseRequested, &dialog, &CTessaryDlgDlg::BringToFront);
    dialog.exec();
    return 0;
}
