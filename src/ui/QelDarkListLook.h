#pragma once
// The dark look the program's lists share (filter, rule and command lists):
// background RGB(43, 43, 43), every other row RGB(63, 63, 63), text
// RGB(81, 156, 214), full-row selection, "MS Shell Dlg" 12 pixels high.

class QAbstractItemView;

void ApplyDarkListLook(QAbstractItemView* list);
