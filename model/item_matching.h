// Which field of a format edits which item of an I/O list, as the run time
// goes through them: data edits in order, repeat counts and groups, a
// complex item over two real edits, reversion to the last top-level group
// (with its repeat count) in a new record once the format's end is reached,
// "*(" repeated while items remain, ":" ending the transfer when none does,
// and the records that "/" and reversion begin. With each item's type known,
// what the run time does with it (item_transfer.h). A READ stops at the
// first character constant edit it reaches: before an item's field, or after
// the last item, on the way to the next data edit or ":".
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "item_transfer.h"

class CDescriptorList;

// One field of the format as the matching reads it.
struct SFormatEdit {
    int nKind = 0;    // KIND_*
    int nRepeat = 1;  // the repeat count (a group's on its opening parenthesis; "n/": n)
};

// The fields of a list, in order.
std::vector<SFormatEdit> FormatEditsOf(const CDescriptorList& list);

// One item of the list: a scalar, or an array or implied-DO list of
// nCount elements of one type (-1: a count not known before run time).
struct SIoItem {
    SItemType type;
    long long nCount = 1;
    std::size_t nSource = 0;  // the item of the list as written (at its top level) it comes from
};

// One element of an item and the field that edits it (a complex element
// two, the real part's first).
struct SItemEdit {
    std::size_t nItem = 0;    // in the I/O list
    long long nElement = 0;   // within the item, from 0
    long long nTransfer = 0;  // as the run time counts items in its messages, from 1
    std::size_t nField = 0;   // in the format
    long long nRecord = 0;    // from 0: the records "/" and reversion began before it
    bool bReverted = false;   // reached by reversion: a field used again
};

enum class MatchFinding {
    REFUSED,        // the run time stops at this element (the first refusal only: the transfer ends there)
    CRASHES,        // the run time stops with an internal error
    ODD,            // taken, but its bytes or bits are transferred (once per item and field)
    NO_DATA_EDIT,   // items, but no data edit to take them: "Insufficient data descriptors"
    NEW_RECORDS,    // items that reversion puts in later records
    READ_CONSTANT,  // a READ reaches a character constant edit: "Constant string in input format"
};

struct SMatchFinding {
    MatchFinding kind = MatchFinding::ODD;
    std::size_t nItem = 0;    // READ_CONSTANT after the last item: the number of items
    long long nTransfer = 0;  // the run time's item number (READ_CONSTANT after the last item: 0)
    std::size_t nField = 0;   // the field concerned (NO_DATA_EDIT: the last field; NEW_RECORDS: the group reverted to;
                              // READ_CONSTANT: the constant)
    STransfer transfer;       // REFUSED, CRASHES, ODD: the judgement
    long long nLastTransfer = 0;  // NEW_RECORDS: the last item number the later records take
};

struct SItemMatch {
    std::vector<SItemEdit> edits;
    std::vector<SMatchFinding> findings;
    long long nRecords = 0;  // the records one execution transfers; -1 when a count is not known
    bool bComplete = true;   // false: an item of unknown count (or too many elements) ended the matching
};

// Matches the items to the fields. A list whose elements pass nMaxElements
// is matched as far as that.
SItemMatch MatchItems(const std::vector<SFormatEdit>& format, const std::vector<SIoItem>& items, bool bInput,
                      long long nMaxElements = 100000);
