// Notices of the result window: logged, and shown on the status label so a
// user sees how far a long Copy, Move or Delete has come. Progress notices
// arrive once per row; the label takes one at most every pump interval, and
// the completion notice always, with the last counts beside it.
#include "CQelFileMng.h"
#include "CQelLogMng.h"
#include "CTessaryDlgDlg.h"
#include "QelCtlTypes.h"

namespace {
constexpr QelColorRef kNoticeText = QelRGB(0xee, 0xe8, 0xaa);

bool IsProgressNotice(const QelString& message) { return message.view().ends_with(u"] Process"); }
}  // namespace

void CTessaryDlgDlg::onNotifyEvent(const QelString& szEventName, const QelString& szParam1, const QelString& szParam2) {
    CQelLogMng::GetInstance()->Write(u"onNotifyEvent:[szEventName:%s, szParam1:%s, szParam2:%s]", szEventName,
                                     szParam1, szParam2);
    if (IsProgressNotice(szParam1)) {
        m_lastNoticeCounts = szParam2;
        const auto now = std::chrono::steady_clock::now();
        if (now - m_lastNoticeRefresh < CQelFileMng::kPumpInterval) return;
        m_lastNoticeRefresh = now;
        SetStatus(szParam1 + szParam2, kNoticeText);
        return;
    }
    SetStatus(szParam1 + (szParam2.IsEmpty() ? m_lastNoticeCounts : szParam2), kNoticeText);
    m_lastNoticeCounts = QelString();
}
