#include "CQelCtlBase.h"

#include "QelPropGrammar.h"

using namespace QelPropGrammar;

void CQelCtlBase::InitProperties() {
    RegisterProp<QelString>(u"caption", u"");
    RegisterProp<bool>(u"visible", u"true");
    RegisterProp<bool>(u"enable", u"true");
    RegisterProp<unsigned long>(u"bgcolor", u"#ffffff");
    RegisterProp<unsigned long>(u"fgcolor", u"#000000");
    RegisterProp<QelArray<int>>(u"layout", u"0,0,0,0");
    RegisterProp<QelLogFont>(u"font", u"맑은 고딕,-12,400,0,0,0,129");
    RegisterProp<_tag_borderInfo>(u"border", u"false,0,0,1,#000000");
    RegisterProp<int>(u"halign", u"0");
    RegisterProp<int>(u"valign", u"1");
    RegisterProp<QelArray<int>>(u"padding", u"0,0,0,0");
}

void CQelCtlBase::RegisterProperty(CQelCtlPropBase* record) {
    if (!record) return;
    m_props[record->name].reset(record);
}

CQelCtlPropBase* CQelCtlBase::Find(const QelString& name, std::uint16_t type) const {
    const auto it = m_props.find(name);
    if (it == m_props.end() || it->second->type != type) return nullptr;
    return it->second.get();
}

int CQelCtlBase::GetPropType(const QelString& name) const {
    const auto it = m_props.find(name);
    return it == m_props.end() ? -1 : it->second->type;
}

QelStringArray CQelCtlBase::GetPropNames() const {
    QelStringArray names;
    for (const auto& [name, record] : m_props) names.Add(name);
    return names;
}

QelString CQelCtlBase::GetPropString(const QelString& name) const {
    const auto it = m_props.find(name);
    return it == m_props.end() ? QelString(u"") : it->second->value;
}

void CQelCtlBase::SetPropString(const QelString& name, const QelString& text) {
    const auto it = m_props.find(name);
    if (it != m_props.end()) it->second->value = text;
}

bool CQelCtlBase::GetPropBool(const QelString& name) const {
    const CQelCtlPropBase* p = Find(name, PropTypeBool);
    return p && ParseBool(p->value);
}

void CQelCtlBase::SetPropBool(const QelString& name, bool value) {
    if (CQelCtlPropBase* p = Find(name, PropTypeBool)) p->value = FormatBool(value);
}

int CQelCtlBase::GetPropInt(const QelString& name) const {
    const CQelCtlPropBase* p = Find(name, PropTypeInt);
    return p ? ParseDecimal(p->value) : 0;
}

void CQelCtlBase::SetPropInt(const QelString& name, int value) {
    if (CQelCtlPropBase* p = Find(name, PropTypeInt)) p->value = QelString::Formatted(u"%d", value);
}

QelColorRef CQelCtlBase::GetPropColor(const QelString& name) const {
    const CQelCtlPropBase* p = Find(name, PropTypeColor);
    return p ? ParseColor(p->value) : 0;
}

void CQelCtlBase::SetPropColor(const QelString& name, QelColorRef color) {
    if (CQelCtlPropBase* p = Find(name, PropTypeColor)) p->value = FormatColor(color);
}

QelLogFont CQelCtlBase::GetPropFont(const QelString& name) const {
    const CQelCtlPropBase* p = Find(name, PropTypeFont);
    return p ? ParseFont(p->value) : QelLogFont{};
}

void CQelCtlBase::SetPropFont(const QelString& name, const QelLogFont& font) {
    if (CQelCtlPropBase* p = Find(name, PropTypeFont)) p->value = FormatFont(font);
}

QelArray<int> CQelCtlBase::GetPropIntArray(const QelString& name) const {
    const CQelCtlPropBase* p = Find(name, PropTypeIntArray);
    return p ? ParseIntArray(p->value) : QelArray<int>{};
}

void CQelCtlBase::SetPropIntArray(const QelString& name, const QelArray<int>& values) {
    if (CQelCtlPropBase* p = Find(name, PropTypeIntArray)) p->value = FormatIntArray(values);
}

_tag_borderInfo CQelCtlBase::GetPropBorder(const QelString& name) const {
    const CQelCtlPropBase* p = Find(name, PropTypeBorder);
    return p ? ParseBorder(p->value) : _tag_borderInfo{};
}

void CQelCtlBase::SetPropBorder(const QelString& name, const _tag_borderInfo& border) {
    if (CQelCtlPropBase* p = Find(name, PropTypeBorder)) p->value = FormatBorder(border);
}
