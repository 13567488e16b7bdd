// The edits a user makes of the statement's fields, as both front ends make
// them: typing into a field's text or sample, leaving the field, New Field,
// Remove Field and Change Value, each with the message that refuses it.
// A refusal comes back as a result with its message; the front end shows it.
#pragma once

#include <memory>

#include "descriptor_list.h"
#include "result.h"

// The two rows of a field: its descriptor text and the sample it prints.
enum FieldRow : int {
    ROW_TEXT = 0,
    ROW_SAMPLE = 1,
};

// True when index names a field of the list (0 .. size − 1), or for an
// insertion, a place to insert at (0 .. size).
bool IsFieldIndex(const CDescriptorList& list, long long index);
bool IsInsertionIndex(const CDescriptorList& list, long long index);

// Stores what was typed into a row of field index and evaluates it at once
// (the other row shows "??????" when it does not evaluate). 1 when it
// evaluated.
int TypeIntoField(CDescriptorList& list, int index, FieldRow row, const char* text);

// Leaves field index after typing into it: an edit that did not evaluate is
// taken back to the field's last good text and sample, and a typed sample is
// evaluated once more from the text derived from it, so the sample row shows
// the standard sample of the new text. Returns 1 when the edit was taken back.
int LeaveField(CDescriptorList& list, int index, FieldRow row);

// New Field: inserts descriptor text before field index (index = size
// appends). Refused with "... is not a valid descriptor", the list unchanged.
CResult InsertField(CDescriptorList& list, int index, const char* text);

// Remove Field. Refused with "A Format statement must have at least one
// descriptor" (the last one stays) or "Unable to delete the current
// descriptor", the list unchanged. With pRemoved the removed descriptor is
// handed over whole instead of destroyed.
CResult RemoveField(CDescriptorList& list, int index, std::unique_ptr<CDescriptor>* pRemoved = nullptr);

// Change Value: the field's sample shows the value as the field prints it;
// an empty value restores the default sample. Refused with "Illegal value for
// default value", the old value kept.
CResult ChangeFieldValue(CDescriptorList& list, int index, const char* text);
