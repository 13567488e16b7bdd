// The portability of one format: the Fortran standard that first has each
// of its forms, and the forms that compilers are known to read differently.
// Findings are values with places (a field, an offset in the list text);
// the front ends turn them into text with PortabilityMessage.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

#include "descriptor_list.h"
#include "result.h"

// The standards in the order they came; a form in none of them is
// STD_EXTENSION, after all of them. STD_NONE: no standard is checked.
enum FortranStandard : int {
    STD_NONE,
    STD_F77,
    STD_F90,
    STD_F95,
    STD_F2003,
    STD_F2008,
    STD_F2018,
    STD_EXTENSION,
};

// The word of --std= (f77, f90, f95, f2003, f2008, f2018, in any case) as a
// standard; nothing for any other word.
std::optional<FortranStandard> StandardFromWord(std::string_view word);

// Where a form stands in the standards: the first that has it (STD_EXTENSION
// for none), and the one that deleted it (STD_NONE when none did).
struct SStandardSpan {
    FortranStandard first = STD_F77;
    FortranStandard deleted = STD_NONE;
    bool Has(FortranStandard standard) const
    {
        return first <= standard && (deleted == STD_NONE || standard < deleted);
    }
};
SStandardSpan StandardsOf(const SParsedDescriptor& parsed);

enum PortabilityKind : int {
    // The field's form is not in the standard checked against: `standard`
    // says the first that has it (STD_EXTENSION: none does).
    PORT_BEYOND_STANDARD,
    PORT_WIDTH_LEFT_OUT,        // I, F, E, D, G, L, B, O, Z ... without a width: (I), (A,L)
    PORT_ZERO_WIDTH_EXPONENT,   // E0.d, D0.d, EN0.d, ES0.d on output: Fortran 2018 only
    PORT_ZERO_WIDTH_INPUT,      // a zero width (G0, I0, F0.d, E0.d ...) in a format that reads
    PORT_MISSING_COMMA,         // two items with no comma between them where one is due: (A A A)
    PORT_UNLIMITED_NOT_LAST,    // *( nested, or followed by more items
    PORT_RECORD_MARK,           // $ and \: keep the record open
    PORT_HOLLERITH,             // nHtext
    PORT_X_WITHOUT_COUNT,       // X alone
    PORT_SCALE_AGAINST_DIGITS,  // kP in force on E, D or G with k outside -d < k < d+2
};

struct SPortabilityFinding {
    // The field concerned; for a missing comma, the field after which it is
    // missing.
    int nField = 0;
    PortabilityKind kind = PORT_BEYOND_STANDARD;
    // PORT_BEYOND_STANDARD: the first standard that has the form, or
    // STD_EXTENSION; the standard that deleted it when it is a deleted form.
    FortranStandard standard = STD_NONE;
    bool bDeleted = false;
    // PORT_MISSING_COMMA: the offset in the list text where the comma is
    // due (just after the field's text).
    std::size_t nOffset = 0;
    bool operator==(const SPortabilityFinding&) const = default;
};

// Whether the format is read, written or both.
enum FormatUse : unsigned {
    FORMAT_USE_OUTPUT = 1,
    FORMAT_USE_INPUT = 2,
};

struct SPortabilityQuery {
    FortranStandard standard = STD_NONE;  // STD_NONE: no PORT_BEYOND_STANDARD findings
    unsigned nUses = FORMAT_USE_OUTPUT;
    // The list text the list was split from and where each descriptor stood
    // in it; without them no missing comma is looked for.
    std::string_view text;
    const SSplitLayout* pLayout = nullptr;
};

// The findings of a list, in field order. A field whose own form already
// has a finding (a width left out, $, a Hollerith constant ...) gets no
// PORT_BEYOND_STANDARD finding besides.
std::vector<SPortabilityFinding> PortabilityFindings(const CDescriptorList& list, const SPortabilityQuery& query);

// The finding as a message of the string table (460 to 499), with the
// field's text and the numbers it names; MessageText gives its text.
SMessage PortabilityMessage(const SPortabilityFinding& finding, const CDescriptorList& list);
