#pragma once
// The destination dialog of Copy and Move: a destination folder (typed, or
// chosen with the folder picker beside the field) and "Make UniqueName",
// ticked at start. OK keeps the dialog open with "Please specify the path."
// unless the destination is an absolute path once a leading "~/" is read as
// the home folder: an empty or relative one would send the targets wherever
// the program runs, even into the root folder.
//
// Use:
//   CDlgDestSelect dlg(this);
//   dlg.SetTitleText(QStringLiteral("Please specify a path to copy."));
//   if (dlg.exec() == QDialog::Accepted) use(dlg.GetDestination(), dlg.GetMakeUniqueName());

#include <QDialog>

#include "QelString.h"

class QCheckBox;
class QLineEdit;
class QToolButton;

class CDlgDestSelect : public QDialog {
    Q_OBJECT
public:
    explicit CDlgDestSelect(QWidget* parent);

    // Replaces the title "Dest Select Dialog" (set before showing).
    void SetTitleText(const QString& title) { setWindowTitle(title); }
    // After Accepted: the destination folder, absolute, without trailing '/'
    // (the root is "").
    const QelString& GetDestination() const { return m_destination; }
    bool GetMakeUniqueName() const { return m_makeUniqueName; }

    QLineEdit* GetDestEdit() const { return m_destEdit; }
    QCheckBox* GetUniqueNameCheck() const { return m_uniqueName; }
    QToolButton* GetBrowseButton() const { return m_browse; }

    void accept() override;

private:
    void OnUniqueNameClicked(bool checked);
    void OnBrowse();

    QelString m_destination;
    bool m_makeUniqueName = true;

    QLineEdit* m_destEdit = nullptr;
    QCheckBox* m_uniqueName = nullptr;
    QToolButton* m_browse = nullptr;
};
