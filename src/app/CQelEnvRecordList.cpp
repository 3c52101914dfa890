#include "CQelEnvRecordList.h"

#include <QComboBox>

#include "CQelMessageBox.h"
#include "QelEnvFile.h"
#include "QelJsonArrays.h"
#include "QelQtConvert.h"

CQelEnvRecordList::CQelEnvRecordList(CQelJSONFileMng& settings, const char16_t* key, Json::Value*& arrayInUse)
    : m_settings(settings), m_key(key), m_array(arrayInUse) {}

void CQelEnvRecordList::Fill() {
    qel::BuildNameList(*m_array, m_names, m_indexes);
    m_combo->clear();
    for (const QelString& name : m_names) m_combo->addItem(ToQString(name));
    if (m_combo->count() > 0) m_combo->setCurrentIndex(0);
}

int CQelEnvRecordList::SelectedIndex() const {
    const int entry = m_combo->currentIndex();
    if (entry < 0 || entry >= m_indexes.GetCount()) return -1;
    return m_indexes[static_cast<std::size_t>(entry)];
}

const Json::Value* CQelEnvRecordList::Record(int arrayIndex) const {
    if (arrayIndex < 0 || !m_array->isArray() || static_cast<Json::ArrayIndex>(arrayIndex) >= m_array->size())
        return nullptr;
    return &(*m_array)[static_cast<Json::ArrayIndex>(arrayIndex)];
}

void CQelEnvRecordList::SelectByName(const QelString& name) {
    for (int i = 0; i < m_names.GetCount(); ++i) {
        if (m_names[static_cast<std::size_t>(i)] != name) continue;
        m_combo->setCurrentIndex(i);
        return;
    }
}

void CQelEnvRecordList::WriteBack(const Json::Value& array) {
    m_array = qel::WriteBackArray(m_settings, m_key, array);
}

void CQelEnvRecordList::Append(const Json::Value& record) {
    m_array->append(record);
    WriteBack(*m_array);
    Fill();
    if (m_combo->count() > 0) m_combo->setCurrentIndex(m_combo->count() - 1);
    if (m_changed) m_changed();
}

void CQelEnvRecordList::Replace(int arrayIndex, const Json::Value& record) {
    if (!Record(arrayIndex)) return;
    (*m_array)[static_cast<Json::ArrayIndex>(arrayIndex)] = record;
    WriteBack(*m_array);
    if (m_changed) m_changed();
}

void CQelEnvRecordList::DeleteSelected(QWidget* parent) {
    const int arrayIndex = SelectedIndex();
    if (arrayIndex < 0) return;
    const QString question =
        QStringLiteral("\"%1\" Are you sure you want to delete the selection?").arg(m_combo->currentText());
    if (!CQelMessageBox::Ask(parent, question)) return;
    WriteBack(qel::ArrayWithout(*m_array, static_cast<Json::ArrayIndex>(arrayIndex)));
    Fill();
    if (m_changed) m_changed();
}
