#include "CQelFileMng.h"

#include "CQelWinUtilFunc.h"
#include "QelPath.h"
#include "QelPumpGate.h"
#include "QelSingleton.h"

namespace {
QelSingletonSlot<CQelFileMng> g_fileMng;
// UI thread only, as every caller of the pump is.
QelPumpGate g_pumpGate(CQelFileMng::kPumpInterval);
}

CQelFileMng* CQelFileMng::GetInstance() {
    return g_fileMng.Get([] { return new CQelFileMng(); });
}

void CQelFileMng::DeleteInstance() { g_fileMng.Delete(); }

bool CQelFileMng::doMakeDirectoryChain(const QelString& path) { return qel::MakeDirectoryChain(path); }

void CQelFileMng::PumpDialogMessages() {
    if (g_pumpGate.Due(QelPumpGate::Clock::now())) CQelWinUtilFunc::RunPumpHook();
}

void CQelFileMng::SetPumpInterval(std::chrono::steady_clock::duration interval) { g_pumpGate.SetInterval(interval); }
