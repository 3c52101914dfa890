#include "QelEnvFile.h"

namespace qel {

namespace {

constexpr char16_t kLeft[] = u"applastpos.left";
constexpr char16_t kTop[] = u"applastpos.top";
constexpr char16_t kRight[] = u"applastpos.right";
constexpr char16_t kBottom[] = u"applastpos.bottom";

Json::Value* FindArray(CQelJSONFileMng& settings, const QelString& key, int tree) {
    Json::Value* value = settings.FindValue(key, tree);
    return (value && value->isArray()) ? value : nullptr;
}

}  // namespace

QelEnvArrays LoadEnvironment(CQelJSONFileMng& settings) {
    settings.Load(kEnvFileName);  // a missing or broken file leaves empty arrays below
    QelEnvArrays arrays;
    arrays.history = FindArrayInUse(settings, kEnvHistoryKey);
    arrays.filters = FindArrayInUse(settings, kEnvFilterKey);
    arrays.jobs = FindArrayInUse(settings, kEnvJobKey);
    return arrays;
}

Json::Value* FindArrayInUse(CQelJSONFileMng& settings, const QelString& key) {
    if (Json::Value* user = FindArray(settings, key, CQelJSONFileMng::kUser)) return user;
    if (Json::Value* config = FindArray(settings, key, CQelJSONFileMng::kConfig)) return config;
    Json::Value* made = settings.MakeValue(key, CQelJSONFileMng::kUser);
    *made = Json::Value(Json::arrayValue);
    return made;
}

Json::Value* WriteBackArray(CQelJSONFileMng& settings, const QelString& key, const Json::Value& array) {
    Json::Value* target = settings.FindValue(key, CQelJSONFileMng::kUser);
    if (!target) target = settings.MakeValue(key, CQelJSONFileMng::kUser);
    if (target != &array) *target = array;
    return target;
}

void BuildNameList(const Json::Value& records, QelStringArray& names, QelArray<int>& indexes) {
    names.RemoveAll();
    indexes.RemoveAll();
    if (!records.isArray()) return;
    for (Json::ArrayIndex i = 0; i < records.size(); ++i) {
        const Json::Value& record = records[i];
        if (!record.isObject()) continue;
        const Json::Value& name = record["name"];
        // A record without a name cannot be told apart in a list, and an empty
        // name would answer a script's empty variable: neither is ever chosen.
        if (!name.isString() || name.asString().empty()) continue;
        names.Add(QelString::FromUtf8(name.asString()));
        indexes.Add(static_cast<int>(i));
    }
}

bool ReadLastPosition(CQelJSONFileMng& settings, QelWindowRect& rect) {
    settings.GetIntValue(kLeft, 0, rect.left);
    settings.GetIntValue(kTop, 0, rect.top);
    settings.GetIntValue(kRight, 0, rect.right);
    settings.GetIntValue(kBottom, 0, rect.bottom);
    return rect.left != 0 || rect.top != 0 || rect.right != 0 || rect.bottom != 0;
}

void StoreLastPosition(CQelJSONFileMng& settings, const QelWindowRect& rect) {
    settings.SetIntValue(kLeft, rect.left, CQelJSONFileMng::kUser);
    settings.SetIntValue(kTop, rect.top, CQelJSONFileMng::kUser);
    settings.SetIntValue(kRight, rect.right, CQelJSONFileMng::kUser);
    settings.SetIntValue(kBottom, rect.bottom, CQelJSONFileMng::kUser);
}

bool SaveEnvironment(CQelJSONFileMng& settings) {
    return settings.Save(kEnvFileName, true);
}

}  // namespace qel
