#include "descriptor_kind.h"

#include <array>

namespace {

struct SKindRow {
    DescriptorKind kind;
    SKindTraits traits;
};

constexpr SKindTraits Family(DescriptorFamily family, bool bLater = false)
{
    return {family, false, false, false, bLater};
}

constexpr unsigned char W = PARTS_W, WD = PARTS_W | PARTS_D, WDE = PARTS_W | PARTS_D | PARTS_E;

// A form of a data family written with the numbers nParts (none: written
// alone, standing for the form with nDefaultParts).
constexpr SKindTraits Form(DescriptorFamily family, unsigned char nParts, unsigned char nDefaultParts = PARTS_NONE,
                           bool bLater = false)
{
    return {family, false, false, false, bLater, nParts, nDefaultParts};
}

constexpr SKindTraits Mode(DescriptorFamily family, bool bLater = false)
{
    return {family, true, false, false, bLater};
}

constexpr SKindTraits RecordEnd()
{
    return {FAMILY_CONTROL, false, true, false, false};
}

constexpr SKindTraits Opener(bool bLater)
{
    return {FAMILY_GROUP_OPEN, false, false, true, bLater};
}

constexpr SKindRow kKindRows[] = {
    {KIND_NONE, Family(FAMILY_NONE)},
    {KIND_STRING, Family(FAMILY_STRING)},
    {KIND_HOLLERITH, Family(FAMILY_HOLLERITH)},
    {KIND_T, Family(FAMILY_TAB)},
    {KIND_TL, Family(FAMILY_TAB_LEFT)},
    {KIND_TR, Family(FAMILY_TAB_RIGHT)},
    {KIND_NX, Family(FAMILY_SKIP)},
    {KIND_X, Family(FAMILY_SKIP)},
    {KIND_A, Form(FAMILY_CHARACTER, PARTS_NONE, W)},
    {KIND_AW, Form(FAMILY_CHARACTER, W)},
    {KIND_I, Form(FAMILY_INTEGER, PARTS_NONE, W)},
    {KIND_IW, Form(FAMILY_INTEGER, W)},
    {KIND_IWM, Form(FAMILY_INTEGER, WD)},
    {KIND_F, Form(FAMILY_FIXED, PARTS_NONE, WD)},
    {KIND_FWD, Form(FAMILY_FIXED, WD)},
    {KIND_D, Form(FAMILY_DOUBLE, PARTS_NONE, WD)},
    {KIND_DWD, Form(FAMILY_DOUBLE, WD)},
    {KIND_E, Form(FAMILY_EXPONENT, PARTS_NONE, WDE)},
    {KIND_EWD, Form(FAMILY_EXPONENT, WD)},
    {KIND_EWDE, Form(FAMILY_EXPONENT, WDE)},
    {KIND_G, Form(FAMILY_GENERAL, PARTS_NONE, WD)},
    {KIND_GWD, Form(FAMILY_GENERAL, WD)},
    {KIND_GWDE, Form(FAMILY_GENERAL, WDE)},
    {KIND_EN, Form(FAMILY_ENGINEERING, PARTS_NONE, WDE)},
    {KIND_ENWD, Form(FAMILY_ENGINEERING, WD)},
    {KIND_ENWDE, Form(FAMILY_ENGINEERING, WDE)},
    {KIND_ES, Form(FAMILY_SCIENTIFIC, PARTS_NONE, WDE)},
    {KIND_ESWD, Form(FAMILY_SCIENTIFIC, WD)},
    {KIND_ESWDE, Form(FAMILY_SCIENTIFIC, WDE)},
    {KIND_L, Form(FAMILY_LOGICAL, PARTS_NONE, W)},
    {KIND_LW, Form(FAMILY_LOGICAL, W)},
    {KIND_B, Form(FAMILY_BINARY, PARTS_NONE, W)},
    {KIND_BW, Form(FAMILY_BINARY, W)},
    {KIND_BWM, Form(FAMILY_BINARY, WD)},
    {KIND_O, Form(FAMILY_OCTAL, PARTS_NONE, W)},
    {KIND_OW, Form(FAMILY_OCTAL, W)},
    {KIND_OWM, Form(FAMILY_OCTAL, WD)},
    {KIND_Z, Form(FAMILY_HEX, PARTS_NONE, W)},
    {KIND_ZW, Form(FAMILY_HEX, W)},
    {KIND_ZWM, Form(FAMILY_HEX, WD)},
    {KIND_OPEN, Opener(false)},
    {KIND_CLOSE, Family(FAMILY_GROUP_CLOSE)},
    {KIND_SS, Mode(FAMILY_SIGN_MODE)},
    {KIND_SP, Mode(FAMILY_SIGN_MODE)},
    {KIND_S, Mode(FAMILY_SIGN_MODE)},
    {KIND_P, Mode(FAMILY_SCALE)},
    {KIND_BN, Family(FAMILY_CONTROL)},
    {KIND_BZ, Family(FAMILY_CONTROL)},
    {KIND_Q, Family(FAMILY_CONTROL)},
    {KIND_NSLASH, RecordEnd()},
    {KIND_SLASH, RecordEnd()},
    {KIND_BACKSLASH, RecordEnd()},
    {KIND_COLON, Family(FAMILY_CONTROL)},
    {KIND_OPEN_ANY, Opener(true)},
    {KIND_ROUND, Mode(FAMILY_ROUND_MODE, true)},
    {KIND_DC, Mode(FAMILY_DECIMAL_MODE, true)},
    {KIND_DP, Mode(FAMILY_DECIMAL_MODE, true)},
    {KIND_EX, Form(FAMILY_HEX_REAL, PARTS_NONE, WD, true)},
    {KIND_EXWD, Form(FAMILY_HEX_REAL, WD, PARTS_NONE, true)},
    {KIND_EXWDE, Form(FAMILY_HEX_REAL, WDE, PARTS_NONE, true)},
    {KIND_DT, Family(FAMILY_USER, true)},
    {KIND_GW, Form(FAMILY_GENERAL, W, PARTS_NONE, true)},
    {KIND_EMPTY, Family(FAMILY_EMPTY)},
};

// The rows indexed by kind, checked to stand in the enumeration's order.
constexpr std::array<SKindTraits, KIND_COUNT> kTraits = [] {
    static_assert(sizeof kKindRows / sizeof kKindRows[0] == KIND_COUNT, "every kind has a row");
    std::array<SKindTraits, KIND_COUNT> traits{};
    for (const SKindRow& row : kKindRows)
        traits[static_cast<std::size_t>(row.kind)] = row.traits;
    return traits;
}();

}  // namespace

const SKindTraits& KindTraits(int kind)
{
    return kTraits[static_cast<std::size_t>(IsKind(kind) ? kind : KIND_NONE)];
}

SFormWidths DefaultWidths(int kind)
{
    const SKindTraits& traits = KindTraits(kind);
    long long w = 15;
    switch (traits.family) {
    case FAMILY_INTEGER:
    case FAMILY_OCTAL: w = 7; break;
    case FAMILY_BINARY:
    case FAMILY_HEX: w = 8; break;
    case FAMILY_LOGICAL: w = 2; break;
    case FAMILY_CHARACTER: w = 10; break;
    default: break;
    }
    const unsigned nParts = traits.nParts | traits.nDefaultParts;
    return {w, (nParts & PARTS_D) != 0 ? 7 : 0, (nParts & PARTS_E) != 0 ? 2 : 0};
}

bool IsDataFamily(DescriptorFamily family)
{
    switch (family) {
    case FAMILY_CHARACTER:
    case FAMILY_LOGICAL:
    case FAMILY_INTEGER:
    case FAMILY_BINARY:
    case FAMILY_OCTAL:
    case FAMILY_HEX: return true;
    default: return IsRealFamily(family);
    }
}

bool IsRealFamily(DescriptorFamily family)
{
    switch (family) {
    case FAMILY_FIXED:
    case FAMILY_DOUBLE:
    case FAMILY_EXPONENT:
    case FAMILY_ENGINEERING:
    case FAMILY_SCIENTIFIC:
    case FAMILY_GENERAL:
    case FAMILY_HEX_REAL: return true;
    default: return false;
    }
}

int RadixOf(DescriptorFamily family)
{
    return family == FAMILY_BINARY ? 2 : family == FAMILY_OCTAL ? 8 : 16;
}

SFormWidths FormWidths(int kind, long long w, long long d, long long e)
{
    if (IsWrittenAlone(kind))
        return DefaultWidths(kind);
    return {w, IsWrittenWithDigits(kind) ? d : 0, IsWrittenWithExponent(kind) ? e : 0};
}
