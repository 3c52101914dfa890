// The main window's search path history: recording a search, the popup under
// the path box, its result and Delete.

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

#include "CQelLogMng.h"
#include "CQelMessageBox.h"
#include "CTessaryDlgDlg.h"
#include "QelHistoryPopupView.h"
#include "QelJsonArrays.h"
#include "QelJsonParse.h"
#include "QelPathHistory.h"
#include "QelQtConvert.h"
#include "QelViewPopup.h"

void CTessaryDlgDlg::AddToHistory(const QelString& path, bool includeSub) {
    qel::AddHistoryEntry(*m_env.history, path, includeSub, qel::TodayHistoryDate());
    m_env.history = qel::WriteBackArray(m_settings, qel::kEnvHistoryKey, *m_env.history);
    qel::BuildHistoryDisplayLines(*m_env.history, m_historyLines);
    SaveAfterChange();
}

void CTessaryDlgDlg::OnHistoryPopup() {
    if (m_historyLines.empty() || (m_historyPopup && !m_historyPopup->IsClosed())) return;
    rapidjson::Document view;
    if (!qel::LoadHistoryPopupView(view, m_historyLines, m_pathEdit->width(), m_pathEdit->height())) return;
    m_popupOwner = m_historyButton;
    const QPoint lowerLeft = m_pathEdit->mapToGlobal(QPoint(0, m_pathEdit->height()));
    m_historyPopup = QelViewFile::OpenPopup(this, view, lowerLeft.x(), lowerLeft.y(), this);
}

void CTessaryDlgDlg::OnPopupResult(const char* resultJson) {
    CQelLogMng* log = CQelLogMng::GetInstance();
    rapidjson::Document result;
    if (!resultJson || !qel::ParseRapidJson(resultJson, result)) {
        log->Write(u"retJson Read Failed");
        return;
    }
    log->Write(u"retJson Read Success");
    if (m_popupOwner != m_historyButton) return;
    const int row = qel::ReadPickedRow(result);
    if (row < 0 || row >= m_historyLines.GetCount()) return;
    m_selectedHistory = row;
    LoadHistoryEntry(row);
}

void CTessaryDlgDlg::OnHistoryDelete() {
    if (m_historyLines.empty()) return;
    if (m_selectedHistory < 0 || m_selectedHistory >= m_historyLines.GetCount()) {
        CQelMessageBox::Show(this, QStringLiteral("No items selected."));
        return;
    }
    const auto chosen = static_cast<Json::ArrayIndex>(m_selectedHistory);
    m_env.history = qel::WriteBackArray(m_settings, qel::kEnvHistoryKey, qel::ArrayWithout(*m_env.history, chosen));
    m_historyLines.erase(m_historyLines.begin() + m_selectedHistory);
    m_selectedHistory = 0;
    LoadHistoryEntry(0);
    SaveAfterChange();
}

void CTessaryDlgDlg::LoadHistoryEntry(int index) {
    const Json::Value& history = *m_env.history;
    const bool exists = history.isArray() && index >= 0 && static_cast<Json::ArrayIndex>(index) < history.size();
    const Json::Value entry = exists ? history[static_cast<Json::ArrayIndex>(index)] : Json::Value();
    const Json::Value& path = entry.isObject() ? entry["path"] : Json::Value::nullSingleton();
    const Json::Value& includeSub = entry.isObject() ? entry["includesub"] : Json::Value::nullSingleton();
    m_pathEdit->setText(path.isString() ? ToQString(QelString::FromUtf8(path.asString())) : QString());
    m_includeSub->setChecked(includeSub.isBool() && includeSub.asBool());
}
