// What both derivations write a descriptor text with, the simplified and the
// compiler's: the repeat prefix and the case of the old text, the letters of
// the real families, the widths w.d with their exponent part, and the shape
// of an exponent form's sample.
#pragma once

#include <string>

#include "descriptor_parser.h"
#include "sample_number.h"

// The repeat count the old text was written with, as written.
inline std::string RepeatPrefix(const SParsedDescriptor& p)
{
    return p.bHasRepeat ? p.strRepeat : std::string();
}

// The letters in upper or in lower case, as the old text was written.
std::string Cased(const std::string& letters, bool bUpper);

// The letters of the exponent forms' families: D, EN, ES, G, else E.
const char* ExponentFormLetters(DescriptorFamily family);

// Whether the kind is a form written alone that stands for w and d (F for
// F15.7, I for I7, A for A10 ...): a derived text keeps it for them.
bool IsDefaultForm(DescriptorKind kind, long long w, long long d);

// w.d, then, where chLetter is not 0, that exponent letter in the case and e.
std::string WidthsText(long long w, long long d, char chLetter, long long e, bool bUpper);

// The shape of an exponent form's sample: digits, the point and digits,
// then E or D and the exponent's sign, or the sign alone, then the
// exponent's digits. The simplified derivation reads it loosely (up to the
// first E, D or + after the point, only a + sign, anything after it); the
// compiler's as printed (digits after the point, either sign, and one
// exponent digit or more to the end).
struct SExponentShape {
    long long nAfter = 0;  // characters after the point
    bool bLetter = false;  // the exponent starts with a letter
    long long nExponentDigits = 0;
};
bool ReadExponentShape(const std::string& s, NumberSyntax syntax, SExponentShape& shape);
