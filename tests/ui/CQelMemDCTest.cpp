// Off-screen painting: copied once at the end for screen-like targets, direct on images.
#include <gtest/gtest.h>

#include <QPainter>
#include <QPixmap>

#include "CQelMemDC.h"
#include "QelPixels.h"

// Red through the memory painter, then blue straight onto the target in the
// same spot before the memory painter ends.
TEST(CQelMemDC, ScreenLikeTargetsGetOneCopyAtTheEndImagesAreDrawnOnDirectly) {
    QPixmap pixmap(40, 40);
    QImage direct(40, 40, QImage::Format_RGB32);
    for (QPaintDevice* target : {static_cast<QPaintDevice*>(&pixmap), static_cast<QPaintDevice*>(&direct)}) {
        QPainter painter(target);
        painter.fillRect(QRect(0, 0, 40, 40), Qt::white);
        painter.setBackground(QColor(0, 255, 0));
        painter.setPen(QColor(255, 0, 255));  // the memory painter draws with the target's pen
        CQelMemDC memDC(&painter, QRect(10, 10, 20, 20));
        memDC->fillRect(QRect(15, 15, 5, 5), Qt::red);
        memDC->drawPoint(12, 12);
        painter.fillRect(QRect(15, 15, 5, 5), Qt::blue);
        EXPECT_EQ(memDC.IsMemoryMode(), target == &pixmap);
    }
    const QImage copied = pixmap.toImage();
    EXPECT_EQ(PixelAt(copied, 16, 16), QelRGB(255, 0, 0));  // the copy covers what was drawn directly
    EXPECT_EQ(PixelAt(direct, 16, 16), QelRGB(0, 0, 255));  // nothing copied over at the end
    for (const QImage& img : {copied, direct}) {
        // The area starts in the background colour; outside it nothing changes.
        EXPECT_EQ(std::vector({PixelAt(img, 11, 11), PixelAt(img, 12, 12), PixelAt(img, 5, 5), PixelAt(img, 31, 31)}),
                  std::vector({QelRGB(0, 255, 0), QelRGB(255, 0, 255), QelRGB(255, 255, 255), QelRGB(255, 255, 255)}));
    }
}
