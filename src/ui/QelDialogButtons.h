#pragma once
// Push buttons of the editor dialogs.

class QHBoxLayout;
class QKeyEvent;
class QPushButton;
class QString;
class QWidget;

namespace qel {
// A button named name that does not fire on Enter (auto-default off).
QPushButton* MakeDialogButton(const QString& text, const QString& name, QWidget* parent);
// Shows the image of res/img in the button (its text becomes the tooltip);
// without the image file the button keeps its text rather than go blank.
void SetButtonImageIfPresent(QPushButton* button, const char16_t* imageName, int style = 2);
// The right-aligned row of an editor's "Save" ("saveButton") and "Cancel"
// ("cancelButton") buttons, made in parent and handed back through the two pointers.
QHBoxLayout* MakeSaveCancelRow(QWidget* parent, QPushButton*& save, QPushButton*& cancel);
// Escape in a window whose work is running presses its Stop button (when shown);
// true when the key was taken.
bool StopOnEscape(QKeyEvent* event, QPushButton* stop);
}  // namespace qel
