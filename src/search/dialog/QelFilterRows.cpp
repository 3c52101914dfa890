#include "QelFilterRows.h"

namespace {
// JSON strings are UTF-8 (or raw file-name bytes); both conversions are lossless.
QelString FromJsonString(const Json::Value& value) {
    const char* begin = nullptr;
    const char* end = nullptr;
    value.getString(&begin, &end);
    return QelString::FromUtf8(begin, static_cast<std::size_t>(end - begin));
}

Json::Value ToJsonString(const QelString& text) {
    const std::string bytes = text.ToStdString();
    return Json::Value(bytes.data(), bytes.data() + bytes.size());
}
}  // namespace

const _tag_FilterTypeInfo* FindFilterType(int code) {
    for (const auto& type : kFilterTypes) {
        if (type.code == code) return &type;
    }
    return nullptr;
}

QelFilterRowArray SplitFullFileName(const QelString& text) {
    QelFilterRowArray rows;
    int dot = text.ReverseFind(u'.');
    if (dot < 1) {  // a leading dot is part of the name, not an extension mark
        if (!text.IsEmpty()) rows.Add({text, kFilterTypeFileName});
        return rows;
    }
    rows.Add({text.Left(dot), kFilterTypeFileName});
    const QelString ext = text.Mid(dot + 1);
    if (!ext.IsEmpty()) rows.Add({ext, kFilterTypeFileExt});
    return rows;
}

QelFilterRowArray MakeFilterRows(int selectorIndex, const QelString& text) {
    if (text.IsEmpty()) return {};
    switch (selectorIndex) {
        case kSelectFullFileName:
            return SplitFullFileName(text);
        case kSelectFileName:
            return {{text, kFilterTypeFileName}};
        case kSelectFileExt:
            return {{text, kFilterTypeFileExt}};
        case kSelectFolderName:
            return {{text, kFilterTypeFolder}};
        default:
            return {};
    }
}

QelFilterRowArray FilterRowsFromRecord(const Json::Value& record) {
    QelFilterRowArray rows;
    if (!record.isObject()) return rows;
    for (const auto& type : kFilterTypes) {
        const Json::Value& strings = record[type.recordKey];
        if (!strings.isArray()) continue;
        for (const Json::Value& s : strings) {
            if (s.isString()) rows.Add({FromJsonString(s), type.code});
        }
    }
    return rows;
}

Json::Value FilterRecordFromRows(const QelString& name, const QelFilterRowArray& rows) {
    Json::Value record(Json::objectValue);
    record["name"] = ToJsonString(name);
    for (const auto& type : kFilterTypes) record[type.recordKey] = Json::Value(Json::arrayValue);
    for (const auto& row : rows) {
        if (const _tag_FilterTypeInfo* type = FindFilterType(row.typeCode)) {
            record[type->recordKey].append(ToJsonString(row.text));
        }
    }
    return record;
}

QelString FilterRecordName(const Json::Value& record) {
    if (!record.isObject()) return QelString(u"");
    const Json::Value& name = record["name"];
    return name.isString() ? FromJsonString(name) : QelString(u"");
}
