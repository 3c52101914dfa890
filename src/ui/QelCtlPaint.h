#pragma once
// Drawing helpers shared by the label, the button and the popup.

#include <QRect>

#include "CQelCtlBase.h"

class QPainter;
class QWidget;

// Fills the rounded rectangle (left, top) to (right, bottom), right and bottom
// exclusive, with the frame colour and the same shape shrunk by frameWidth
// with the fill colour. cornerWidth and cornerHeight are the size of the
// ellipse that rounds the corners; 0 gives square corners.
void FillRoundFrame(QPainter& painter, int left, int top, int right, int bottom, int cornerWidth,
                    int cornerHeight, int frameWidth, QelColorRef frameColor, QelColorRef fillColor);

// Background and frame of a control from "border", "bgcolor" and "enable";
// returns the caption area (inside the frame).
QRect PaintCtlBackground(QPainter& painter, const QRect& rect, const CQelCtlBase& props);

// Moves the area's edges in by "padding" (left, top, right, bottom) when it
// has at least four elements.
QRect ApplyPadding(const QRect& area, const CQelCtlBase& props);

// Creation step shared by the owner-drawn controls: parent, place, and show
// when the control's "visible" property says so.
void PlaceCtl(QWidget& control, QWidget* parent, const QRect& rect, const CQelCtlBase& props);
