#pragma once
// Pixel helpers for the widget tests: grab a widget and look for colours.

#include <QImage>
#include <QRect>
#include <QWidget>

#include "QelQtConvert.h"

inline QImage Grab(QWidget& widget) { return widget.grab().toImage().convertToFormat(QImage::Format_RGB32); }

inline QelColorRef PixelAt(const QImage& image, int x, int y) { return FromQColor(image.pixelColor(x, y)); }

// Bounding box of every pixel of exactly that colour (empty when there is none).
inline QRect ColorBox(const QImage& image, QelColorRef color, const QRect& within = QRect()) {
    const QRect r = within.isNull() ? image.rect() : within.intersected(image.rect());
    const QRgb wanted = ToQColor(color).rgb();
    QRect box;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (image.pixel(x, y) == wanted) box = box.united(QRect(x, y, 1, 1));
    return box;
}

inline int CountColor(const QImage& image, QelColorRef color, const QRect& within = QRect()) {
    const QRect r = within.isNull() ? image.rect() : within.intersected(image.rect());
    const QRgb wanted = ToQColor(color).rgb();
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) n += image.pixel(x, y) == wanted;
    return n;
}

// Full blocks draw solid rectangles in the text colour, so text shows as exact pixels.
inline QelString Blocks(int n) {
    QelString text(u"");
    for (int i = 0; i < n; ++i) text.Append(u'\u2588');
    return text;
}
