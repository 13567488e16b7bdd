#include "item_transfer.h"

#include <array>

#include "descriptor_kind.h"

namespace {

// The edits as the run time groups them.
enum class EditClass { INTEGER, REAL, GENERAL, LOGICAL, CHARACTER, BITS, OTHER };

EditClass ClassOf(int nKind)
{
    constexpr std::pair<DescriptorFamily, EditClass> kClasses[] = {
        {FAMILY_INTEGER, EditClass::INTEGER},     {FAMILY_FIXED, EditClass::REAL},
        {FAMILY_DOUBLE, EditClass::REAL},         {FAMILY_EXPONENT, EditClass::REAL},
        {FAMILY_ENGINEERING, EditClass::REAL},    {FAMILY_SCIENTIFIC, EditClass::REAL},
        {FAMILY_GENERAL, EditClass::GENERAL},     {FAMILY_LOGICAL, EditClass::LOGICAL},
        {FAMILY_CHARACTER, EditClass::CHARACTER}, {FAMILY_BINARY, EditClass::BITS},
        {FAMILY_OCTAL, EditClass::BITS},          {FAMILY_HEX, EditClass::BITS},
    };
    if (!IsKind(nKind))
        return EditClass::OTHER;
    for (const auto& [family, editClass] : kClasses)
        if (FamilyOf(nKind) == family)
            return editClass;
    return EditClass::OTHER;  // EX (which gfortran 12 does not read), DT, and what takes no item
}

constexpr auto F = TransferVerdict::FITS;
constexpr auto O = TransferVerdict::ODD;
constexpr auto R = TransferVerdict::REFUSED;

// By edit class (rows, as EditClass) and item type (columns: INTEGER, REAL,
// COMPLEX, LOGICAL, CHARACTER), the same on input and output. gfortran 12
// refuses a non-integer under I, and an integer, logical or character item
// under F, E, EN, ES and D; it takes any type under G as the type's own
// edit, and transfers the bytes or bits of any type under A, L, B, O, Z.
constexpr std::array<std::array<TransferVerdict, 5>, 6> kVerdicts = {{
    {F, R, R, R, R},  // I
    {R, F, F, R, R},  // F E EN ES D
    {F, F, F, F, F},  // G
    {O, O, O, F, O},  // L
    {O, O, O, O, F},  // A
    {F, O, O, O, O},  // B O Z
}};

// What the run time names the types in its refusals (a complex item is
// named by its parts).
constexpr const char* kTypeNames[] = {"INTEGER", "REAL", "REAL", "LOGICAL", "CHARACTER"};
constexpr const char* kExpected[] = {"INTEGER", "REAL"};

}  // namespace

STransfer JudgeTransfer(int nKind, const SItemType& item, bool bInput)
{
    STransfer transfer;
    const EditClass editClass = ClassOf(nKind);
    const auto nType = static_cast<std::size_t>(item.type);
    if (editClass == EditClass::OTHER || nType >= kVerdicts[0].size())
        return transfer;
    transfer.verdict = kVerdicts[static_cast<std::size_t>(editClass)][nType];
    if (transfer.verdict == TransferVerdict::REFUSED) {
        transfer.pszExpected = kExpected[static_cast<std::size_t>(editClass)];
        transfer.pszGot = kTypeNames[nType];
    }
    // An 80-bit real written under L stops gfortran 12's run time
    // ("Internal Error: bad integer kind").
    if (!bInput && editClass == EditClass::LOGICAL && item.type == ItemType::REAL && item.nKind == 10)
        transfer.verdict = TransferVerdict::CRASHES;
    return transfer;
}

std::string RefusalText(const STransfer& transfer, long long nItem)
{
    return std::string("Expected ") + transfer.pszExpected + " for item " + std::to_string(nItem) +
           " in formatted transfer, got " + transfer.pszGot;
}
