#include "QelCtlPaint.h"

#include <QWidget>

#include <QPainter>

#include "QelQtConvert.h"

namespace {

// Region-like fill: no anti-aliasing, so every pixel is the frame or the fill colour.
void FillRoundRect(QPainter& painter, const QRect& rect, int cornerWidth, int cornerHeight, QelColorRef color) {
    if (rect.isEmpty()) return;
    if (cornerWidth <= 1 || cornerHeight <= 1) {
        painter.fillRect(rect, ToQColor(color));
        return;
    }
    painter.setBrush(ToQColor(color));
    painter.drawRoundedRect(rect, cornerWidth / 2.0, cornerHeight / 2.0, Qt::AbsoluteSize);
}

}  // namespace

void FillRoundFrame(QPainter& painter, int left, int top, int right, int bottom, int cornerWidth,
                    int cornerHeight, int frameWidth, QelColorRef frameColor, QelColorRef fillColor) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(Qt::NoPen);
    FillRoundRect(painter, QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)), cornerWidth, cornerHeight,
                  frameColor);
    FillRoundRect(painter,
                  QRect(QPoint(left + frameWidth, top + frameWidth), QPoint(right - frameWidth - 1, bottom - frameWidth - 1)),
                  cornerWidth, cornerHeight, fillColor);
    painter.restore();
}

QRect PaintCtlBackground(QPainter& painter, const QRect& rect, const CQelCtlBase& props) {
    const _tag_borderInfo border = props.GetPropBorder(u"border");
    const bool enabled = props.GetPropBool(u"enable");
    const QelColorRef fill = enabled ? props.GetPropColor(u"bgcolor") : QelSysColor(QelColorBtnFace);
    if (!border.draw) {
        painter.fillRect(rect, ToQColor(fill));
        return rect;
    }
    const QelColorRef frame = enabled ? border.color : QelSysColor(QelColorInactiveBorder);
    const int corner = static_cast<int>(border.corner);
    FillRoundFrame(painter, rect.left(), rect.top(), rect.right() + 1, rect.bottom() + 1, corner, corner, border.width,
                   frame, fill);
    return rect.adjusted(border.width, border.width, -border.width, -border.width);
}

QRect ApplyPadding(const QRect& area, const CQelCtlBase& props) {
    const QelArray<int> padding = props.GetPropIntArray(u"padding");
    if (padding.GetCount() < 4) return area;
    return area.adjusted(padding[0], padding[1], -padding[2], -padding[3]);
}

void PlaceCtl(QWidget& control, QWidget* parent, const QRect& rect, const CQelCtlBase& props) {
    if (parent != control.parentWidget()) control.setParent(parent);
    control.setGeometry(rect);
    if (props.GetPropBool(u"visible")) control.show();
}
