// Laying out a REAL(8) as gfortran's run-time library lays out F, E, D, ES,
// EN and G fields, from the exact decimal digits of the double.
#pragma once

#include <string>

#include "exact_decimal.h"
#include "number_modes.h"

namespace exact {

// How a number's parts stand in their field. Under the compiler's rule as
// gfortran's library puts them: a zero before the point where a blank is
// left for it, asterisks in a field of one character or of two with a sign,
// a width of 0 (F0.d) as the number's own width, and the decimal symbol of
// the modes. Under the simplified samples' rule the parts alone, the point a
// point (the samples turn it into the comma later).
enum FieldRule { FIELD_COMPILER, FIELD_SIMPLIFIED };

// The parts of a number in a field: sign, the digits before the point (an
// empty string: the compiler's rule shows a zero there only where a blank
// is left for it), the digits after the point and the exponent part.
struct SFieldParts {
    std::string sign, whole, fraction, exponent;
    bool bZero = false;  // the number shown is zero (F0.d lays out its own width by it)
};

// The parts right-aligned in w characters under the rule; false where they
// do not fit (out is then w asterisks under the compiler's rule).
bool LayInField(const SFieldParts& parts, long long w, FieldRule rule, const SNumberModes& modes, std::string& out);

struct SRealInput {
    double x;
    const SDecimal& exact;  // the exact decimal expansion of x
    long long w, d;
    long long e;  // the exponent digits of a w.dEe form; -1 without
    const SNumberModes& modes;
};

// Infinity and NaN in the field.
std::string NotFinite(const SRealInput& in);
// Fw.d with the scale factor k.
std::string LayFixed(const SRealInput& in, long long k, ExactRounding mode);
// Ew.d, Ew.dEe and Dw.d (chLetter E or D); 0 where the library stops.
int LayExponent(const SRealInput& in, char chLetter, std::string& sample);
// ESw.d and ESw.dEe.
int LayScientific(const SRealInput& in, std::string& sample);
// ENw.d and ENw.dEe.
int LayEngineering(const SRealInput& in, std::string& sample);
// Gw.d and Gw.dEe.
int LayGeneral(const SRealInput& in, std::string& sample);
// G0, G0.d and G0.dEe.
int LayGeneralMinimal(const SRealInput& in, std::string& sample);

}  // namespace exact
