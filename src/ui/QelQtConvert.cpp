#include "QelQtConvert.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPalette>
#include <algorithm>
#include <cmath>

QColor ToQColor(QelColorRef color) {
    return QColor(static_cast<int>(QelGetRValue(color)), static_cast<int>(QelGetGValue(color)),
                  static_cast<int>(QelGetBValue(color)));
}

QelColorRef FromQColor(const QColor& color) {
    return QelRGB(static_cast<unsigned>(color.red()), static_cast<unsigned>(color.green()),
                  static_cast<unsigned>(color.blue()));
}

QString ToQString(const QelString& text) {
    return QString::fromUtf16(text.c_str(), static_cast<qsizetype>(text.GetLength()));
}

QelString FromQString(const QString& text) {
    return QelString(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                         static_cast<std::size_t>(text.size())));
}

QFont ToQFont(const QelLogFont& font) {
    QFont result;
    if (!font.lfFaceName.IsEmpty()) result.setFamilies({ToQString(font.lfFaceName)});
    if (font.lfHeight < 0) {
        result.setPixelSize(-font.lfHeight);
    } else if (font.lfHeight > 0) {
        // A positive height is the whole cell; scale the character size so the cell matches.
        result.setPixelSize(font.lfHeight);
        const int cell = QFontMetrics(result).height();
        if (cell > 0)
            result.setPixelSize(std::max(1, static_cast<int>(std::lround(double(font.lfHeight) * font.lfHeight / cell))));
    }
    const int weight = font.lfWeight <= 0 ? 400 : std::min(font.lfWeight, 1000);
    result.setWeight(static_cast<QFont::Weight>(weight));
    result.setItalic(font.lfItalic != 0);
    result.setUnderline(font.lfUnderline != 0);
    result.setStrikeOut(font.lfStrikeOut != 0);
    return result;
}

QelColorRef QelSysColor(int index) {
    const QPalette palette = QGuiApplication::palette();
    switch (index) {
    case QelColorInactiveCaption:
        return FromQColor(palette.color(QPalette::Disabled, QPalette::WindowText));
    case QelColorInactiveBorder:
        return FromQColor(palette.color(QPalette::Disabled, QPalette::Mid));
    case QelColorBtnFace:
    default:
        return FromQColor(palette.color(QPalette::Active, QPalette::Button));
    }
}
