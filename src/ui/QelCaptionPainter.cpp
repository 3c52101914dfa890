#include "QelCaptionPainter.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

#include "QelQtConvert.h"

namespace QelCaptionPainter {

namespace {

// Font, text colour and metrics of the plain painters; puts the painter back when done.
class PlainSetup {
public:
    PlainSetup(QPainter& painter, const CQelCtlBase& props, const QelLogFont& font)
        : m_painter(painter), m_metrics(ToQFont(font)) {
        painter.save();
        painter.setFont(ToQFont(font));
        painter.setPen(ToQColor(props.GetPropBool(u"enable") ? props.GetPropColor(u"fgcolor")
                                                             : QelSysColor(QelColorInactiveCaption)));
        painter.setBackgroundMode(Qt::TransparentMode);
    }
    PlainSetup(QPainter& painter, const CQelCtlBase& props) : PlainSetup(painter, props, props.GetPropFont(u"font")) {}
    ~PlainSetup() { m_painter.restore(); }

    const QFontMetrics& Metrics() const { return m_metrics; }
    // The font's external leading, kept free at the right edge.
    int Leading() const { return m_metrics.leading(); }

private:
    QPainter& m_painter;
    QFontMetrics m_metrics;
};

int HAlignFlag(int halign) {
    if (halign == QelHAlignCenter) return Qt::AlignHCenter;
    if (halign == QelHAlignRight) return Qt::AlignRight;
    return Qt::AlignLeft;
}

int VAlignFlag(int valign) {
    if (valign == QelVAlignMiddle) return Qt::AlignVCenter;
    if (valign == QelVAlignBottom) return Qt::AlignBottom;
    return Qt::AlignTop;
}

// Length of one character at pos: a surrogate pair counts as one.
int CharLength(const QString& text, int pos) {
    return pos + 1 < text.size() && text[pos].isHighSurrogate() && text[pos + 1].isLowSurrogate() ? 2 : 1;
}

// Number of code units from start whose characters, measured one at a time,
// add up to no more than width. At least one character is taken so that a
// character wider than the area still shows (cut) instead of an empty row.
int FitChars(const QFontMetrics& fm, const QString& text, int start, int width) {
    int sum = 0;
    int pos = start;
    while (pos < text.size()) {
        const int len = CharLength(text, pos);
        const int advance = fm.horizontalAdvance(text.mid(pos, len));
        if (sum + advance > width && pos > start) break;
        sum += advance;
        pos += len;
        if (sum > width) break;
    }
    return pos - start;
}

int RowsNeeded(int width, int usable) { return width <= 0 ? 0 : (width + usable - 1) / usable; }

void DrawRow(QPainter& painter, const QRect& rect, int flags, const QString& text, bool ellipsis) {
    const QString shown = ellipsis ? painter.fontMetrics().elidedText(text, Qt::ElideRight, rect.width()) : text;
    painter.drawText(rect, flags, shown);
}

}  // namespace

void DrawSingleLine(QPainter& painter, const QRect& area, const CQelCtlBase& props) {
    PlainSetup setup(painter, props);
    const QFontMetrics& fm = setup.Metrics();
    const QString caption = ToQString(props.GetPropString(u"caption"));
    const bool ellipsis = props.GetPropBool(u"elispisis");
    const int usable = area.width() - setup.Leading();

    if (fm.horizontalAdvance(caption) < usable || ellipsis) {
        const int flags = Qt::TextSingleLine | HAlignFlag(props.GetPropInt(u"halign")) |
                          VAlignFlag(props.GetPropInt(u"valign"));
        DrawRow(painter, area, flags, caption, ellipsis);
        return;
    }
    // Too wide and no ellipsis: the characters that fit, from the left, centred vertically.
    const int count = usable > 0 ? FitChars(fm, caption, 0, usable) : 0;
    painter.drawText(area, Qt::TextSingleLine | Qt::AlignLeft | Qt::AlignVCenter, caption.left(count));
}

void DrawMultiLine(QPainter& painter, const QRect& area, const CQelCtlBase& props) {
    const QString caption = ToQString(props.GetPropString(u"caption"));
    if (caption.isEmpty()) return;
    PlainSetup setup(painter, props);
    const QFontMetrics& fm = setup.Metrics();
    const bool ellipsis = props.GetPropBool(u"elispisis");
    const int usable = area.width() - setup.Leading();
    const int lineHeight = fm.height() + setup.Leading();
    if (usable <= 0 || lineHeight <= 0) return;
    const int maxLines = area.height() / lineHeight;

    const QStringList paragraphs = caption.split(QLatin1Char('\n'));
    int totalRows = 0;
    for (const QString& p : paragraphs) totalRows += RowsNeeded(fm.horizontalAdvance(p), usable);

    int y = area.top();
    const int valign = props.GetPropInt(u"valign");
    if (valign == QelVAlignMiddle)
        y = std::max(area.top(), area.top() + area.height() / 2 - totalRows * lineHeight / 2);
    else if (valign == QelVAlignBottom)
        y = std::max(area.top(), area.bottom() + 1 - totalRows * lineHeight);

    const int oneRowFlags = Qt::TextSingleLine | Qt::AlignVCenter | HAlignFlag(props.GetPropInt(u"halign"));
    const int wrapFlags = Qt::TextSingleLine | Qt::AlignVCenter | Qt::AlignLeft;
    const auto rowRect = [&]() { return QRect(area.left(), y, area.width(), lineHeight); };
    int lines = 0;
    for (const QString& paragraph : paragraphs) {
        if (lines >= maxLines) break;
        const int width = fm.horizontalAdvance(paragraph);
        if (width < usable) {
            painter.drawText(rowRect(), oneRowFlags, paragraph);
            y += lineHeight;
            ++lines;
            continue;
        }
        const int rows = RowsNeeded(width, usable);
        int pos = 0;
        for (int row = 0; lines < maxLines && row < rows; ++row) {
            const QString rest = paragraph.mid(pos);
            if (row > 0 && fm.horizontalAdvance(rest) < usable) {
                DrawRow(painter, rowRect(), wrapFlags, rest, ellipsis);
                y += lineHeight;
                ++lines;
                break;
            }
            const int count = FitChars(fm, paragraph, pos, usable);
            ++lines;
            if (lines == maxLines && ellipsis)
                DrawRow(painter, rowRect(), wrapFlags, rest, true);
            else
                painter.drawText(rowRect(), wrapFlags, paragraph.mid(pos, count));
            y += lineHeight;
            pos += count;
        }
    }
}

void DrawVertical(QPainter& painter, const QRect& area, const CQelCtlBase& props) {
    QelLogFont font = props.GetPropFont(u"font");
    font.lfEscapement = -900;
    PlainSetup setup(painter, props, font);
    const QString caption = ToQString(props.GetPropString(u"caption"));
    const QFontMetrics& fm = setup.Metrics();
    const int w = fm.horizontalAdvance(caption);
    const int h = fm.height();
    const int top = area.height() / 2 - w / 2;
    // Turned a quarter clockwise about the column's top right corner: the
    // text runs down and its body lies between x = 0 and x = h.
    painter.translate(h, top);
    painter.rotate(-font.lfEscapement / 10.0);
    painter.drawText(QRect(0, 0, w, h), Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip | Qt::TextSingleLine, caption);
}

}  // namespace QelCaptionPainter
