#pragma once
// Value types of the control property bag: colours, the font record and the
// border record. Plain data, no window system.

#include <cstdint>

#include "QelString.h"

// A colour as 0x00BBGGRR: red in the low byte, then green, then blue.
using QelColorRef = std::uint32_t;

constexpr QelColorRef QelRGB(unsigned r, unsigned g, unsigned b) {
    return (r & 0xFFu) | ((g & 0xFFu) << 8) | ((b & 0xFFu) << 16);
}
constexpr unsigned QelGetRValue(QelColorRef c) { return c & 0xFFu; }
constexpr unsigned QelGetGValue(QelColorRef c) { return (c >> 8) & 0xFFu; }
constexpr unsigned QelGetBValue(QelColorRef c) { return (c >> 16) & 0xFFu; }

// The font description the font grammar carries. It becomes a real font only
// when painting; the face name is kept as written even when no such face exists.
struct QelLogFont {
    static constexpr int kFaceNameMax = 31;  // longer face names are cut

    QelString lfFaceName;
    std::int32_t lfHeight = 0;      // negative: character height in pixels; positive: cell height
    std::int32_t lfWeight = 0;      // 400 normal, 700 bold, 0 default
    std::int32_t lfEscapement = 0;  // tenths of a degree; -900 runs text top to bottom
    std::uint8_t lfItalic = 0;
    std::uint8_t lfUnderline = 0;
    std::uint8_t lfStrikeOut = 0;
    std::uint8_t lfCharSet = 0;

    friend bool operator==(const QelLogFont&, const QelLogFont&) = default;
};

// Frame of a control.
struct _tag_borderInfo {
    bool draw = false;          // false: plain background, no frame
    std::int32_t reserved = 0;  // carried through text and back; nothing paints it
    float corner = 0.0f;        // size of the ellipse rounding the corners, in pixels
    std::int32_t width = 1;     // frame thickness in pixels
    QelColorRef color = 0;      // frame colour

    friend bool operator==(const _tag_borderInfo&, const _tag_borderInfo&) = default;
};

// Type codes of property records.
enum PropType : std::uint16_t {
    PropTypeString = 0,
    PropTypeInt = 1,
    PropTypeBool = 2,
    PropTypeColor = 3,
    PropTypeFont = 4,
    PropTypeIntArray = 5,
    PropTypeBorder = 6,
};

// Alignment codes of the "halign" and "valign" properties.
enum QelHAlign { QelHAlignLeft = 0, QelHAlignCenter = 1, QelHAlignRight = 2 };
enum QelVAlign { QelVAlignTop = 0, QelVAlignMiddle = 1, QelVAlignBottom = 2 };
