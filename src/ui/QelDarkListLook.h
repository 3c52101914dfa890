#pragma once
// The dark look the program's lists share (filter, rule and command lists,
// the job log): background RGB(43, 43, 43), every other row RGB(63, 63, 63),
// text RGB(81, 156, 214), full-row selection, "MS Shell Dlg" 12 pixels high.

#include <QColor>

class QAbstractItemView;

inline const QColor kDarkListText(81, 156, 214);

// The job log writes another colour on every row alike: textColor, and
// alternateRows false.
void ApplyDarkListLook(QAbstractItemView* list, const QColor& textColor = kDarkListText, bool alternateRows = true);
