#pragma once
// How a CQelPopupWnd hands its result to its owner when it closes.

class IQelPopupWndDelegate {
public:
    virtual ~IQelPopupWndDelegate() = default;
    // resultJson: UTF-8 JSON, {"ret":[...]} for an option list or {"ret":index}
    // for a pick list; valid only during the call.
    virtual void OnPopupResult(const char* resultJson) = 0;
};
