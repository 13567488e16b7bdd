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
    {KIND_A, Family(FAMILY_CHARACTER)},
    {KIND_AW, Family(FAMILY_CHARACTER)},
    {KIND_I, Family(FAMILY_INTEGER)},
    {KIND_IW, Family(FAMILY_INTEGER)},
    {KIND_IWM, Family(FAMILY_INTEGER)},
    {KIND_F, Family(FAMILY_FIXED)},
    {KIND_FWD, Family(FAMILY_FIXED)},
    {KIND_D, Family(FAMILY_DOUBLE)},
    {KIND_DWD, Family(FAMILY_DOUBLE)},
    {KIND_E, Family(FAMILY_EXPONENT)},
    {KIND_EWD, Family(FAMILY_EXPONENT)},
    {KIND_EWDE, Family(FAMILY_EXPONENT)},
    {KIND_G, Family(FAMILY_GENERAL)},
    {KIND_GWD, Family(FAMILY_GENERAL)},
    {KIND_GWDE, Family(FAMILY_GENERAL)},
    {KIND_EN, Family(FAMILY_ENGINEERING)},
    {KIND_ENWD, Family(FAMILY_ENGINEERING)},
    {KIND_ENWDE, Family(FAMILY_ENGINEERING)},
    {KIND_ES, Family(FAMILY_SCIENTIFIC)},
    {KIND_ESWD, Family(FAMILY_SCIENTIFIC)},
    {KIND_ESWDE, Family(FAMILY_SCIENTIFIC)},
    {KIND_L, Family(FAMILY_LOGICAL)},
    {KIND_LW, Family(FAMILY_LOGICAL)},
    {KIND_B, Family(FAMILY_BINARY)},
    {KIND_BW, Family(FAMILY_BINARY)},
    {KIND_BWM, Family(FAMILY_BINARY)},
    {KIND_O, Family(FAMILY_OCTAL)},
    {KIND_OW, Family(FAMILY_OCTAL)},
    {KIND_OWM, Family(FAMILY_OCTAL)},
    {KIND_Z, Family(FAMILY_HEX)},
    {KIND_ZW, Family(FAMILY_HEX)},
    {KIND_ZWM, Family(FAMILY_HEX)},
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
    {KIND_EX, Family(FAMILY_HEX_REAL, true)},
    {KIND_EXWD, Family(FAMILY_HEX_REAL, true)},
    {KIND_EXWDE, Family(FAMILY_HEX_REAL, true)},
    {KIND_DT, Family(FAMILY_USER, true)},
    {KIND_GW, Family(FAMILY_GENERAL, true)},
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
