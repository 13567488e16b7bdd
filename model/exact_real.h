// Laying out a REAL(8) as gfortran's run-time library lays out F, E, D, ES,
// EN and G fields, from the exact decimal digits of the double.
#pragma once

#include <string>

#include "exact_decimal.h"
#include "number_modes.h"

namespace exact {

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
