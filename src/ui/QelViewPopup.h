#pragma once
// Opens a popup from a patched view-file document.

#include <rapidjson/document.h>

#include "QelViewFile.h"

class CQelPopupWnd;
class IQelPopupWndDelegate;
class QWidget;

namespace QelViewFile {

// Writes document to compact text and opens a CQelPopupWnd with it at (x, y)
// in screen coordinates, owned by parent and deleted once it has closed.
// Returns the popup, or null when the description was refused.
CQelPopupWnd* OpenPopup(QWidget* parent, const rapidjson::Value& document, int x, int y,
                        IQelPopupWndDelegate* delegate);

}  // namespace QelViewFile
