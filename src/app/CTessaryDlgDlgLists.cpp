// The main window's filter and job lists: New, Modify and Delete.

#include "CDlgSearchFilter.h"
#include "CQelLogMng.h"
#include "CTessaryDlgDlg.h"

void CTessaryDlgDlg::OnFilterNew() {
    CDlgSearchFilter editor(this, CDlgSearchFilter::Mode::New);
    editor.SetNamesInUse(m_filterList.Names());
    if (editor.exec() == QDialog::Accepted) m_filterList.Append(editor.GetFilterRecord());
}

void CTessaryDlgDlg::OnFilterModify() {
    const int index = m_filterList.SelectedIndex();
    const Json::Value* record = m_filterList.Record(index);
    if (!record) return;
    CDlgSearchFilter editor(this, CDlgSearchFilter::Mode::Modify, *record);
    editor.SetNamesInUse(m_filterList.Names());
    if (editor.exec() == QDialog::Accepted) m_filterList.Replace(index, editor.GetFilterRecord());
}

void CTessaryDlgDlg::OnFilterDelete() { m_filterList.DeleteSelected(this); }

// The job editor is not part of the program yet: New and Modify only leave a trace.
void CTessaryDlgDlg::OnJobNew() { CQelLogMng::GetInstance()->Write(u"Job editor not available: New"); }

void CTessaryDlgDlg::OnJobModify() { CQelLogMng::GetInstance()->Write(u"Job editor not available: Modify"); }

void CTessaryDlgDlg::OnJobDelete() { m_jobList.DeleteSelected(this); }
