// The descriptor tables: patterns of token classes that the classifier
// matches a lexed descriptor text against.
#pragma once

#include <span>
#include <string>

#include "descriptor_kind.h"

struct SDescriptorRow {
    int nKind;               // the kind a match yields
    const char* pszPattern;  // the class string that must match exactly
    int bRepeatAllowed;      // 1: may also match after a leading repeat count
    const char* pszLetters;  // the token that must equal these letters (any case), or nullptr
    int nLettersIndex;       // which token holds them without a repeat count
};

// The default table (the 54 rows of FORTRAN 77 with its common extensions,
// and the rows of the later standards) and the strict table that -fps4 selects (the
// default without the forms written without a width and without $).
std::span<const SDescriptorRow> DefaultDescriptorTable();
std::span<const SDescriptorRow> StrictDescriptorTable();

// The table the process-wide strict-table flag selects.
std::span<const SDescriptorRow> DescriptorTableInForce();

// Whether the table in force is the default one, which also knows the forms
// of later standards that the strict table refuses: repeat counts above 99,
// zero widths, unlimited groups, the empty list.
bool ExtendedFormsInForce();

// The exact value of a repeat-count token (digits only); -1 when it is no
// number or lies above 2147483647.
long long RepeatCountValue(const std::string& digits);
