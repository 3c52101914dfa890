#include "QelScreenFit.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>

namespace qel {

namespace {

// Edges of a rectangle in 64 bits, right and bottom exclusive.
struct Span {
    long long left, top, right, bottom;
};

Span SpanOf(const QRect& rect) {
    return {rect.left(), rect.top(), static_cast<long long>(rect.left()) + rect.width(),
            static_cast<long long>(rect.top()) + rect.height()};
}

long long OverlapArea(const Span& a, const Span& b) {
    const long long width = std::min(a.right, b.right) - std::max(a.left, b.left);
    const long long height = std::min(a.bottom, b.bottom) - std::max(a.top, b.top);
    // Both are at most a screen's size, so the product fits in 64 bits.
    return width > 0 && height > 0 ? width * height : 0;
}

}  // namespace

std::optional<QRect> FitRectToScreens(long long left, long long top, long long right, long long bottom,
                                      const QList<QRect>& screens) {
    const Span window{left, top, right, bottom};
    if (right - left <= 0 || bottom - top <= 0) return std::nullopt;
    const QRect* best = nullptr;
    long long bestArea = 0;
    for (const QRect& screen : screens) {
        const long long area = OverlapArea(window, SpanOf(screen));
        if (area > bestArea) {
            best = &screen;
            bestArea = area;
        }
    }
    if (!best) return std::nullopt;
    const Span screen = SpanOf(*best);
    const long long width = std::min(right - left, screen.right - screen.left);
    const long long height = std::min(bottom - top, screen.bottom - screen.top);
    const long long x = std::clamp(left, screen.left, screen.right - width);
    const long long y = std::clamp(top, screen.top, screen.bottom - height);
    return QRect(static_cast<int>(x), static_cast<int>(y), static_cast<int>(width), static_cast<int>(height));
}

std::optional<QRect> FitRectToDesktop(long long left, long long top, long long right, long long bottom) {
    QList<QRect> areas;
    for (const QScreen* screen : QGuiApplication::screens()) areas.append(screen->availableGeometry());
    return FitRectToScreens(left, top, right, bottom, areas);
}

}  // namespace qel
