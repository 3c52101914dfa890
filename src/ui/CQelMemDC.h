#pragma once
// Off-screen painting for one paint: drawing goes to a pixmap that is copied
// to the target once, when this object ends. A target that is not a screen
// device (an image, a printer, a picture) is drawn on directly.

#include <QPixmap>
#include <QRect>
#include <memory>

class QPainter;

class CQelMemDC {
public:
    // area in the target's logical coordinates; an empty area means the
    // target's clip box, or its whole device when it does not clip. The area
    // is filled with the target's background colour first.
    explicit CQelMemDC(QPainter* target, const QRect& area = QRect());
    ~CQelMemDC();
    CQelMemDC(const CQelMemDC&) = delete;
    CQelMemDC& operator=(const CQelMemDC&) = delete;

    // The painter to draw with, in the same coordinates as the target.
    QPainter& Painter() { return *m_painter; }
    QPainter* operator->() { return m_painter; }
    // True when drawing goes to the off-screen pixmap.
    bool IsMemoryMode() const { return m_memoryMode; }
    const QRect& GetArea() const { return m_area; }

private:
    QPainter* m_target;
    QRect m_area;
    bool m_memoryMode;
    QPixmap m_bitmap;
    std::unique_ptr<QPainter> m_memPainter;
    QPainter* m_painter;
};
