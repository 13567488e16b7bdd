// Writing an edited statement back in the file's own layout: a field whose
// text did not change keeps its bytes where they stand, a retyped field's new
// text takes the old one's place, an inserted field goes beside its neighbour
// with the separator the list uses, a removed one takes one separator with
// it. Only a line that would grow past its limit is broken anew, after a
// separator, with the writer's continuation marks.
#pragma once

#include <string>
#include <vector>

#include "descriptor_list.h"
#include "statement_site.h"

// The lines that take the place of the statement's stretch of source lines
// (site.m_arrOriginalLines: from its first line to its last, the comment and
// preprocessor lines between them included), one group for each old line:
// the line itself when nothing on it changed, the lines it became, or none
// when it held nothing but fields that were removed. False when the edits
// cannot be placed in the old layout; the caller rebuilds the statement then.
bool BuildKeptLayout(const CDescriptorList& list, const CStatementSite& site,
                     std::vector<std::vector<std::string>>& groups);
