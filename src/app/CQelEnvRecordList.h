#pragma once
// One list of named records of env.json ("searchfilter", "aftersearchjob") as
// the main window shows it in a combo box. Every change is written back into
// the user tree at once and then reported (the main window saves the file).
//
// Each combo entry remembers the array index of its record: a record without
// a "name" (a hand-edited file) is not listed, and must not shift the entries
// after it onto the wrong record.

#include <json/value.h>

#include <functional>

#include "CQelJSONFileMng.h"
#include "QelString.h"

class QComboBox;
class QWidget;

class CQelEnvRecordList {
public:
    // arrayInUse is the caller's pointer to the array in use; it is updated
    // when a write-back makes the user tree's copy the array in use.
    CQelEnvRecordList(CQelJSONFileMng& settings, const char16_t* key, Json::Value*& arrayInUse);

    void SetComboBox(QComboBox* combo) { m_combo = combo; }
    // Called after every change to the records.
    void SetOnChanged(std::function<void()> changed) { m_changed = std::move(changed); }
    // Selects the first entry named name; the selection stays when there is none.
    void SelectByName(const QelString& name);

    // Rebuilds the names from the array and fills the combo box, first entry selected.
    void Fill();

    // The listed names, in list order.
    const QelStringArray& Names() const { return m_names; }
    // Array index of the selected entry's record; -1 when the list is empty.
    int SelectedIndex() const;
    // The record at an array index from SelectedIndex(); null when there is none.
    const Json::Value* Record(int arrayIndex) const;

    // Appends the record and selects its entry, the new last one.
    void Append(const Json::Value& record);
    // Replaces the record at arrayIndex; names and the combo box stay as they are.
    void Replace(int arrayIndex, const Json::Value& record);
    // Asks whether to delete the selected entry; on Yes removes its record and
    // its entry and selects the first entry.
    void DeleteSelected(QWidget* parent);

private:
    void WriteBack(const Json::Value& array);

    CQelJSONFileMng& m_settings;
    QelString m_key;
    Json::Value*& m_array;
    QComboBox* m_combo = nullptr;
    std::function<void()> m_changed;
    QelStringArray m_names;
    QelArray<int> m_indexes;  // array index of each name
};
