#include "QelMetaPainter.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

#include "QelQtConvert.h"

namespace QelMetaPainter {

namespace {

// Start of the text block of the given height by "valign", never above the area.
int StartY(const QRect& area, int valign, int blockHeight) {
    if (valign == QelVAlignMiddle) return std::max(area.top(), area.top() + area.height() / 2 - blockHeight / 2);
    if (valign == QelVAlignBottom) return std::max(area.top(), area.bottom() + 1 - blockHeight);
    return area.top();
}

bool RowFits(const QRect& area, int y, int rowHeight) { return y + rowHeight <= area.bottom() + 1; }

// One word in its font and colours; the background colour fills its text cell
// (what an opaque text background does), the text is drawn over it.
void DrawWord(QPainter& painter, const _tag_MetaWordINfo& word, int x, int y, int rowHeight, const QRect& area,
              bool ellipsis) {
    const QFont font = ToQFont(word.font);
    const QFontMetrics fm(font);
    QRect rect(x, y, word.width, rowHeight);
    QString text = ToQString(word.text);
    if (ellipsis) {
        rect.setRight(area.right() - 1);
        if (rect.width() <= 0) return;
        text = fm.elidedText(text, Qt::ElideRight, rect.width());
    }
    const int textHeight = fm.height();
    const QRect cell(x, y + (rowHeight - textHeight) / 2, std::min(fm.horizontalAdvance(text), rect.width()),
                     textHeight);
    painter.setFont(font);
    painter.fillRect(cell.intersected(rect), ToQColor(word.bgcolor));
    painter.setPen(ToQColor(word.color));
    painter.drawText(rect, Qt::TextSingleLine | Qt::AlignLeft | Qt::AlignVCenter, text);
}

// Draws a row's words from x; returns where the row ends.
int DrawRowWords(QPainter& painter, const QelArray<_tag_MetaWordINfo>& row, int x, int y, int rowHeight,
                 const QRect& area, bool ellipsis) {
    for (const _tag_MetaWordINfo& word : row) {
        DrawWord(painter, word, x, y, rowHeight, area, ellipsis);
        x += word.width;
    }
    return x;
}

}  // namespace

bool Layout(const CQelCtlBase& props, const QRect& area, QelArray<_tag_MetaLineInfo>& lines) {
    lines.RemoveAll();
    const QelString meta = props.GetPropString(u"metacaption");
    if (meta.IsEmpty()) return false;
    QelArray<QelArray<_tag_MetaWordINfo>> paragraphs;
    if (!QelMetaCaption::Parse(meta, props.GetPropFont(u"font"), props.GetPropColor(u"fgcolor"),
                               props.GetPropColor(u"bgcolor"), paragraphs))
        return false;

    for (QelArray<_tag_MetaWordINfo>& words : paragraphs) {
        _tag_MetaLineInfo line;
        int x = 0;
        int r = 0;
        for (_tag_MetaWordINfo& word : words) {
            const QFontMetrics fm(ToQFont(word.font));
            const int h = fm.height() + fm.leading();
            word.width = fm.horizontalAdvance(ToQString(word.text));
            x += word.width;
            if (x > area.width()) {
                ++r;
                x = word.width;  // the word opens the next row
            }
            if (line.rows.GetCount() > r) {
                line.rowHeights[r] = std::max(line.rowHeights[r], h);
                line.rows[r].Add(word);
            } else {
                line.rowHeights.Add(h);
                line.rows.Add(QelArray<_tag_MetaWordINfo>{word});
            }
        }
        lines.Add(std::move(line));
    }
    return true;
}

void DrawSingleLine(QPainter& painter, const QRect& area, const CQelCtlBase& props,
                    const QelArray<_tag_MetaLineInfo>& lines) {
    int tallest = 0;
    for (const _tag_MetaLineInfo& line : lines)
        for (int h : line.rowHeights) tallest = std::max(tallest, h);
    const bool ellipsis = props.GetPropBool(u"elispisis");
    const int y = StartY(area, props.GetPropInt(u"valign"), tallest);

    painter.save();
    int x = area.left();
    for (const _tag_MetaLineInfo& line : lines) {
        for (int r = 0; r < line.rows.GetCount(); ++r) {
            if (!RowFits(area, y, line.rowHeights[r]) && !ellipsis) break;
            x = DrawRowWords(painter, line.rows[r], x, y, line.rowHeights[r], area, ellipsis);
        }
    }
    painter.restore();
}

void DrawMultiLine(QPainter& painter, const QRect& area, const CQelCtlBase& props,
                   const QelArray<_tag_MetaLineInfo>& lines) {
    int total = 0;
    for (const _tag_MetaLineInfo& line : lines)
        for (int h : line.rowHeights) total += h;
    const bool ellipsis = props.GetPropBool(u"elispisis");
    int y = StartY(area, props.GetPropInt(u"valign"), total);

    painter.save();
    int x = area.left();
    int previousHeight = -1;
    for (const _tag_MetaLineInfo& line : lines) {
        for (int r = 0; r < line.rows.GetCount(); ++r) {
            const int height = line.rowHeights[r];
            if (RowFits(area, y, height)) {
                x = area.left();
            } else if (!ellipsis) {
                break;
            } else {
                // Continue on the last visible row, cut with an ellipsis.
                if (previousHeight > 0) y -= previousHeight;
            }
            x = DrawRowWords(painter, line.rows[r], x, y, height, area, ellipsis);
            y += height;
            previousHeight = height;
        }
    }
    painter.restore();
}

}  // namespace QelMetaPainter
