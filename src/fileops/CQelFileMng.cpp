#include "CQelFileMng.h"

#include "CQelWinUtilFunc.h"
#include "QelPath.h"
#include "QelSingleton.h"

namespace {
QelSingletonSlot<CQelFileMng> g_fileMng;
}

CQelFileMng* CQelFileMng::GetInstance() {
    return g_fileMng.Get([] { return new CQelFileMng(); });
}

void CQelFileMng::DeleteInstance() { g_fileMng.Delete(); }

bool CQelFileMng::doMakeDirectoryChain(const QelString& path) { return qel::MakeDirectoryChain(path); }

void CQelFileMng::PumpDialogMessages() { CQelWinUtilFunc::RunPumpHook(); }
