// The exact decimal expansion of a double, and its rounding to a number of
// digits by the Fortran rounding modes.
#pragma once

#include <string>

#include "number_modes.h"

namespace exact {

// |x| = 0.digits × 10^nExp, digits without leading or trailing zeros (empty for zero).
struct SDecimal {
    bool bNeg = false;
    std::string digits;
    long long nExp = 0;
};

// The expansion of x, kept in a small per-thread table of the latest ones.
const SDecimal& ExactDecimal(double x);

bool IsZero(const SDecimal& v);

// v rounded to its first nKeep significant digits under the mode.
SDecimal Rounded(const SDecimal& v, long long nKeep, ExactRounding mode);

// The digits of v from 10^hi down to 10^lo.
std::string DigitsFrom(const SDecimal& v, long long hi, long long lo);

}  // namespace exact
