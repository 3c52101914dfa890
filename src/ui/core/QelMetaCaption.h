#pragma once
// The meta caption of a label: a JSON array of paragraphs, each an array of
// styled words. This reads the JSON into words with their fonts and colours;
// measuring and painting them is the label's job.

#include "QelCtlTypes.h"

// One styled word.
struct _tag_MetaWordINfo {
    QelString text;
    QelColorRef color = 0;    // text colour
    QelColorRef bgcolor = 0;  // background of the text cell
    QelLogFont font;
    int width = 0;  // measured width in pixels, filled by the layout
};

// One paragraph after layout: rows of words and the height of each row.
struct _tag_MetaLineInfo {
    QelArray<int> rowHeights;
    QelArray<QelArray<_tag_MetaWordINfo>> rows;
};

namespace QelMetaCaption {

// Font height for a word's "size": "12pt" gives -12; "1" to "7" map through
// the size table (-6, -8, -10, -12, -14, -18, -24); anything else gives 0.
int SizeToHeight(const QelString& size);
// "RRGGBB" with no "#": six hexadecimal digits, red first; a bad or missing digit is 0.
QelColorRef ParseHexColor(const QelString& text);

// Reads the meta caption into paragraphs of words (width 0). Missing word
// members take the defaults given (the label's font, text and background
// colours). False, with the log line "JSON Meta Parse Error!!", when the text
// is not JSON or not an array of paragraphs.
bool Parse(const QelString& json, const QelLogFont& defaultFont, QelColorRef defaultColor,
           QelColorRef defaultBgColor, QelArray<QelArray<_tag_MetaWordINfo>>& paragraphs);

}  // namespace QelMetaCaption
