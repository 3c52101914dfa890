#pragma once
// The matching rules for one directory entry name, written once for any
// character type: UTF-16 names (QelString) and raw UTF-8 name bytes share
// the same algorithm. Comparisons are exact and case-sensitive.

#include <cstddef>
#include <string>
#include <string_view>

#include "QelString.h"

namespace qel::match {

inline std::u16string_view AsView(const QelString& s) { return s.view(); }
inline std::string_view AsView(const std::string& s) { return s; }
template <typename Char>
std::basic_string_view<Char> AsView(std::basic_string_view<Char> s) { return s; }

// Index of the dot that starts the extension: the last '.' at index 1 or
// more. npos when the name has none (a leading dot does not count).
template <typename Char>
std::size_t ExtensionDot(std::basic_string_view<Char> name) {
    const std::size_t dot = name.rfind(Char('.'));
    return (dot == std::basic_string_view<Char>::npos || dot == 0) ? std::basic_string_view<Char>::npos : dot;
}

template <typename Char, typename List>
bool AnyEqual(std::basic_string_view<Char> text, const List& strings) {
    for (const auto& s : strings)
        if (AsView(s) == text) return true;
    return false;
}

// An empty string occurs in every text.
template <typename Char, typename List>
bool AnyOccursIn(std::basic_string_view<Char> text, const List& strings) {
    for (const auto& s : strings)
        if (text.find(AsView(s)) != std::basic_string_view<Char>::npos) return true;
    return false;
}

// A folder hits when its name equals one folder string; an empty string matches nothing.
template <typename Char, typename List>
bool FolderHits(std::basic_string_view<Char> name, const List& folderStrings) {
    for (const auto& s : folderStrings) {
        const auto v = AsView(s);
        if (!v.empty() && v == name) return true;
    }
    return false;
}

// Extension stage first (only with extension strings), then the name stage.
template <typename Char, typename List>
bool FileHits(std::basic_string_view<Char> name, const List& nameStrings, const List& extStrings) {
    constexpr auto npos = std::basic_string_view<Char>::npos;
    if (!extStrings.empty()) {
        const std::size_t dot = ExtensionDot(name);
        if (dot != npos) {
            const auto ext = name.substr(dot + 1);
            // An empty extension (a final dot) matches no extension string.
            if (!ext.empty() && AnyEqual(ext, extStrings)) {
                if (nameStrings.empty() || AnyOccursIn(name.substr(0, dot), nameStrings)) return true;
            }
        }
        // With extension strings the name stage only takes names without any dot.
        if (name.find(Char('.')) != npos) return false;
    }
    return AnyOccursIn(name, nameStrings);
}

}  // namespace qel::match
