#include "QelRenameRule.h"
#include "QelJsonParse.h"

#include <json/reader.h>

namespace qel {

namespace {
struct OperateKey {
    QelRenameOperate operate;
    const char* key;
};
constexpr OperateKey kOperateKeys[] = {
    {QelRenameOperate::Change, "change"},
    {QelRenameOperate::PreAdd, "preadd"},
    {QelRenameOperate::PostAdd, "postadd"},
    {QelRenameOperate::ExtChange, "extchange"},
};

std::string StringMember(const Json::Value& object, const char* key) {
    const Json::Value& value = object[key];
    return value.isString() ? value.asString() : std::string();
}
}  // namespace

const char* RenameOperateKey(QelRenameOperate operate) {
    for (const OperateKey& entry : kOperateKeys) {
        if (entry.operate == operate) return entry.key;
    }
    return kOperateKeys[0].key;
}

QelRenameOperate RenameOperateFromKey(std::string_view key) {
    for (const OperateKey& entry : kOperateKeys) {
        if (key == entry.key) return entry.operate;
    }
    return QelRenameOperate::Change;
}

std::vector<_tag_RenameRuleRecord> ReadRenameRuleRecords(const Json::Value& ruleSet) {
    std::vector<_tag_RenameRuleRecord> records;
    if (!ruleSet.isArray()) return records;
    for (const Json::Value& element : ruleSet) {
        if (!element.isObject()) continue;
        records.push_back({StringMember(element, "type"), StringMember(element, "operate"),
                           QelString::FromUtf8(StringMember(element, "findadd")),
                           QelString::FromUtf8(StringMember(element, "replace"))});
    }
    return records;
}

QelRenameRuleSet RenameRulesFromJson(const Json::Value& ruleSet) {
    QelRenameRuleSet rules;
    for (const _tag_RenameRuleRecord& record : ReadRenameRuleRecords(ruleSet)) {
        rules.push_back({record.type == "folder" ? QelRenameItem::Folder : QelRenameItem::File,
                         RenameOperateFromKey(record.operate), record.findAdd, record.replace});
    }
    return rules;
}

bool ParseRenameRuleSet(std::string_view text, QelRenameRuleSet& rules) {
    rules.clear();
    Json::Value value;
    if (!qel::ParseJsonCpp(text, value) || !value.isArray()) return false;
    rules = RenameRulesFromJson(value);
    return true;
}

std::u16string ReplaceAllText(std::u16string_view text, std::u16string_view find, std::u16string_view replace) {
    if (find.empty()) return std::u16string(text);
    std::u16string out;
    out.reserve(text.size());
    std::size_t from = 0;
    for (std::size_t hit = text.find(find); hit != std::u16string_view::npos; hit = text.find(find, from)) {
        out.append(text.substr(from, hit - from)).append(replace);
        from = hit + find.size();
    }
    out.append(text.substr(from));
    return out;
}

std::size_t FindExtensionDot(std::u16string_view name) {
    const std::size_t dot = name.rfind(u'.');
    return dot == std::u16string_view::npos || dot < 1 ? std::u16string_view::npos : dot;
}

std::optional<std::u16string> RenamedName(const _tag_RenameRule& rule, std::u16string_view name, bool isDirectory) {
    const std::u16string_view add = rule.findAdd.view();
    if (rule.item == QelRenameItem::Folder) {
        if (!isDirectory) return std::nullopt;
        switch (rule.operate) {
            case QelRenameOperate::Change: return ReplaceAllText(name, add, rule.replace.view());
            case QelRenameOperate::PreAdd: return std::u16string(add).append(name);
            case QelRenameOperate::PostAdd: return std::u16string(name).append(add);
            case QelRenameOperate::ExtChange: return std::nullopt;
        }
        return std::nullopt;
    }
    const std::size_t dot = FindExtensionDot(name);
    const std::u16string_view base = name.substr(0, dot);
    // The extension with its dot; empty without one.
    const std::u16string_view extension = dot == std::u16string_view::npos ? std::u16string_view() : name.substr(dot);
    switch (rule.operate) {
        case QelRenameOperate::Change: return ReplaceAllText(base, add, rule.replace.view()).append(extension);
        case QelRenameOperate::PreAdd: return std::u16string(add).append(base).append(extension);
        case QelRenameOperate::PostAdd: return std::u16string(base).append(add).append(extension);
        case QelRenameOperate::ExtChange:
            if (extension.empty()) return std::nullopt;
            return std::u16string(base).append(u".").append(ReplaceAllText(extension.substr(1), add, rule.replace.view()));
    }
    return std::nullopt;
}

}  // namespace qel
