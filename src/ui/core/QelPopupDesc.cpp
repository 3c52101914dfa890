#include "QelPopupDesc.h"

#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include "QelJsonParse.h"
#include "QelPropGrammar.h"

namespace QelPopupDescParser {

namespace {

QelString ToQel(const rapidjson::Value& v) { return QelString::FromUtf8(v.GetString(), v.GetStringLength()); }

const rapidjson::Value* Member(const rapidjson::Value& object, const char* key) {
    if (!object.IsObject()) return nullptr;
    const auto it = object.FindMember(key);
    return it == object.MemberEnd() ? nullptr : &it->value;
}

QelColorRef ColorMember(const rapidjson::Value& object, const char* key, QelColorRef fallback) {
    const rapidjson::Value* v = Member(object, key);
    return v && v->IsString() ? ParseColonColor(ToQel(*v)) : fallback;
}

const char* const kButtonColorKeys[] = {"bgcolor",        "fgcolor",        "clrfocus",        "clrpress",
                                        "clrselect",      "clrfocusborder", "clrpressborder",  "clrselectborder",
                                        "clrdisableback", "clrdisabletext"};

void ReadToolbar(const rapidjson::Value& toolbar, QelPopupDesc& desc) {
    desc.hasToolbar = true;
    if (!toolbar.IsObject()) return;
    for (const auto& member : toolbar.GetObject()) {
        if (desc.toolItems.GetCount() >= QelPopupDesc::kMaxToolItems) break;
        _tag_ToolItemInfo item;
        item.name = ToQel(member.name);
        const rapidjson::Value* type = Member(member.value, "type");
        const rapidjson::Value* act = Member(member.value, "act");
        if (type && type->IsString()) item.type = ToQel(*type);
        if (act && act->IsString()) item.act = ToQel(*act);
        for (const char* key : kButtonColorKeys) {
            const rapidjson::Value* colour = Member(member.value, key);
            if (colour && colour->IsString()) item.colors[QelString::FromUtf8(key)] = ParseColonColor(ToQel(*colour));
        }
        if (item.type == QelString(u"button")) desc.toolItems.Add(std::move(item));
    }
}

bool Fail(QelString* error, const char16_t* reason) {
    if (error) *error = reason;
    return false;
}

}  // namespace

QelColorRef ParseColonColor(const QelString& text) {
    QelStringArray fields;
    QelString::Split(text, u":", fields);
    const auto field = [&](int i) {
        return static_cast<unsigned>(i < fields.GetCount() ? QelPropGrammar::ParseDecimal(fields[i]) : 0);
    };
    return QelRGB(field(0), field(1), field(2));
}

QelString GlyphForToolItem(const QelString& name) {
    if (name == QelString(u"add")) return u"╋";
    if (name == QelString(u"del")) return u"━";
    if (name == QelString(u"up")) return u"▲";
    if (name == QelString(u"down")) return u"▼";
    return u"";
}

bool Parse(const std::string& utf8, QelPopupDesc& desc, QelString* error) {
    desc = QelPopupDesc{};
    rapidjson::Document doc;
    if (!qel::ParseRapidJson(utf8, doc) || !doc.IsObject()) return Fail(error, u"not a JSON object");

    const rapidjson::Value* width = Member(doc, "width");
    const rapidjson::Value* height = Member(doc, "height");
    const rapidjson::Value* dispType = Member(doc, "disptype");
    const rapidjson::Value* listOpt = Member(doc, "listopt");
    if (!width || !width->IsInt() || !height || !height->IsInt()) return Fail(error, u"width or height missing");
    if (!dispType || !dispType->IsString()) return Fail(error, u"disptype missing");
    if (!listOpt || !listOpt->IsObject()) return Fail(error, u"listopt missing");

    desc.width = width->GetInt();
    desc.height = height->GetInt();
    desc.bgColor = ColorMember(doc, "bgcolor", QelRGB(255, 255, 255));
    desc.lineColor = ColorMember(doc, "linecolor", 0);
    desc.txtColor = ColorMember(doc, "txtcolor", 0);
    const QelString disp = ToQel(*dispType);
    desc.dispType = disp == QelString(u"optlist")   ? QelPopupDispOptList
                    : disp == QelString(u"cmblist") ? QelPopupDispCmbList
                                                    : QelPopupDispNone;

    if (const rapidjson::Value* toolbar = Member(*listOpt, "toolbar")) ReadToolbar(*toolbar, desc);
    if (const rapidjson::Value* showHead = Member(*listOpt, "showhead")) desc.showHeader = showHead->IsTrue();

    const rapidjson::Value* blockColor = Member(*listOpt, "blockcolor");
    const rapidjson::Value* blockColorList = Member(*listOpt, "blockcolorlist");
    if (blockColor && blockColorList) {
        // A period needs both colours; anything less draws plain rows.
        if (blockColor->IsInt() && blockColor->GetInt() > 0 && blockColorList->IsArray() &&
            blockColorList->Size() >= 2 && (*blockColorList)[0].IsString() && (*blockColorList)[1].IsString()) {
            desc.blockCount = blockColor->GetInt();
            desc.blockColorA = ParseColonColor(ToQel((*blockColorList)[0]));
            desc.blockColorB = ParseColonColor(ToQel((*blockColorList)[1]));
        }
    }

    const rapidjson::Value* colItems = Member(*listOpt, "colitems");
    const rapidjson::Value* colWidths = Member(*listOpt, "colitemwidths");
    if (colItems && colWidths) {
        if (!colItems->IsArray() || !colWidths->IsArray()) return Fail(error, u"columns are not arrays");
        if (colWidths->Size() < colItems->Size()) return Fail(error, u"fewer column widths than columns");
        for (rapidjson::SizeType i = 0; i < colItems->Size(); ++i) {
            const rapidjson::Value& title = (*colItems)[i];
            const rapidjson::Value& colWidth = (*colWidths)[i];
            desc.colItems.Add(title.IsString() ? ToQel(title) : QelString(u""));
            desc.colItemWidths.Add(colWidth.IsInt() ? colWidth.GetInt() : 0);
        }
    }

    if (const rapidjson::Value* values = Member(*listOpt, "values")) {
        if (!values->IsArray()) return Fail(error, u"values is not an array");
        for (const rapidjson::Value& v : values->GetArray()) desc.values.Add(v.IsString() ? ToQel(v) : QelString(u""));
    }
    return true;
}

std::string BuildOptionListResult(const QelStringArray& rows) {
    rapidjson::StringBuffer buffer;
    rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
    writer.StartObject();
    writer.Key("ret");
    writer.StartArray();
    for (const QelString& row : rows) {
        const std::string text = row.ToStdString();
        writer.String(text.c_str(), static_cast<rapidjson::SizeType>(text.size()));
    }
    writer.EndArray();
    writer.EndObject();
    return buffer.GetString();
}

std::string BuildPickListResult(int selectedIndex) {
    rapidjson::StringBuffer buffer;
    rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
    writer.StartObject();
    writer.Key("ret");
    writer.Int(selectedIndex);
    writer.EndObject();
    return buffer.GetString();
}

}  // namespace QelPopupDescParser
