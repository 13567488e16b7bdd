#include "diagnostic_line.h"

namespace {

bool IsLineEnd(char ch)
{
    return ch == '\n' || ch == '\r';
}

// The text on one line: each run of line ends one blank, none at either end.
std::string OneLine(const std::string& strText)
{
    std::string out;
    bool bPendingBlank = false;
    for (char ch : strText) {
        if (IsLineEnd(ch)) {
            bPendingBlank = !out.empty();
            continue;
        }
        if (bPendingBlank)
            out += ' ';
        bPendingBlank = false;
        out += ch;
    }
    return out;
}

}  // namespace

std::string DiagnosticLineText(long long nMessageLine, long long nStatementLine, const std::string& strGivenLine)
{
    if (nMessageLine <= 0 && !strGivenLine.empty())
        return strGivenLine;
    const long long nLine = nMessageLine > 0 ? nMessageLine : nStatementLine;
    return nLine > 0 ? std::to_string(nLine) : std::string();
}

std::string DiagnosticLine(const std::string& strFile, const std::string& strLine, const std::string& strText)
{
    std::string strPlace;
    if (!strFile.empty())
        strPlace = strFile + (strLine.empty() ? std::string() : ":" + strLine) + ": ";
    // A line end in the file's name would break the line as well.
    return "quillmark: " + OneLine(strPlace) + OneLine(strText);
}
