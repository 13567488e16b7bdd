// quillmark-text's check of formats against the I/O lists that use them:
// --check over files and folders (one line a finding, or JSON, or SARIF)
// and --items for the format at a line of a file.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "cli_options.h"
#include "field_output.h"
#include "format_check.h"

// One file's findings, as --check reports them.
struct SCheckedFile {
    std::string strFile;
    SFileCheck check;
};

// The files checked, read on every core; modules first, then each file.
// Without bKeepUses only each file's findings are kept.
std::vector<SCheckedFile> CheckFiles(const std::vector<std::string>& files, const SCliOptions& options, bool bProgress,
                                     bool bKeepUses);

// The findings in the form --diagnostics names.
void WriteGcc(std::ostream& out, const std::vector<SCheckedFile>& files);
JsonValue CheckJson(const std::vector<SCheckedFile>& files);
JsonValue CheckSarif(const std::vector<SCheckedFile>& files);

// --check: the exit status (0 no findings, 1 findings).
int RunCheck(const SCliOptions& options);

// --items FILE LINE COLUMN: the exit status (1 when no I/O statement uses
// a format there).
int RunItems(const SCliOptions& options);
