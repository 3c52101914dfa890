#pragma once
// The dark look the program's lists share: background RGB(43, 43, 43), odd
// rows RGB(63, 63, 63), full-row selection, "MS Shell Dlg" 12 pixels high.

#include <QColor>

class QAbstractItemView;

namespace qel {
inline const QColor kDarkListBackground(43, 43, 43);
inline const QColor kDarkListOddRow(63, 63, 63);
inline const QColor kDarkListText(81, 156, 214);

// Applies the look with textColor; alternateRows paints odd rows lighter.
void ApplyDarkListLook(QAbstractItemView* list, const QColor& textColor = kDarkListText, bool alternateRows = true);
}  // namespace qel
