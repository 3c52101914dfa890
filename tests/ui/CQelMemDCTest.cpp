// Off-screen painting: copied once at the end for screen-like targets, direct on images.
#include <gtest/gtest.h>

#include <QPainter>
#include <QPixmap>

#include "CQelMemDC.h"
#include "QelPixels.h"

namespace {

// Draws red through the memory painter, then blue straight onto the target in
// the same spot before the memory painter ends; true when it painted in memory.
bool DrawThroughMemDC(QPaintDevice& target) {
    QPainter painter(&target);
    painter.fillRect(QRect(0, 0, 40, 40), Qt::white);
    painter.setBackground(QColor(0, 255, 0));
    CQelMemDC memDC(&painter, QRect(10, 10, 20, 20));
    memDC->fillRect(QRect(15, 15, 5, 5), Qt::red);
    painter.fillRect(QRect(15, 15, 5, 5), Qt::blue);
    return memDC.IsMemoryMode();
}

}  // namespace

TEST(CQelMemDC, ScreenLikeTargetsGetOneCopyAtTheEndImagesAreDrawnOnDirectly) {
    QPixmap pixmap(40, 40);
    QImage direct(40, 40, QImage::Format_RGB32);
    EXPECT_TRUE(DrawThroughMemDC(pixmap));
    EXPECT_FALSE(DrawThroughMemDC(direct));
    const QImage copied = pixmap.toImage();
    EXPECT_EQ(PixelAt(copied, 16, 16), QelRGB(255, 0, 0));  // the copy covers what was drawn directly
    EXPECT_EQ(PixelAt(direct, 16, 16), QelRGB(0, 0, 255));  // nothing copied over at the end
    for (const QImage& img : {copied, direct}) {
        EXPECT_EQ(PixelAt(img, 11, 11), QelRGB(0, 255, 0));  // the area starts in the background colour
        EXPECT_EQ(PixelAt(img, 5, 5), QelRGB(255, 255, 255));  // outside the area nothing changes
        EXPECT_EQ(PixelAt(img, 31, 31), QelRGB(255, 255, 255));
    }
}
