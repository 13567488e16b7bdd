// The one line on standard error that every front end writes for each
// message it shows, logs or reports, so that an editor or a script can read
// where the message points: "quillmark: FILE:LINE: text".
#pragma once

#include <string>

// The line a message concerns: its own line (SMessage::nLine) when it names
// one, else the first line of the statement (the line asked for while none
// is located).
long long DiagnosticLineNumber(long long nMessageLine, long long nStatementLine);

// "quillmark: FILE:LINE: text"; "quillmark: FILE: text" when nLine is 0;
// "quillmark: text" when there is no file. The line ends of the text and
// the name, each run of them, become one blank, so that the message stands
// on one line; the result ends without a line end.
std::string DiagnosticLine(const std::string& strFile, long long nLine, const std::string& strText);
