// The modes a number is laid out under, set by the descriptors before the
// one that prints it: the sign, the scale factor, the decimal symbol and the
// rounding. Every layout of numbers takes them; they depend on nothing else.
#pragma once

// The rounding mode in force: none given (gfortran then rounds to nearest,
// ties to even), or the one of the RU, RD, RZ, RN, RC and RP descriptors.
enum ExactRounding : int {
    EXACT_ROUND_NONE,
    EXACT_ROUND_UP,          // RU: towards +infinity
    EXACT_ROUND_DOWN,        // RD: towards -infinity
    EXACT_ROUND_ZERO,        // RZ: towards zero
    EXACT_ROUND_NEAREST,     // RN: to nearest, ties to even
    EXACT_ROUND_COMPATIBLE,  // RC: to nearest, ties away from zero
    EXACT_ROUND_PROCESSOR,   // RP: as gfortran chooses, to nearest, ties to even
};

// The modes the descriptors before this one set: a descriptor holds them as
// one value, inherits them whole from the one before it and passes them on.
struct SNumberModes {
    int nPlus = 0;         // SP in force: positive numbers print a plus sign
    long long nScale = 0;  // the kP scale factor
    int nComma = 0;        // DC in force: the decimal symbol is a comma
    ExactRounding nRound = EXACT_ROUND_NONE;
    bool operator==(const SNumberModes&) const = default;
};
