// How fields are shown: where each one prints (its output record and first
// column), the marks of the column ruler, and the characters that stand for
// bytes that cannot be shown. Both front ends draw from these.
#pragma once

#include <vector>

#include "descriptor_list.h"

struct SFieldPlace {
    int nRecord;        // 0 for the first output record; each /, n/ or \ starts the next
    long long nColumn;  // characters printed in the record before the field (GetColumn)
    long long nWidth;   // characters the field shows: its sample, repeat-count times, cut as GetRepeatedSample cuts it
};

// The place of every field, in one pass over the list; or of the first
// nCount fields only.
std::vector<SFieldPlace> LayOutFields(const CDescriptorList& list, int nCount = -1);

// The same where fields show other samples than their own (the ones an
// I/O statement's items give them): a field with a width of 0 or more in
// widths is that wide; one past its end or at -1 shows its own.
std::vector<SFieldPlace> LayOutFields(const CDescriptorList& list, const std::vector<long long>& widths,
                                      int nCount = -1);

// The mark of a column ruler at a column boundary (the number of characters
// printed before it): the longest every 10 columns, with the tens written
// under it, a medium one every 5, a short one elsewhere.
enum RulerTick : int {
    TICK_SHORT = 0,
    TICK_MEDIUM = 1,
    TICK_LONG = 2,
};

RulerTick RulerTickAt(long long nColumn);

// The character shown for a byte of a text or sample: control characters
// would break the columns and show as "~"; every other byte is itself.
inline char ShownChar(char ch)
{
    const unsigned char c = static_cast<unsigned char>(ch);
    return (c < 0x20 || c == 0x7f) ? '~' : ch;
}

// Whether a field's last evaluation failed (it shows "??????").
bool IsInvalidField(const CDescriptor& d);
