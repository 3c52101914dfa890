#pragma once
// One named property of a control. Every value is stored as text; the typed
// record classes only carry the type code.

#include <cstdint>

#include "QelCtlTypes.h"

class CQelCtlPropBase {
public:
    CQelCtlPropBase(std::uint16_t type, const QelString& name, const QelString& value)
        : type(type), name(name), value(value) {}
    virtual ~CQelCtlPropBase() = default;

    std::uint16_t type;
    QelString name;
    QelString value;
};

template <typename T>
struct QelPropTypeOf;
template <> struct QelPropTypeOf<QelString> { static constexpr std::uint16_t code = PropTypeString; };
template <> struct QelPropTypeOf<int> { static constexpr std::uint16_t code = PropTypeInt; };
template <> struct QelPropTypeOf<bool> { static constexpr std::uint16_t code = PropTypeBool; };
template <> struct QelPropTypeOf<unsigned long> { static constexpr std::uint16_t code = PropTypeColor; };
template <> struct QelPropTypeOf<QelLogFont> { static constexpr std::uint16_t code = PropTypeFont; };
template <> struct QelPropTypeOf<QelArray<int>> { static constexpr std::uint16_t code = PropTypeIntArray; };
template <> struct QelPropTypeOf<_tag_borderInfo> { static constexpr std::uint16_t code = PropTypeBorder; };

template <typename T>
class CQelCtlProp : public CQelCtlPropBase {
public:
    CQelCtlProp(const QelString& name, const QelString& defaultText)
        : CQelCtlPropBase(QelPropTypeOf<T>::code, name, defaultText) {}
};
