#pragma once
// Notices of the result window to its owner (the main window only logs them).

#include "QelString.h"

class IQelResultSubWndDelegate {
public:
    virtual ~IQelResultSubWndDelegate() = default;
    // The result window always passes "MSG"; szParam1 is the message, szParam2 a second text or empty.
    virtual void onNotifyEvent(const QelString& szEventName, const QelString& szParam1, const QelString& szParam2) = 0;
    // A Copy, Move, Delete or Rename that Stop may end has begun (true) or
    // ended (false), so the owner can offer its own Stop meanwhile.
    virtual void onStoppableWork(bool /*running*/) {}
};
