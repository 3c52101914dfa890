#include "QelViewPopup.h"

#include "CQelPopupWnd.h"

namespace QelViewFile {

CQelPopupWnd* OpenPopup(QWidget* parent, const rapidjson::Value& document, int x, int y,
                        IQelPopupWndDelegate* delegate) {
    auto* popup = new CQelPopupWnd;
    popup->SetDelegate(delegate);
    popup->SetDeleteOnClose(true);
    if (!popup->CreatePopup(parent, ToText(document), x, y)) {
        delete popup;
        return nullptr;
    }
    return popup;
}

}  // namespace QelViewFile
