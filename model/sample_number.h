// Reading a value text, for the simplified samples and the compiler's alike:
// a number into the one decimal value of the samples (exact::SDecimal, never
// binary floating point), an INTEGER(8) and a logical; and the simplified
// layouts of a decimal value: the I, F and E fields with the digits past the
// field cut.
#pragma once

#include <string>

#include "exact_decimal.h"
#include "number_modes.h"

// The parts of a number text: sign, integer digits, point and fraction
// digits, exponent sign and digits.
struct SNumberParts {
    char chSign = '+';
    std::string strInteger;
    bool bPoint = false;
    std::string strFraction;
    char chExpSign = '+';
    std::string strExponent;
};

// How a value text is read. The simplified samples read a number loosely:
// blanks between all parts, an upper-case E or D or the exponent's sign alone
// or nothing before the exponent's digits, a part without digits as zero;
// and a logical as one of .TRUE., .T., .FALSE. and .F. in either case. A
// number the compiler reads (SYNTAX_FORTRAN) has blanks only around it, a
// comma for the point too, E, D or Q in either case or the exponent's sign
// before the exponent's digits, and digits in the number and in an exponent;
// a logical, blanks, an optional point, then T or F and anything after.
enum NumberSyntax { SYNTAX_LOOSE, SYNTAX_FORTRAN };

// Splits text into parts; false when it is no number in the syntax.
bool ScanNumber(const char* text, NumberSyntax syntax, SNumberParts& parts);

namespace exact {

// An exponent of more than 17 significant digits fits no field: a decimal
// read with one holds this exponent (or its negative), which every layout
// refuses and which still reads as an infinity or a zero.
inline constexpr long long kHugeExponent = 1LL << 62;

inline bool HasHugeExponent(const SDecimal& v)
{
    return v.nExp >= kHugeExponent || v.nExp <= -kHugeExponent;
}

// The one reader of number texts: the decimal value of text in the syntax
// (its sign kept for a zero too); false when it is no number.
bool ReadDecimal(const char* text, NumberSyntax syntax, SDecimal& v);

// An INTEGER(8) as the compiler reads it: an optional sign and decimal
// digits, blanks around them; false for another text or one out of range.
bool ReadInteger(const std::string& text, long long& v);

// A logical value text in the syntax; false when it is none.
bool ReadLogical(const std::string& text, NumberSyntax syntax, bool& b);
// The logical the text holds in the syntax as an L field of width w shows
// it, T or F right-aligned; false (out unchanged) when it holds none.
bool LayLogical(const std::string& text, NumberSyntax syntax, long long w, std::string& out);

// The simplified layouts: the digits past the field are cut, not rounded, a
// zero before the point shows only for the value zero (whose one digit it
// is), the exponent has no letter and e digits or more, and a zero has no
// sign but the plus mode's. Each lays v out in out and answers false where
// it does not fit in w characters (out is then unspecified).
// Iw.m (m = 0: Iw); false for a value with a fraction.
bool CutInteger(const SDecimal& v, const SNumberModes& modes, long long w, long long m, std::string& out);
// Fw.d, the value times 10^k for the scale factor k.
bool CutFixed(const SDecimal& v, const SNumberModes& modes, long long w, long long d, std::string& out);
// Ew.dEe, with k digits before the point for the scale factor k.
bool CutExponent(const SDecimal& v, const SNumberModes& modes, long long w, long long d, long long e, std::string& out);

}  // namespace exact
