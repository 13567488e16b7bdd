// The compiler-exact samples: what a formatted WRITE of one value prints
// through one edit descriptor, character for character as gfortran writes
// it. Reals are REAL(8), the integer and bit kinds INTEGER(8), L a LOGICAL
// and A a CHARACTER variable as long as the value. The numbers are converted
// from the exact binary value of the double and rounded by the mode in force.
#pragma once

#include <string>

#include "descriptor_parser.h"
#include "exact_decimal.h"
#include "number_modes.h"

// A value text read once into a REAL(8) and its exact decimal expansion. A
// field keeps the reading of its value, so that a keystroke that lays its
// sample out again does not read and expand the same text again.
struct SRealReading {
    std::string strText;
    bool bTaken = false;  // strText was read
    bool bRead = false;   // it reads as a real
    double x = 0;
    exact::SDecimal exact;
};

// The rounding mode a descriptor text (RU, rd ...) sets; EXACT_ROUND_NONE
// for a text that is no rounding mode.
ExactRounding RoundingOfText(const std::string& text);

// A real value text as Fortran reads it into a REAL(8): an optional sign,
// digits with a decimal point or comma, an optional exponent with E, D or Q
// or with its sign alone; Inf, Infinity and NaN in any case; blanks around.
bool ReadExactReal(const std::string& text, double& x);

// The value a descriptor shows when the user gave none: the number (or
// logical, or characters) its simplified default sample shows, as a value
// text this engine reads. Digits an INTEGER(8) cannot hold are cut from the
// right, and an exponent a REAL(8) cannot hold is cut to two digits.
std::string ExactDefaultValue(const SParsedDescriptor& parsed, const SNumberModes& modes);

// The sample one pass of the parsed descriptor prints for the value (empty:
// the default value) under the modes. 1 on success; 0 for a descriptor the
// exact mode cannot show: the kinds that print no value, EX (which gfortran
// 12 does not write), and the forms gfortran's library stops on (a scale factor out of E's range, E with no digits,
// Ew.dDe, Iw.m with m > w). A value that cannot be read into the variable, or that does not fit the field, gives w
// asterisks, as the compiler prints.
// pReading, when given, holds the latest reading of a value text and is
// brought up to date when the text differs.
int ExactSample(const SParsedDescriptor& parsed, const SNumberModes& modes, const std::string& value,
                std::string& sample, SRealReading* pReading = nullptr);
