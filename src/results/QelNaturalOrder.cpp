#include "QelNaturalOrder.h"

#include <cstddef>

namespace qel {

namespace {

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

char16_t FoldAsciiCase(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; }

int Sign(bool first) { return first ? -1 : 1; }

// End of the run of digits starting at i.
std::size_t DigitRunEnd(std::u16string_view text, std::size_t i) {
    while (i < text.size() && IsDigit(text[i])) ++i;
    return i;
}

std::size_t SkipZeros(std::u16string_view text, std::size_t i, std::size_t end) {
    while (i < end && text[i] == u'0') ++i;
    return i;
}

}  // namespace

int NaturalCompare(std::u16string_view a, std::u16string_view b) {
    int tie = 0;  // the first exact difference, used when nothing else differs
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (IsDigit(a[i]) && IsDigit(b[j])) {
            const std::size_t endA = DigitRunEnd(a, i), endB = DigitRunEnd(b, j);
            const std::size_t valueA = SkipZeros(a, i, endA), valueB = SkipZeros(b, j, endB);
            // Without leading zeros a longer run is a larger number.
            if (endA - valueA != endB - valueB) return Sign(endA - valueA < endB - valueB);
            const std::u16string_view digitsA = a.substr(valueA, endA - valueA);
            const std::u16string_view digitsB = b.substr(valueB, endB - valueB);
            if (digitsA != digitsB) return Sign(digitsA < digitsB);
            if (tie == 0 && endA - i != endB - j) tie = Sign(endA - i < endB - j);
            i = endA;
            j = endB;
            continue;
        }
        const char16_t foldedA = FoldAsciiCase(a[i]), foldedB = FoldAsciiCase(b[j]);
        if (foldedA != foldedB) return Sign(foldedA < foldedB);
        if (tie == 0 && a[i] != b[j]) tie = Sign(a[i] < b[j]);
        ++i;
        ++j;
    }
    if (i < a.size() || j < b.size()) return Sign(j < b.size());
    return tie;
}

}  // namespace qel
