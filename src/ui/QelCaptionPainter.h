#pragma once
// The plain caption painters shared by the label and the button: one line
// with the prefix cut or an ellipsis, or several lines wrapped at characters.

#include <QRect>

#include "CQelCtlBase.h"

class QPainter;

namespace QelCaptionPainter {

// "caption" on one line in area, by "font", "fgcolor", "enable", "halign",
// "valign" and "elispisis".
void DrawSingleLine(QPainter& painter, const QRect& area, const CQelCtlBase& props);
// "caption" split at "\n" and wrapped at characters, up to the lines that fit.
void DrawMultiLine(QPainter& painter, const QRect& area, const CQelCtlBase& props);
// "caption" turned to run top to bottom, in a column from x = 0 centred on
// the area's height.
void DrawVertical(QPainter& painter, const QRect& area, const CQelCtlBase& props);

}  // namespace QelCaptionPainter
