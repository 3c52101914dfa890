#pragma once
// The job editor: a modal dialog in which the user writes a new after-search
// job or changes an existing one, as an ordered list of commands.
//
// Use from the main window:
//   CDlgAfterJob dlg(this, CDlgAfterJob::Mode::New);            // a new job
//   CDlgAfterJob dlg(this, CDlgAfterJob::Mode::Modify, record);  // a copy of a record
//   if (dlg.exec() == QDialog::Accepted) use(dlg.GetJobRecord());
// After Save the record holds a non-empty "name" and the "list" of the rows in
// order. Save with an empty name does not close the dialog. After Cancel the
// getter holds only what was handed in (nothing for New).

#include <QDialog>
#include <json/value.h>

#include "QelJobRecord.h"

class CQelLabel;
class QComboBox;
class QLineEdit;
class QPushButton;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

class CDlgAfterJob : public QDialog {
    Q_OBJECT
public:
    enum class Mode { New, Modify };
    enum Column { kColCommand = 0, kColAction = 1, kColTypeDef = 2 };
    static constexpr char16_t kNoRenameRule[] = u"No Rename Rule";

    // record is used in Modify mode only: its name and steps fill the fields.
    CDlgAfterJob(QWidget* parent, Mode mode, const Json::Value& record = Json::Value());

    // The finished record after exec() returned Accepted.
    const Json::Value& GetJobRecord() const { return m_record; }

    // Save: builds the record, or keeps the dialog open when the name is empty.
    void accept() override;

    // The rename-rule label's caption: the rule-set text, or "No Rename Rule".
    QelString GetRuleCaption() const;

private:
    void BuildControls();
    QLayout* BuildCommandRow();
    QLayout* BuildListArea();
    QWidget* BuildDetailGroup();
    void SetUpRuleLabel();

    void OnAdd();
    void OnModify();
    void OnDel();
    void OnMove(int step);
    void OnCommandChanged(int index);
    void OnRowSelected(QTreeWidgetItem* item);
    void OnRuleLabelClicked();
    void OnBrowse();

    // The row Add or Modify would write from the fields; false, after telling
    // the user why, when the selected command lacks its parameter.
    bool RowFromFields(_tag_JobRow& row);
    void AppendRow(const _tag_JobRow& row);
    static void SetRowTexts(QTreeWidgetItem* item, const _tag_JobRow& row);
    static _tag_JobRow RowTexts(const QTreeWidgetItem* item);
    int FirstSelectedRow() const;
    void SetRuleCaption(const QelString& caption);

    Json::Value m_record;

    QLineEdit* m_nameEdit = nullptr;
    QComboBox* m_commandSelector = nullptr;
    QPushButton* m_addButton = nullptr;
    QPushButton* m_delButton = nullptr;
    QPushButton* m_modifyButton = nullptr;
    QPushButton* m_downButton = nullptr;
    QPushButton* m_upButton = nullptr;
    QTreeWidget* m_list = nullptr;
    QLineEdit* m_destEdit = nullptr;
    QToolButton* m_browseButton = nullptr;
    CQelLabel* m_ruleLabel = nullptr;
    QPushButton* m_saveButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
};
