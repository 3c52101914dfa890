#include "QelDockPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace qel {

QRect DockedRect(const QRect& ownerFrame, const QRect& screenArea, int height, int minHeight) {
    const int below = screenArea.bottom() - ownerFrame.bottom();
    if (below >= minHeight)
        return QRect(ownerFrame.left(), ownerFrame.bottom() + 1, ownerFrame.width(), std::min(height, below));
    const int above = ownerFrame.top() - screenArea.top();
    const int shown = std::clamp(above, std::min(minHeight, height), height);
    return QRect(ownerFrame.left(), ownerFrame.top() - shown, ownerFrame.width(), shown);
}

QRect DockedRect(const QWidget* owner, int height, int minHeight) {
    const QRect frame = owner->frameGeometry();
    const QScreen* screen = QGuiApplication::screenAt(frame.center());
    if (!screen) screen = owner->screen();
    const QRect area = screen ? screen->availableGeometry() : QRect();
    if (area.isNull()) return QRect(frame.left(), frame.bottom() + 1, frame.width(), height);
    return DockedRect(frame, area, height, minHeight);
}

}  // namespace qel
