#include "QelCliFilter.h"

#include <json/json.h>

#include <cstring>

#include "CQelJSONFileMng.h"
#include "QelEnvFile.h"

namespace {

QelString FromJson(const Json::Value& text) {
    const char* begin = nullptr;
    const char* end = nullptr;
    text.getString(&begin, &end);
    return QelString::FromUtf8(begin, static_cast<std::size_t>(end - begin));
}

const Json::Value* Member(const Json::Value& record, const char* key) {
    return record.find(key, key + std::strlen(key));
}

// Strings of a record's array; a missing array counts as empty.
void AppendStrings(const Json::Value& record, const char* key, QelStringArray& out) {
    const Json::Value* list = Member(record, key);
    if (!list || !list->isArray()) return;
    for (const Json::Value& item : *list)
        if (item.isString()) out.Add(FromJson(item));
}

const Json::Value* FilterArray(CQelJSONFileMng& env) {
    for (int tree : {CQelJSONFileMng::kUser, CQelJSONFileMng::kConfig}) {
        const Json::Value* list = env.FindValue(QelString(u"searchfilter"), tree);
        if (list && list->isArray()) return list;
    }
    return nullptr;
}

}  // namespace

QelString DescribeUnreadableSettings(const CQelJSONFileMng& env) {
    const QelString reason = env.GetUnreadableReason();
    if (reason.IsEmpty()) return QelString(u"The settings file env.json could not be read.");
    return QelString::Formatted(u"The settings file env.json could not be read (%s).", reason);
}

bool LoadNamedFilter(const QelString& name, QelStringArray& names, QelStringArray& exts, QelStringArray& folders,
                     QelString& error) {
    CQelJSONFileMng env;
    if (!env.Load(QelString(u"env.json"))) {
        error = DescribeUnreadableSettings(env);
        return false;
    }
    // Only the filters the main window lists can be chosen, the first of them by default.
    const Json::Value* filters = FilterArray(env);
    QelStringArray listed;
    QelArray<int> indexes;
    if (filters) qel::BuildNameList(*filters, listed, indexes);
    if (listed.empty()) {
        error = QelString(u"There are no search filters.");
        return false;
    }
    for (std::size_t i = 0; i < listed.size(); ++i) {
        if (name.IsSet() && !listed[i].Equals(name)) continue;
        const Json::Value& record = (*filters)[static_cast<Json::ArrayIndex>(indexes[i])];
        AppendStrings(record, "filterfilename", names);
        AppendStrings(record, "filterfileext", exts);
        AppendStrings(record, "filterdirname", folders);
        return true;
    }
    error = QelString::Formatted(u"There is no search filter named \"%s\".", name);
    return false;
}
