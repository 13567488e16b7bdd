// Applies the command line's edits to the descriptor list the way the
// editor's commands and in-place editor change it.
#pragma once

#include <string>
#include <vector>

#include "cli_options.h"
#include "descriptor_list.h"
#include "result.h"

enum EditOutcome {
    EDITS_DONE,
    EDITS_REFUSED,      // an operation was refused: refusal says why
    EDITS_USAGE_ERROR,  // an index does not name a field
};

struct SEditReport {
    EditOutcome outcome = EDITS_DONE;
    std::string strError;            // for EDITS_USAGE_ERROR
    std::vector<std::string> notes;  // typed edits that were taken back
    int nCurrent = 0;                // the field the last edit left current
    CResult refusal;                 // for EDITS_REFUSED
};

// Applies the edits in order and stops at the first one refused, which
// changes nothing. With bLive the last edit, when it types into a field, is
// not left: its live state stays, invalid or not.
SEditReport ApplyEdits(CDescriptorList& list, const std::vector<SEdit>& edits, bool bLive);
