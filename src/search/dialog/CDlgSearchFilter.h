#pragma once
// The filter editor: a modal dialog in which the user writes a new search
// filter or changes the strings of an existing one.
//
// Use from the main window:
//   CDlgSearchFilter dlg(this, CDlgSearchFilter::Mode::New);            // a new filter
//   CDlgSearchFilter dlg(this, CDlgSearchFilter::Mode::Modify, record);  // a copy of a record
//   if (dlg.exec() == QDialog::Accepted) use(dlg.GetFilterRecord());
// After Save the record always holds a non-empty "name" and the three arrays
// "filterfilename", "filterfileext" and "filterdirname" (each possibly empty).
// Save with an empty name, or with a name another filter already has (see
// SetNamesInUse), does not close the dialog. After Cancel the getter
// holds only what was handed in (nothing for New).

#include <QDialog>
#include <json/value.h>

#include "QelFilterRows.h"

class QComboBox;
class QLineEdit;
class QPushButton;
class QTreeWidget;

class CDlgSearchFilter : public QDialog {
    Q_OBJECT
public:
    enum class Mode { New, Modify };
    // List columns; "TypeDef" is hidden and holds the type code.
    enum Column { kColSearchString = 0, kColType = 1, kColTypeDef = 2 };

    // record is used in Modify mode only: its name is shown (and cannot be
    // changed) and its strings fill the list, grouped by type.
    CDlgSearchFilter(QWidget* parent, Mode mode, const Json::Value& record = Json::Value());

    // Names of the filters that exist; Save refuses them, except the name of
    // the record being modified.
    void SetNamesInUse(const QelStringArray& names) { m_namesInUse = names; }

    // The finished record after exec() returned Accepted.
    const Json::Value& GetFilterRecord() const { return m_record; }

    // Save: builds the record, or keeps the dialog open when the name is empty.
    void accept() override;

private:
    void BuildControls();
    void OnAdd();
    void OnDel();
    void AppendRow(const _tag_FilterRow& row);
    QelFilterRowArray ReadRows() const;

    Json::Value m_record;
    QelStringArray m_namesInUse;

    QLineEdit* m_nameEdit = nullptr;
    QLineEdit* m_searchEdit = nullptr;
    QComboBox* m_typeSelector = nullptr;
    QPushButton* m_addButton = nullptr;
    QPushButton* m_delButton = nullptr;
    QTreeWidget* m_list = nullptr;
    QPushButton* m_saveButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
};
