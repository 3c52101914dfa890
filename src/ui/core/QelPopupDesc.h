#pragma once
// The JSON description of a popup list (size, colours, display type, list
// options, toolbar) read into plain values, and the result text the popup
// hands back. No window system here.

#include <string>

#include "QelCtlTypes.h"

// What kind of list the popup shows.
enum QelPopupDispType { QelPopupDispNone = 0, QelPopupDispOptList = 1, QelPopupDispCmbList = 2 };

// One toolbar entry.
struct _tag_ToolItemInfo {
    QelString type;                         // only "button" items are kept
    QelString name;                         // member name in "toolbar"; chooses the glyph
    QelString act;                          // "func|add", "func|del", "func|up", "func|down"
    QelMap<QelString, QelColorRef> colors;  // button colour properties present in the item
};

struct QelPopupDesc {
    // Toolbar buttons read; later ones are ignored: far more than fit any
    // popup, and a view file with thousands would freeze the window.
    static constexpr int kMaxToolItems = 32;
    int width = 0;
    int height = 0;
    QelColorRef bgColor = QelRGB(255, 255, 255);
    QelColorRef lineColor = 0;
    QelColorRef txtColor = 0;
    int dispType = QelPopupDispNone;

    bool hasToolbar = false;  // "toolbar" present (even when it keeps no button)
    QelArray<_tag_ToolItemInfo> toolItems;
    bool showHeader = true;  // hidden only when "showhead" is present and not true
    int blockCount = 0;      // row colour period; 0 for plain rows
    QelColorRef blockColorA = 0;
    QelColorRef blockColorB = 0;
    QelStringArray colItems;
    QelArray<int> colItemWidths;
    QelStringArray values;
};

namespace QelPopupDescParser {

// "R:G:B", each field decimal cut to 8 bits, missing fields 0.
QelColorRef ParseColonColor(const QelString& text);

// Caption glyph of a tool item by its name: "add" "╋", "del" "━", "up" "▲",
// "down" "▼"; empty for any other name.
QelString GlyphForToolItem(const QelString& name);

// Parses a description. False when it is not JSON, lacks "width", "height",
// "disptype" or "listopt", has them of the wrong type, or has fewer
// "colitemwidths" than "colitems". error receives a short reason.
bool Parse(const std::string& utf8, QelPopupDesc& desc, QelString* error = nullptr);

// {"ret":["row 1","row 2",...]} for an option list.
std::string BuildOptionListResult(const QelStringArray& rows);
// {"ret":index} for a pick list; -1 when nothing is selected.
std::string BuildPickListResult(int selectedIndex);

}  // namespace QelPopupDescParser
