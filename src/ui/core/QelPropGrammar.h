#pragma once
// The text grammars of property values: how each typed value is read from
// its text and written back. Reading never fails: what does not parse is 0.

#include "QelCtlTypes.h"

namespace QelPropGrammar {

// Pieces of text between every "," (no quoting, no escaping); empty text gives none.
QelStringArray SplitFields(const QelString& text);

// Decimal integer as the C runtime reads it: leading blanks, an optional sign,
// digits up to the first non-digit; no digits give 0. Saturates at the int range.
int ParseDecimal(const QelString& text);
// Decimal number with an optional fraction and exponent, independent of the locale.
double ParseDecimalNumber(const QelString& text);

// "true" or "1" is true, anything else false (case-sensitive).
bool ParseBool(const QelString& text);
QelString FormatBool(bool value);

// "#RRGGBB" (positions 1-6 after the "#" at 0, bad or missing digits are 0) or "R,G,B".
QelColorRef ParseColor(const QelString& text);
// "#" and six lower-case hexadecimal digits, red first.
QelString FormatColor(QelColorRef color);

// "face,height,weight,italic,underline,strikeout,charset".
QelLogFont ParseFont(const QelString& text);
QelString FormatFont(const QelLogFont& font);

// "1,2,3".
QelArray<int> ParseIntArray(const QelString& text);
QelString FormatIntArray(const QelArray<int>& values);

// "draw,reserved,corner,width,#rrggbb"; a missing field keeps its initial value.
_tag_borderInfo ParseBorder(const QelString& text);
// Written with "%s,%d,%f,%d,%s".
QelString FormatBorder(const _tag_borderInfo& border);

}  // namespace QelPropGrammar
