#pragma once
// Where a window docked under an owner window goes: directly below the
// owner's frame, as wide as it, never over it. When the wanted height does not
// fit below the owner on its screen the window is made shorter, down to
// kMinDockedHeight; when not even that fits it goes directly above the owner.

#include <QRect>

class QWidget;

namespace qel {

inline constexpr int kMinDockedHeight = 200;

// The docked rectangle (outer position, size) for an owner frame on a screen
// area; height is the wanted height.
QRect DockedRect(const QRect& ownerFrame, const QRect& screenArea, int height, int minHeight = kMinDockedHeight);

// The same for a shown owner window, on the available area of the screen its
// frame lies on (the nearest screen when it lies on none).
QRect DockedRect(const QWidget* owner, int height, int minHeight = kMinDockedHeight);

}  // namespace qel
