// Paints the program's button images (res/img) in its dark look. Run once after
// changing a picture and commit the PNGs:  qel_ui_draw_images <repo>/res/img
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>
#include <functional>

namespace {

const QColor kBlue(0x4B, 0x9C, 0xD6);
const QColor kLight(0xD4, 0xD4, 0xD4);
const QColor kGreen(0x6A, 0xB0, 0x4C);
const QColor kRed(0xD1, 0x69, 0x69);
const QColor kYellow(0xDC, 0xC4, 0x6A);
const QColor kPanel(0x3C, 0x3F, 0x41);
const QColor kPanelLine(0x55, 0x58, 0x5A);

using Painter = std::function<void(QPainter&)>;

QPen Stroke(const QColor& c, qreal w = 2.5) { return QPen(c, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin); }

// Every picture is drawn on a 32 x 32 grid and scaled to its size.
bool Save(const QString& dir, const QString& name, QSize size, const Painter& paint, QSizeF grid = QSizeF(32, 32)) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(size.width() / grid.width(), size.height() / grid.height());
    paint(p);
    p.end();
    const bool ok = image.save(dir + QLatin1Char('/') + name, "PNG");
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(name));
    return ok;
}

void Triangle(QPainter& p, bool down, const QColor& c) {
    QPainterPath path;
    if (down) {
        path.moveTo(7, 11);
        path.lineTo(25, 11);
        path.lineTo(16, 23);
    } else {
        path.moveTo(7, 21);
        path.lineTo(25, 21);
        path.lineTo(16, 9);
    }
    path.closeSubpath();
    p.setPen(Stroke(c, 2));
    p.setBrush(c);
    p.drawPath(path);
}

void Pencil(QPainter& p) {
    p.save();
    p.translate(14, 18);
    p.rotate(-45);
    p.setPen(Stroke(kLight, 1.5));
    p.setBrush(kBlue);
    p.drawRect(QRectF(-9, -3.5, 15, 7));
    p.setBrush(kLight);
    QPainterPath tip;
    tip.moveTo(-9, -3.5);
    tip.lineTo(-15, 0);
    tip.lineTo(-9, 3.5);
    tip.closeSubpath();
    p.drawPath(tip);
    p.setBrush(kRed);
    p.drawRect(QRectF(6, -3.5, 3, 7));
    p.restore();
}

void Badge(QPainter& p, const QColor& c, bool plus) {
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawEllipse(QRectF(19, 19, 12, 12));
    p.setPen(Stroke(Qt::white, 2));
    p.drawLine(QPointF(22, 25), QPointF(28, 25));
    if (plus) p.drawLine(QPointF(25, 22), QPointF(25, 28));
}

void Page(QPainter& p, const QRectF& r, const QColor& line, const QColor& fill = kPanel) {
    QPainterPath path;
    path.moveTo(r.left(), r.top());
    path.lineTo(r.right() - 6, r.top());
    path.lineTo(r.right(), r.top() + 6);
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left(), r.bottom());
    path.closeSubpath();
    p.setPen(Stroke(line, 2));
    p.setBrush(fill);
    p.drawPath(path);
}

void TextLines(QPainter& p, qreal left, qreal top, qreal width, int count) {
    p.setPen(Stroke(kLight, 1.5));
    for (int i = 0; i < count; ++i) p.drawLine(QPointF(left, top + 4 * i), QPointF(left + width, top + 4 * i));
}

void Trash(QPainter& p, const QColor& c) {
    p.setPen(Stroke(c, 2));
    p.setBrush(Qt::NoBrush);
    p.drawLine(QPointF(7, 9), QPointF(25, 9));
    p.drawLine(QPointF(13, 9), QPointF(14, 6));
    p.drawLine(QPointF(14, 6), QPointF(18, 6));
    p.drawLine(QPointF(18, 6), QPointF(19, 9));
    QPainterPath can;
    can.moveTo(9, 11);
    can.lineTo(10.5, 26);
    can.lineTo(21.5, 26);
    can.lineTo(23, 11);
    p.drawPath(can);
    p.drawLine(QPointF(13.5, 14), QPointF(14, 23));
    p.drawLine(QPointF(18.5, 14), QPointF(18, 23));
}

void Arrow(QPainter& p, QPointF from, QPointF to, const QColor& c) {
    p.setPen(Stroke(c, 2.5));
    p.drawLine(from, to);
    const QPointF d = to - from;
    const qreal len = std::hypot(d.x(), d.y());
    const QPointF u = d / len, n(-u.y(), u.x());
    p.drawLine(to, to - 5 * u + 4 * n);
    p.drawLine(to, to - 5 * u - 4 * n);
}

// A wide image-only button: dark panel, a symbol on the left, a word on the right.
void WideButton(QPainter& p, QSizeF size, const QColor& accent, const QString& word, const Painter& symbol) {
    p.setPen(QPen(accent, 1.5));
    p.setBrush(kPanel);
    p.drawRoundedRect(QRectF(1, 1, size.width() - 2, size.height() - 2), 5, 5);
    p.save();
    p.translate(4, (size.height() - 24) / 2);
    p.scale(0.75, 0.75);
    symbol(p);
    p.restore();
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(static_cast<int>(size.height() * 0.45));
    font.setBold(true);
    p.setFont(font);
    p.setPen(kLight);
    p.drawText(QRectF(30, 0, size.width() - 34, size.height()), Qt::AlignCenter, word);
}

void Magnifier(QPainter& p) {
    p.setPen(Stroke(kBlue, 3));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(5, 5, 15, 15));
    p.drawLine(QPointF(18, 18), QPointF(27, 27));
}

void StopSquare(QPainter& p) {
    p.setPen(Stroke(kRed, 2));
    p.setBrush(kRed);
    p.drawRoundedRect(QRectF(7, 7, 18, 18), 2, 2);
}

void Cup(QPainter& p) {
    p.setPen(Stroke(kYellow, 2));
    p.setBrush(kYellow.darker(160));
    QPainterPath cup;
    cup.moveTo(5, 12);
    cup.lineTo(21, 12);
    cup.lineTo(19, 26);
    cup.lineTo(7, 26);
    cup.closeSubpath();
    p.drawPath(cup);
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(18, 14, 8, 8), -90 * 16, 180 * 16);
    p.setPen(Stroke(kLight, 1.5));
    p.drawArc(QRectF(8, 3, 4, 7), 90 * 16, 180 * 16);
    p.drawArc(QRectF(13, 3, 4, 7), 90 * 16, 180 * 16);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <res/img folder>\n", argv[0]);
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(dir);
    const QSize small(20, 20), medium(24, 24), large(32, 32);
    bool ok = true;

    ok &= Save(dir, "ArrowDown.png", small, [](QPainter& p) { Triangle(p, true, kBlue); });
    ok &= Save(dir, "arrow_down.png", medium, [](QPainter& p) { Triangle(p, true, kLight); });
    ok &= Save(dir, "arrow_up.png", medium, [](QPainter& p) { Triangle(p, false, kLight); });
    ok &= Save(dir, "RDelete.png", small, [](QPainter& p) { Trash(p, kRed); });
    ok &= Save(dir, "PenEdit.png", small, [](QPainter& p) { Pencil(p); });
    ok &= Save(dir, "PenAdd.png", small, [](QPainter& p) {
        Pencil(p);
        Badge(p, kGreen, true);
    });
    ok &= Save(dir, "PenDel.png", small, [](QPainter& p) {
        Pencil(p);
        Badge(p, kRed, false);
    });
    ok &= Save(dir, "Add.png", medium, [](QPainter& p) {
        p.setPen(Stroke(kGreen, 4));
        p.drawLine(QPointF(16, 6), QPointF(16, 26));
        p.drawLine(QPointF(6, 16), QPointF(26, 16));
    });
    ok &= Save(dir, "Del.png", medium, [](QPainter& p) {
        p.setPen(Stroke(kRed, 4));
        p.drawLine(QPointF(6, 16), QPointF(26, 16));
    });
    ok &= Save(dir, "RCopy.png", large, [](QPainter& p) {
        Page(p, QRectF(5, 4, 15, 19), kLight);
        Page(p, QRectF(12, 10, 15, 19), kBlue);
        TextLines(p, 15, 18, 8, 3);
    });
    ok &= Save(dir, "RMove.png", large, [](QPainter& p) {
        Page(p, QRectF(4, 5, 15, 20), kLight);
        TextLines(p, 7, 12, 8, 3);
        Arrow(p, QPointF(14, 22), QPointF(28, 22), kBlue);
    });
    ok &= Save(dir, "RRename.png", large, [](QPainter& p) {
        p.setPen(Stroke(kLight, 2));
        p.setBrush(kPanel);
        p.drawRoundedRect(QRectF(3, 9, 26, 14), 2, 2);
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(11);
        font.setBold(true);
        p.setFont(font);
        p.setPen(kBlue);
        p.drawText(QRectF(4, 9, 19, 14), Qt::AlignCenter, QStringLiteral("ab"));
        p.setPen(Stroke(kYellow, 2));
        p.drawLine(QPointF(24, 6), QPointF(24, 26));
    });
    ok &= Save(dir, "RSaveExcel.png", large, [](QPainter& p) {
        p.setPen(Stroke(kGreen, 2));
        p.setBrush(kPanel);
        p.drawRect(QRectF(5, 5, 22, 22));
        p.setPen(Stroke(kGreen, 1.5));
        for (qreal y : {12.0, 19.0}) p.drawLine(QPointF(5, y), QPointF(27, y));
        p.drawLine(QPointF(13, 5), QPointF(13, 27));
        p.setPen(Stroke(kLight, 2));
        p.drawLine(QPointF(17, 15), QPointF(24, 24));
        p.drawLine(QPointF(24, 15), QPointF(17, 24));
    });
    ok &= Save(dir, "RSaveTxt.png", large, [](QPainter& p) {
        Page(p, QRectF(6, 3, 20, 26), kLight);
        TextLines(p, 10, 11, 12, 4);
    });
    ok &= Save(dir, "FindStart.png", QSize(96, 28), [](QPainter& p) {
        WideButton(p, QSizeF(96, 28), kBlue, QStringLiteral("Search"), Magnifier);
    }, QSizeF(96, 28));
    ok &= Save(dir, "FindStop.png", QSize(96, 28), [](QPainter& p) {
        WideButton(p, QSizeF(96, 28), kRed, QStringLiteral("Stop"), StopSquare);
    }, QSizeF(96, 28));
    ok &= Save(dir, "DonateCoffee_Halvard.png", QSize(120, 32), [](QPainter& p) {
        WideButton(p, QSizeF(120, 32), kYellow, QStringLiteral("Donate"), Cup);
    }, QSizeF(120, 32));
    return ok ? 0 : 1;
}
