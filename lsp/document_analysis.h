// What the server knows of one version of a document: the statements that
// hold a descriptor list (FORMAT statements and format strings) and what
// the checker finds in it, read from the text the client holds, not from
// the file on disk.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "descriptor_table.h"
#include "format_check.h"
#include "source_file.h"
#include "statement_index.h"
#include "text_document.h"

// The settings a client may give (initializationOptions, or the
// "quillmark" section of workspace/didChangeConfiguration).
struct SServerSettings {
    bool bStrict = false;  // only descriptors with explicit widths, as -fps4
    SourceForm form = SOURCE_FORM_BY_SUFFIX;
    bool bExact = false;                  // samples as gfortran prints them
    std::string strWindow = "quillmark";  // the window, for the command that opens a statement in it
};

const CDescriptorTable& TableOf(const SServerSettings& settings);

struct SDocumentAnalysis {
    long long nVersion = -1;
    int bFixedForm = 1;
    std::vector<SIndexedStatement> statements;  // in the order of the file
    SFileCheck check;
};

// The document read. modules: what its USE statements may find.
SDocumentAnalysis AnalyseDocument(const CTextDocument& doc, const SServerSettings& settings,
                                  const ModuleTable& modules);

// The statement whose lines hold line (from 1); nullptr when none does.
const SIndexedStatement* StatementAt(const SDocumentAnalysis& analysis, long long nLine);
