// The descriptor tables: patterns of token classes that the classifier
// matches a lexed descriptor text against.
#pragma once

#include <span>

#include "descriptor_kind.h"

struct SDescriptorRow {
    int nKind;               // the kind a match yields
    const char* pszPattern;  // the class string that must match exactly
    int bRepeatAllowed;      // 1: may also match after a leading repeat count
    const char* pszLetters;  // the token that must equal these letters (any case), or nullptr
    int nLettersIndex;       // which token holds them without a repeat count
};

// The default table (54 rows) and the strict table that -fps4 selects (the
// default without the forms written without a width and without $).
std::span<const SDescriptorRow> DefaultDescriptorTable();
std::span<const SDescriptorRow> StrictDescriptorTable();

// The table the process-wide strict-table flag selects.
std::span<const SDescriptorRow> DescriptorTableInForce();
