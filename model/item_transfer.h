// What the run time does with an item of the I/O list under the data edit
// descriptor that takes it: whether the edit is made for the item's type,
// accepted though it prints (or reads) the item's bytes or bits, or refused
// with the run time's error, as gfortran's library does it.
#pragma once

#include <string>

enum class ItemType { INTEGER, REAL, COMPLEX, LOGICAL, CHARACTER, DERIVED, UNKNOWN };

struct SItemType {
    ItemType type = ItemType::UNKNOWN;
    int nKind = 0;           // the kind in bytes (a complex's part); 0: the default kind
    long long nLength = -1;  // CHARACTER: its length, -1 when not known
};

enum class TransferVerdict {
    FITS,     // the edit is made for the type
    ODD,      // accepted, but it transfers the item's bytes or bits, or asterisks: rarely what is meant
    REFUSED,  // the run time stops: "Expected REAL for item 2 in formatted transfer, got INTEGER"
    CRASHES,  // the run time stops with an internal error of its own
    UNKNOWN,  // the item's type or what the edit takes is not known
};

struct STransfer {
    TransferVerdict verdict = TransferVerdict::UNKNOWN;
    const char* pszExpected = "";  // REFUSED: the type the edit expects, in the run time's words
    const char* pszGot = "";       // and the item's
};

// The edit of kind nKind (a data edit descriptor; any other kind is
// UNKNOWN) of an item of the given type, on input or output.
STransfer JudgeTransfer(int nKind, const SItemType& item, bool bInput);

// The run time's message for a refusal of item nItem (from 1: each array
// element and each implied-DO iteration is an item, a complex one item).
std::string RefusalText(const STransfer& transfer, long long nItem);
