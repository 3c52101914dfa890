// The Copy, Move and Delete commands of the result window: the destination
// dialog, the log line, then the operation over every row inside the
// operation frame.
#include <QPushButton>

#include "CDlgDestSelect.h"
#include "CQelLogMng.h"
#include "CQelResultListModel.h"
#include "CQelResultSubWnd.h"
#include "QelResultOps.h"
#include "QelResultRecord.h"

namespace {

struct CopyMoveTexts {
    const char* title;
    const char16_t* logLine;
    const char16_t* completion;
};

constexpr CopyMoveTexts kCopyTexts = {"Please specify a path to copy.", u"Copy Path:%s, Make UniqueName:%s",
                                      u"Result Copy to Dest Complete!"};
constexpr CopyMoveTexts kMoveTexts = {"Please specify a path to move.", u"Move Path:%s, Make UniqueName:%s",
                                      u"Result Move to Dest Complete!"};

}  // namespace

void CQelResultSubWnd::ConnectFileCommands() {
    connect(GetCommandButton(kCopy), &QPushButton::clicked, this, [this] { OnCopyOrMove(false); });
    connect(GetCommandButton(kMove), &QPushButton::clicked, this, [this] { OnCopyOrMove(true); });
    connect(GetCommandButton(kDelete), &QPushButton::clicked, this, [this] { OnDelete(); });
}

void CQelResultSubWnd::OnCopyOrMove(bool move) {
    if (m_busy) return;  // a click that arrived while an operation pumped events
    const CopyMoveTexts& texts = move ? kMoveTexts : kCopyTexts;
    CDlgDestSelect dialog(this);
    dialog.SetTitleText(QString::fromLatin1(texts.title));
    if (dialog.exec() != QDialog::Accepted) return;
    const QelCopyMoveOptions options{dialog.GetDestination(), dialog.GetMakeUniqueName(), qel::ResultSearchRoot(m_model)};
    CQelLogMng::GetInstance()->Write(texts.logLine, options.destination,
                                     options.makeUniqueName ? u"true" : u"false");
    RunOperation([&] {
        // A copy of the rows in list order: the view may be sorted or
        // refilled while events are pumped, the run must not notice.
        const QelResultRows rows = m_listModel->Rows();
        if (move) qel::MoveResultRows(rows, options, m_delegate);
        else qel::CopyResultRows(rows, options, m_delegate);
        return QelString(texts.completion);
    });
}

void CQelResultSubWnd::OnDelete() {
    if (m_busy) return;
    RunOperation([&] {
        const QelResultRows rows = m_listModel->Rows();
        qel::DeleteResultRows(rows, qel::ResultSearchRoot(m_model), m_delegate);
        return QelString(u"Result Delete Complete!");
    });
}
