#pragma once
// Pixel helpers for the widget tests: grab a widget and look for colours.

#include <QImage>
#include <QRect>
#include <QWidget>

#include "QelQtConvert.h"

inline QImage Grab(QWidget& widget) { return widget.grab().toImage().convertToFormat(QImage::Format_RGB32); }

inline QelColorRef PixelAt(const QImage& image, int x, int y) { return FromQColor(image.pixelColor(x, y)); }

// The pixels of exactly that colour within the rectangle (the whole image by default): how many, and their bounding box.
inline std::pair<int, QRect> FindColor(const QImage& image, QelColorRef color, const QRect& within = QRect()) {
    const QRect r = within.isNull() ? image.rect() : within.intersected(image.rect());
    const QRgb wanted = ToQColor(color).rgb();
    std::pair<int, QRect> found{0, QRect()};
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (image.pixel(x, y) == wanted) found = {found.first + 1, found.second.united(QRect(x, y, 1, 1))};
    return found;
}
inline QRect ColorBox(const QImage& image, QelColorRef color) { return FindColor(image, color).second; }
inline int CountColor(const QImage& image, QelColorRef color, const QRect& within = QRect()) {
    return FindColor(image, color, within).first;
}

// Full blocks draw solid rectangles in the text colour, so text shows as exact pixels.
inline QelString Blocks(int n) { return QelString(std::u16string(n, u'\u2588')); }
