// A descriptor text read once into a record: its kind and its numbers, as
// evaluation, rendering, derivation and the writer use them. Nothing after
// the parser reads tokens or positions.
#pragma once

#include <string>
#include <string_view>

#include "descriptor_kind.h"
#include "descriptor_table.h"
#include "result.h"

struct SParsedDescriptor {
    DescriptorKind nKind = KIND_NONE;  // KIND_NONE: no row of the table accepts the text
    bool bHasRepeat = false;           // a repeat count leads the text
    std::string strRepeat;             // that count as written (a derived text keeps it)
    long long nRepeat = 1;             // its value; 1 without one
    bool bHasWidth = false;            // a width is written (F7.3, not F)
    long long nW = 0;                  // the width
    long long nD = 0;                  // the digits after the point, or the minimum digits m
    long long nE = 0;                  // the exponent digits of w.dEe
    char chExponentLetter = 'E';       // the letter of a w.dEe form as written
    bool bUpperCase = true;            // the descriptor's letters are upper case
    long long nCount = 0;              // the n of nX, Tn, TLn, TRn, n/ and nH, the k of kP
    std::string strConstant;           // the characters of a character or Hollerith constant
    char chQuote = 0;                  // the quote of a character constant
    char chRounding = 0;               // U, D, Z, N, C or P: the rounding mode RU ... RP sets
    SMessage refusal;                  // with KIND_NONE: why no row accepts the text (no text, string ID 0)

    bool IsValid() const { return nKind != KIND_NONE; }
};

// The numbers a read descriptor's form stands for (FormWidths of its kind,
// width, digits and exponent digits).
inline SFormWidths FormWidths(const SParsedDescriptor& p)
{
    return FormWidths(p.nKind, p.nW, p.nD, p.nE);
}

// Reads one descriptor text with the table's rows. Numbers read as counts of
// at most five characters (CountValue). A text that no row accepts, or whose
// repeat count the table refuses, gives KIND_NONE and says why in refusal.
SParsedDescriptor ParseDescriptor(std::string_view text, const CDescriptorTable& table);

// The kind a text has, and whether a repeat count leads it and its letters
// are upper case, with the table's rows (KIND_NONE when it has none); for
// callers that only ask what a text is.
DescriptorKind ClassifyText(std::string_view text, const CDescriptorTable& table, bool* pHasRepeat = nullptr,
                            bool* pUpperCase = nullptr);
