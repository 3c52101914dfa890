// The main window's filter and job lists: New, Modify and Delete.

#include "CDlgAfterJob.h"
#include "CDlgSearchFilter.h"
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

void CTessaryDlgDlg::OnJobNew() {
    CDlgAfterJob editor(this, CDlgAfterJob::Mode::New);
    if (editor.exec() == QDialog::Accepted) m_jobList.Append(editor.GetJobRecord());
}

void CTessaryDlgDlg::OnJobModify() {
    const int index = m_jobList.SelectedIndex();
    const Json::Value* record = m_jobList.Record(index);
    if (!record) return;
    CDlgAfterJob editor(this, CDlgAfterJob::Mode::Modify, *record);
    if (editor.exec() == QDialog::Accepted) m_jobList.Replace(index, editor.GetJobRecord());
}

void CTessaryDlgDlg::OnJobDelete() { m_jobList.DeleteSelected(this); }
