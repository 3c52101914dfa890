#pragma once
// The property bag every owner-drawn control carries: named, typed values kept
// as text. Getters parse the text on every call, so a change shows at the next
// paint. Free of any window system; the controls add the window-side effects by
// overriding the setters.

#include <memory>

#include "CQelCtlProp.h"
#include "QelCtlTypes.h"

class CQelCtlBase {
public:
    CQelCtlBase() = default;
    CQelCtlBase(const CQelCtlBase&) = delete;
    CQelCtlBase& operator=(const CQelCtlBase&) = delete;
    virtual ~CQelCtlBase() = default;

    // Registers "caption", "visible", "enable", "bgcolor", "fgcolor", "layout",
    // "font", "border", "halign", "valign" and "padding" with their defaults.
    // A control calls the base version first and then registers its own.
    virtual void InitProperties();

    // The stored text of any property; empty when the name is unknown.
    virtual QelString GetPropString(const QelString& name) const;
    // Stores text unchanged into a property of any type; unknown names are ignored.
    virtual void SetPropString(const QelString& name, const QelString& text);

    // Typed access: a name that is unknown or of another type reads as the
    // empty value (false, 0, black, all-zero font, no elements, default border)
    // and is not written.
    virtual bool GetPropBool(const QelString& name) const;
    virtual void SetPropBool(const QelString& name, bool value);
    virtual int GetPropInt(const QelString& name) const;
    virtual void SetPropInt(const QelString& name, int value);
    virtual QelColorRef GetPropColor(const QelString& name) const;
    virtual void SetPropColor(const QelString& name, QelColorRef color);
    virtual QelLogFont GetPropFont(const QelString& name) const;
    virtual void SetPropFont(const QelString& name, const QelLogFont& font);
    virtual QelArray<int> GetPropIntArray(const QelString& name) const;
    virtual void SetPropIntArray(const QelString& name, const QelArray<int>& values);
    virtual _tag_borderInfo GetPropBorder(const QelString& name) const;
    virtual void SetPropBorder(const QelString& name, const _tag_borderInfo& border);

    // Inserts the record under its name; a record of the same name is released.
    void RegisterProperty(CQelCtlPropBase* record);
    // Registers a new record of type T with its default text.
    template <typename T>
    void RegisterProp(const QelString& name, const QelString& defaultText) {
        RegisterProperty(new CQelCtlProp<T>(name, defaultText));
    }

    bool HasProperty(const QelString& name) const { return m_props.count(name) != 0; }
    // Property type code, -1 when the name is unknown.
    int GetPropType(const QelString& name) const;
    // Names in key order (for tools and tests).
    QelStringArray GetPropNames() const;

private:
    // The record of that name when it has the given type, else null.
    CQelCtlPropBase* Find(const QelString& name, std::uint16_t type) const;

    QelMap<QelString, std::unique_ptr<CQelCtlPropBase>> m_props;
};
