#pragma once
// Conversions between the control framework's plain values and Qt's:
// colours, texts, fonts and the system colours the painters fall back to.

#include <QColor>
#include <QFont>
#include <QString>

#include "QelCtlTypes.h"

QColor ToQColor(QelColorRef color);
QelColorRef FromQColor(const QColor& color);

QString ToQString(const QelString& text);
QelString FromQString(const QString& text);

// The font a font record describes: negative height is the pixel size of the
// characters, positive height the cell height, 0 the default size; weight
// 1-1000 as given (0 is normal). The face is asked for by name; a face that
// is not installed falls back through fontconfig. Escapement is not part of
// a QFont: the painter rotates for vertical text.
QFont ToQFont(const QelLogFont& font);

// System colour indices the painters use for disabled controls.
enum QelSysColorIndex {
    QelColorInactiveCaption = 3,  // disabled caption text
    QelColorInactiveBorder = 11,  // frame of a disabled control
    QelColorBtnFace = 15,         // background of a disabled control
};
// The desktop's colour for that role, taken from the application palette.
QelColorRef QelSysColor(int index);
