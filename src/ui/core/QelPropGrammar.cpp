#include "QelPropGrammar.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <string>

namespace QelPropGrammar {

namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\v' || c == u'\f'; }

int HexDigit(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    return 0;
}

// Two hexadecimal digits at pos and pos + 1; missing or bad digits are 0.
unsigned HexPair(const QelString& text, int pos) {
    const auto at = [&](int i) { return i < text.GetLength() ? HexDigit(text[i]) : 0; };
    return static_cast<unsigned>(at(pos) * 16 + at(pos + 1));
}

const char16_t kHex[] = u"0123456789abcdef";

void AppendHexByte(QelString& out, unsigned value) {
    out.Append(kHex[(value >> 4) & 0xF]);
    out.Append(kHex[value & 0xF]);
}

}  // namespace

QelStringArray SplitFields(const QelString& text) {
    QelStringArray fields;
    QelString::Split(text, u",", fields);
    return fields;
}

int ParseDecimal(const QelString& text) {
    int i = 0;
    const int n = text.GetLength();
    while (i < n && IsBlank(text[i])) ++i;
    bool negative = false;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
    long long value = 0;
    for (; i < n && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        value = value * 10 + (text[i] - u'0');
        if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

double ParseDecimalNumber(const QelString& text) {
    // Plain ASCII copy so the conversion does not depend on the C locale
    // (Qt sets LC_NUMERIC from the environment, which may use a decimal comma).
    std::string ascii;
    int i = 0;
    const int n = text.GetLength();
    while (i < n && IsBlank(text[i])) ++i;
    if (i < n && text[i] == u'+') ++i;
    for (; i < n && text[i] < 0x80; ++i) ascii.push_back(static_cast<char>(text[i]));
    double value = 0.0;
    const auto result = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
    if (result.ec != std::errc() || !std::isfinite(value)) return 0.0;
    return value;
}

bool ParseBool(const QelString& text) { return text == QelString(u"true") || text == QelString(u"1"); }

QelString FormatBool(bool value) { return value ? QelString(u"true") : QelString(u"false"); }

QelColorRef ParseColor(const QelString& text) {
    if (text.Find(u'#') >= 0) return QelRGB(HexPair(text, 1), HexPair(text, 3), HexPair(text, 5));
    const QelStringArray fields = SplitFields(text);
    const auto field = [&](int i) { return i < fields.GetCount() ? ParseDecimal(fields[i]) : 0; };
    return QelRGB(static_cast<unsigned>(field(0)), static_cast<unsigned>(field(1)), static_cast<unsigned>(field(2)));
}

QelString FormatColor(QelColorRef color) {
    QelString out(u"#");
    AppendHexByte(out, QelGetRValue(color));
    AppendHexByte(out, QelGetGValue(color));
    AppendHexByte(out, QelGetBValue(color));
    return out;
}

QelLogFont ParseFont(const QelString& text) {
    const QelStringArray fields = SplitFields(text);
    const auto number = [&](int i) { return i < fields.GetCount() ? ParseDecimal(fields[i]) : 0; };
    QelLogFont font;
    if (fields.GetCount() > 0) font.lfFaceName = fields[0].Left(QelLogFont::kFaceNameMax);
    font.lfHeight = number(1);
    font.lfWeight = number(2);
    font.lfItalic = static_cast<std::uint8_t>(number(3));
    font.lfUnderline = static_cast<std::uint8_t>(number(4));
    font.lfStrikeOut = static_cast<std::uint8_t>(number(5));
    font.lfCharSet = static_cast<std::uint8_t>(number(6));
    return font;
}

QelString FormatFont(const QelLogFont& font) {
    return QelString::Formatted(u"%s,%d,%d,%d,%d,%d,%d", font.lfFaceName, font.lfHeight, font.lfWeight,
                                static_cast<int>(font.lfItalic), static_cast<int>(font.lfUnderline),
                                static_cast<int>(font.lfStrikeOut), static_cast<int>(font.lfCharSet));
}

QelArray<int> ParseIntArray(const QelString& text) {
    QelArray<int> values;
    for (const QelString& field : SplitFields(text)) values.Add(ParseDecimal(field));
    return values;
}

QelString FormatIntArray(const QelArray<int>& values) {
    QelString out(u"");
    for (int i = 0; i < values.GetCount(); ++i) {
        if (i) out.Append(u',');
        out.Append(QelString::Formatted(u"%d", values[i]));
    }
    return out;
}

_tag_borderInfo ParseBorder(const QelString& text) {
    const QelStringArray fields = SplitFields(text);
    _tag_borderInfo border;
    const int n = fields.GetCount();
    if (n > 0) border.draw = ParseBool(fields[0]);
    if (n > 1) border.reserved = ParseDecimal(fields[1]);
    if (n > 2) border.corner = static_cast<float>(ParseDecimalNumber(fields[2]));
    if (n > 3) border.width = ParseDecimal(fields[3]);
    if (n > 4) border.color = ParseColor(fields[4]);
    return border;
}

QelString FormatBorder(const _tag_borderInfo& border) {
    // The corner is written with six decimals and a decimal point whatever the locale.
    char corner[64];
    const auto result = std::to_chars(corner, corner + sizeof corner - 1, static_cast<double>(border.corner),
                                      std::chars_format::fixed, 6);
    *result.ptr = 0;
    return QelString::Formatted(u"%s,%d,%s,%d,%s", FormatBool(border.draw), border.reserved,
                                QelString::FromUtf8(corner), border.width, FormatColor(border.color));
}

}  // namespace QelPropGrammar
