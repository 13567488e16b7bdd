// The command line of quillmark-text.
#pragma once

#include <string>
#include <vector>

#include "command_options.h"

enum EditAction {
    EDIT_INSERT,  // --insert I:TEXT   New Field before field I
    EDIT_REMOVE,  // --remove I        Remove Field
    EDIT_TEXT,    // --text I:TEXT     type TEXT into the text row of field I
    EDIT_SAMPLE,  // --sample I:TEXT   type TEXT into the sample row of field I
    EDIT_VALUE,   // --value I:VALUE   Change Value
};

struct SEdit {
    EditAction action;
    long long nIndex;
    std::string strText;
    std::string strOption;  // the option as given, for messages
};

struct SCliOptions {
    bool bStrict = false;                            // --fps4
    bool bJson = false;                              // --json
    bool bLive = false;                              // --live
    bool bWrite = false;                             // --write
    bool bExact = false;                             // --exact
    bool bKeepLayout = false;                        // --keep-layout
    SourceForm nSourceForm = SOURCE_FORM_BY_SUFFIX;  // --free-form, --fixed-form
    bool bListStatements = false;                    // --list-statements FILE
    bool bHasList = false;
    std::string strList;  // --list TEXT
    // FILE LINE COLUMN: the statement in a source file.
    bool bHasFile = false;
    std::string strFile;
    std::string strLine;  // as typed, for messages
    long long nLine = 0;  // converted as the C library's decimal conversion does
    long long nColumn = 0;
    std::vector<SEdit> edits;
    // Checking formats against the I/O lists that use them.
    bool bCheck = false;  // --check PATH...
    std::vector<std::string> checkPaths;
    std::string strDiagnostics = "gcc";  // --diagnostics=
    bool bItems = false;                 // --items, with FILE LINE COLUMN
    std::string strStandard;             // --std=
};

enum ParseOutcome {
    PARSE_RUN,
    PARSE_HELP,
    PARSE_VERSION,
    PARSE_USAGE_ERROR,
};

// Reads the arguments after the program name. On PARSE_USAGE_ERROR, strError
// says what was wrong.
ParseOutcome ParseCliOptions(const std::vector<std::string>& args, SCliOptions& options, std::string& strError);

// The text --help prints.
std::string CliUsageText();
