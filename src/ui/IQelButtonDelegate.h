#pragma once
// What a CQelButton tells its owner, in this order for a click: down, up, click.

class IQelButtonDelegate {
public:
    virtual ~IQelButtonDelegate() = default;
    // The left button went down on a button that is not disabled.
    virtual void OnButtonDown(unsigned id) = 0;
    // The left button was released over the pressed button (before OnButtonClick).
    virtual void OnButtonUp(unsigned id) = 0;
    // The click, right after OnButtonUp.
    virtual void OnButtonClick(unsigned id) = 0;
};
