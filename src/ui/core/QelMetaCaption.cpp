#include "QelMetaCaption.h"

#include <rapidjson/document.h>

#include "CQelLogMng.h"
#include "QelJsonParse.h"
#include "QelPropGrammar.h"

namespace QelMetaCaption {

namespace {

int HexDigit(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    return 0;
}

// The member as text when it is a JSON string.
bool StringMember(const rapidjson::Value& word, const char* key, QelString& out) {
    const auto it = word.FindMember(key);
    if (it == word.MemberEnd() || !it->value.IsString()) return false;
    out = QelString::FromUtf8(it->value.GetString(), it->value.GetStringLength());
    return true;
}

// Only the JSON value true sets a flag.
bool FlagMember(const rapidjson::Value& word, const char* key) {
    const auto it = word.FindMember(key);
    return it != word.MemberEnd() && it->value.IsTrue();
}

_tag_MetaWordINfo ReadWord(const rapidjson::Value& word, const QelLogFont& defaultFont, QelColorRef defaultColor,
                           QelColorRef defaultBgColor) {
    _tag_MetaWordINfo info;
    info.color = defaultColor;
    info.bgcolor = defaultBgColor;
    info.font.lfFaceName = defaultFont.lfFaceName;
    info.font.lfHeight = defaultFont.lfHeight;
    info.font.lfWeight = 400;
    info.text = QelString(u"");
    if (!word.IsObject()) return info;

    QelString text;
    if (StringMember(word, "txt", text)) info.text = text;
    if (FlagMember(word, "bold")) info.font.lfWeight = 700;
    info.font.lfItalic = FlagMember(word, "italic") ? 1 : 0;
    info.font.lfUnderline = FlagMember(word, "line") ? 1 : 0;
    info.font.lfStrikeOut = FlagMember(word, "strikeout") ? 1 : 0;
    if (StringMember(word, "color", text)) info.color = ParseHexColor(text);
    if (StringMember(word, "bgcolor", text)) info.bgcolor = ParseHexColor(text);
    if (StringMember(word, "font", text)) info.font.lfFaceName = text.Left(QelLogFont::kFaceNameMax);
    if (StringMember(word, "size", text)) info.font.lfHeight = SizeToHeight(text);
    return info;
}

}  // namespace

int SizeToHeight(const QelString& size) {
    std::u16string text = size.str();
    if (text.find(u"pt") != std::u16string::npos) {
        for (std::size_t at; (at = text.find(u"pt")) != std::u16string::npos;) text.erase(at, 2);
        return -QelPropGrammar::ParseDecimal(QelString(text));
    }
    static const int kTable[] = {-6, -8, -10, -12, -14, -18, -24};
    const int n = QelPropGrammar::ParseDecimal(size);
    return n >= 1 && n <= 7 ? kTable[n - 1] : 0;
}

QelColorRef ParseHexColor(const QelString& text) {
    const auto digit = [&](int i) { return i < text.GetLength() ? HexDigit(text[i]) : 0; };
    const auto pair = [&](int i) { return static_cast<unsigned>(digit(i) * 16 + digit(i + 1)); };
    return QelRGB(pair(0), pair(2), pair(4));
}

bool Parse(const QelString& json, const QelLogFont& defaultFont, QelColorRef defaultColor,
           QelColorRef defaultBgColor, QelArray<QelArray<_tag_MetaWordINfo>>& paragraphs) {
    paragraphs.RemoveAll();
    rapidjson::Document doc;
    if (!qel::ParseRapidJson(json.ToStdString(), doc) || !doc.IsArray()) {
        CQelLogMng::GetInstance()->Write(u"JSON Meta Parse Error!!");
        return false;
    }
    for (const rapidjson::Value& paragraph : doc.GetArray()) {
        QelArray<_tag_MetaWordINfo> words;
        if (paragraph.IsArray()) {
            for (const rapidjson::Value& word : paragraph.GetArray())
                words.Add(ReadWord(word, defaultFont, defaultColor, defaultBgColor));
        }
        paragraphs.Add(std::move(words));
    }
    return true;
}

}  // namespace QelMetaCaption
