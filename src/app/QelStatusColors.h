#pragma once
// Colours of the main window's status label: its background, the text of a
// running step ("Run Search!") and the text of counts and summaries.

#include "QelCtlTypes.h"

namespace qel {

inline constexpr QelColorRef kStatusBackground = QelRGB(0x34, 0x3d, 0x45);
inline constexpr QelColorRef kStatusRunText = QelRGB(0x56, 0x9c, 0xd6);
inline constexpr QelColorRef kStatusCountText = QelRGB(0xee, 0xe8, 0xaa);

}  // namespace qel
