#pragma once
// What a tree walk reports, in depth-first pre-order: every entry of a
// folder in listing order, and around the contents of each folder entered,
// OnEnter and OnLeave. Names are raw file-name bytes.
//
// The walk asks KeepGoing before each entry (and KeepGoingWhileWaiting about
// every 30 ms while it waits for a helper thread); false ends the walk at
// once, with what was reported so far.

#include <string_view>

class IQelWalkVisitor {
public:
    virtual ~IQelWalkVisitor() = default;
    virtual void OnFile(std::string_view name) = 0;
    // A folder met in its parent's listing, whether or not it is entered.
    virtual void OnFolder(std::string_view name) = 0;
    // The contents of the folder just reported by OnFolder follow.
    virtual void OnEnter(std::string_view name) = 0;
    virtual void OnLeave() = 0;
    virtual bool KeepGoing() { return true; }
    virtual bool KeepGoingWhileWaiting() { return true; }
};
