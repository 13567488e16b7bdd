// The descriptor tables: which texts are descriptors, and of which kind. A
// text is read into tokens (format_scanner.h) and its shape; a row accepts a
// shape with its letters, with or without a leading repeat count.
#pragma once

#include <span>
#include <string>

#include "descriptor_kind.h"

// The tokens a descriptor text is made of, once a leading repeat count is
// set aside.
enum DescriptorShape : int {
    SHAPE_NONE,
    SHAPE_LETTERS,                  // X  SP  F
    SHAPE_LETTERS_W,                // A10  T5  G0
    SHAPE_LETTERS_WD,               // F7.3  I5.3
    SHAPE_LETTERS_WDE,              // E12.4E3
    SHAPE_COUNT_LETTERS,            // 2X  2P
    SHAPE_SIGNED_LETTERS,           // -2P  +1P
    SHAPE_CONSTANT,                 // 'text'  "text"
    SHAPE_HOLLERITH,                // 3Habc
    SHAPE_MARK,                     // (  )  /  \  $  :  *(
    SHAPE_COUNT_MARK,               // 3/
    SHAPE_LETTERS_CONSTANT,         // DT'text'
    SHAPE_LETTERS_VALUES,           // DT(1,2)
    SHAPE_LETTERS_CONSTANT_VALUES,  // DT'text'(1,2)
};

struct SDescriptorRow {
    int nKind;               // the kind a match yields
    DescriptorShape shape;   // the shape the text must have
    int bRepeatAllowed;      // 1: may also match after a leading repeat count
    const char* pszLetters;  // the letters or marks the text holds (any case), or nullptr for any
};

// A table of rows, and what else the table in force decides.
class CDescriptorTable {
public:
    constexpr CDescriptorTable(std::span<const SDescriptorRow> rows, bool bExtended)
        : m_rows(rows), m_bExtended(bExtended)
    {
    }

    std::span<const SDescriptorRow> Rows() const { return m_rows; }

    // The default table also knows the forms of later standards that the
    // strict table refuses: repeat counts above 99, zero widths, unlimited
    // groups, the empty list, groups longer than any sample shows.
    bool ExtendedForms() const { return m_bExtended; }

    // The repeat count a leading count gives, or -1 when it is not one: 0 is
    // not a repeat count in either table (0P has no repeat count), the strict
    // table stops at 99, the default one at 2147483647.
    long long RepeatCount(const std::string& digits) const;
    // The largest repeat count: 99, or 2147483647 in the default table.
    long long MaxRepeatCount() const;

private:
    std::span<const SDescriptorRow> m_rows;
    bool m_bExtended;
};

// The default table (FORTRAN 77 with its common extensions, and the forms of
// the later standards) and the strict table that -fps4 selects (the default
// without the forms written without a width, without $ and the later forms).
const CDescriptorTable& DefaultDescriptorTable();
const CDescriptorTable& StrictDescriptorTable();

// The exact value of a repeat-count token (digits only); -1 when it is no
// number or lies above 2147483647.
long long RepeatCountValue(const std::string& digits);
