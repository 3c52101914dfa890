#pragma once
// Layout and painting of a label's meta caption (styled words).

#include <QRect>

#include "CQelCtlBase.h"
#include "QelMetaCaption.h"

class QPainter;

namespace QelMetaPainter {

// Parses "metacaption", measures every word in its font and wraps the words
// of each paragraph into rows no wider than the area. False (nothing to
// draw) when the caption is empty or not valid JSON.
bool Layout(const CQelCtlBase& props, const QRect& area, QelArray<_tag_MetaLineInfo>& lines);

// All rows of all paragraphs one after another on one line.
void DrawSingleLine(QPainter& painter, const QRect& area, const CQelCtlBase& props,
                    const QelArray<_tag_MetaLineInfo>& lines);
// Every row on its own line; rows that do not fit end the paragraph, or with
// "elispisis" continue on the last visible row cut with an ellipsis.
void DrawMultiLine(QPainter& painter, const QRect& area, const CQelCtlBase& props,
                   const QelArray<_tag_MetaLineInfo>& lines);

}  // namespace QelMetaPainter
