#include "CQelMemDC.h"

#include <QPaintDevice>
#include <QPainter>

namespace {

// Screen-like targets get the off-screen copy; images, printers and pictures are drawn on directly.
bool IsScreenDevice(const QPaintDevice* device) {
    return device && (device->devType() == QInternal::Widget || device->devType() == QInternal::Pixmap);
}

QRect DefaultArea(const QPainter* target) {
    if (target->hasClipping()) return target->clipBoundingRect().toAlignedRect();
    const QPaintDevice* device = target->device();
    return QRect(0, 0, device->width(), device->height());
}

}  // namespace

CQelMemDC::CQelMemDC(QPainter* target, const QRect& area)
    : m_target(target), m_area(area.isEmpty() ? DefaultArea(target) : area),
      m_memoryMode(IsScreenDevice(target->device())), m_painter(target) {
    const QColor background = target->background().color();
    if (m_memoryMode && !m_area.isEmpty()) {
        const qreal ratio = target->device()->devicePixelRatioF();
        m_bitmap = QPixmap(m_area.size() * ratio);
        m_bitmap.setDevicePixelRatio(ratio);
        m_memPainter = std::make_unique<QPainter>(&m_bitmap);
        m_memPainter->setFont(target->font());
        m_memPainter->setPen(target->pen());
        m_memPainter->setBackground(target->background());
        m_memPainter->translate(-m_area.topLeft());
        m_painter = m_memPainter.get();
    } else {
        m_memoryMode = false;
    }
    m_painter->fillRect(m_area, background);
}

CQelMemDC::~CQelMemDC() {
    if (!m_memoryMode) return;
    m_memPainter->end();
    m_target->drawPixmap(m_area.topLeft(), m_bitmap);
}
