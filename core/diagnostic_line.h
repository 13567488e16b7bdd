// The one line on standard error that every front end writes for each
// message it shows, logs or reports, so that an editor or a script can read
// where the message points: "quillmark: FILE:LINE: text".
#pragma once

#include <string>

// The line a message concerns as the FILE:LINE prefix writes it: its own
// line (SMessage::nLine) when it names one, else the first line of the
// statement (the line asked for while none is located); the line asked for
// as its word gave it (strGivenLine, its digits however many) while the
// message names no line of its own and the statement is not located, so that
// a line beyond any count reads as the message text names it; "" for no line.
std::string DiagnosticLineText(long long nMessageLine, long long nStatementLine, const std::string& strGivenLine);

// "quillmark: FILE:LINE: text"; "quillmark: FILE: text" when strLine is "";
// "quillmark: text" when there is no file. The line ends of the text and
// the name, each run of them, become one blank, so that the message stands
// on one line; the result ends without a line end.
std::string DiagnosticLine(const std::string& strFile, const std::string& strLine, const std::string& strText);
