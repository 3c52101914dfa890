// What the main window remembers across runs besides the lists: the last
// Work Path, the chosen filter and job and the "After Search" tick, kept
// under keys of their own in the user's env.json.

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <cstring>

#include "CQelLogMng.h"
#include "CTessaryDlgDlg.h"
#include "QelEnvFile.h"
#include "QelQtConvert.h"

namespace {

constexpr char kLastPathKey[] = "lastworkpath";
constexpr char kLastFilterKey[] = "lastsearchfilter";
constexpr char kLastJobKey[] = "lastaftersearchjob";
constexpr char kAfterSearchKey[] = "aftersearch";

QelString StringMember(const Json::Value& tree, const char* key) {
    const Json::Value* value = tree.isObject() ? tree.find(key, key + std::strlen(key)) : nullptr;
    return value && value->isString() ? QelString::FromUtf8(value->asString()) : QelString();
}

}  // namespace

void CTessaryDlgDlg::RestoreChoices() {
    const Json::Value& user = m_settings.UserTree();
    m_pathEdit->setText(ToQString(StringMember(user, kLastPathKey)));
    m_filterList.SelectByName(StringMember(user, kLastFilterKey));
    m_jobList.SelectByName(StringMember(user, kLastJobKey));
    const Json::Value* tick = user.isObject() ? user.find(kAfterSearchKey, kAfterSearchKey + std::strlen(kAfterSearchKey))
                                              : nullptr;
    m_afterSearch->setChecked(tick && tick->isBool() && tick->asBool());
}

void CTessaryDlgDlg::StoreChoices() {
    Json::Value& user = m_settings.UserTree();
    if (!user.isObject()) user = Json::Value(Json::objectValue);
    user[kLastPathKey] = FromQString(m_pathEdit->text()).ToStdString();
    user[kLastFilterKey] = FromQString(m_filterCombo->currentText()).ToStdString();
    user[kLastJobKey] = FromQString(m_jobCombo->currentText()).ToStdString();
    user[kAfterSearchKey] = m_afterSearch->isChecked();
}

// A change to the filters, jobs or history reaches the file at once, so a
// crash or a killed session loses nothing; Exit still writes it all again.
void CTessaryDlgDlg::SaveAfterChange() {
    StoreChoices();
    if (!qel::SaveEnvironment(m_settings))
        CQelLogMng::GetInstance()->Write(u"Settings not saved after a change");
}
