// The edits a user makes of the statement's fields, as both front ends make
// them: typing into a field's text or sample, leaving the field, New Field,
// Remove Field and Change Value, each with the message that refuses it.
// Messages are owned by the list's owner window.
#pragma once

#include "descriptor_list.h"

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
// appends). 1, or 0 after "... is not a valid descriptor".
int InsertField(CDescriptorList& list, int index, const char* text);

// Remove Field. 1, or 0 after "A Format statement must have at least one
// descriptor" (the last one stays) or "Unable to delete the current descriptor".
int RemoveField(CDescriptorList& list, int index);

// Change Value: the field's sample shows the value as the field prints it;
// an empty value restores the default sample. 1, or 0 after "Illegal value
// for default value" with the old value kept.
int ChangeFieldValue(CDescriptorList& list, int index, const char* text);
