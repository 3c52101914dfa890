#pragma once
// Fitting a stored window rectangle to the screens of this run. A stored
// rectangle comes from a file the user can edit and may have been saved on
// another monitor setup or scale: any 32-bit edges must give a window that
// lies on a screen and is no larger than that screen.

#include <QList>
#include <QRect>
#include <optional>

namespace qel {

// The rectangle a window stored with these edges (right and bottom
// exclusive) gets on screens (available areas): none when its width or
// height is not positive or it meets no screen; otherwise, on the screen it
// overlaps most, shrunk to that screen's size where larger and moved just
// enough to lie wholly on it. Computed in 64 bits, so no edges overflow.
std::optional<QRect> FitRectToScreens(long long left, long long top, long long right, long long bottom,
                                      const QList<QRect>& screens);

// The same against the available areas of the desktop's screens now.
std::optional<QRect> FitRectToDesktop(long long left, long long top, long long right, long long bottom);

}  // namespace qel
