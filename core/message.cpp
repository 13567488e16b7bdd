#include "message.h"

#include <cstdio>

#include "diagnostic_line.h"
#include "string_table.h"

namespace {

// Rewrites the log from the start with the text and one line end.
int WriteLog(const std::string& strLogName, const std::string& text)
{
    std::FILE* pFile = std::fopen(strLogName.c_str(), "w");
    if (pFile == nullptr)
        return 0;
    bool bOk = std::fputs(text.c_str(), pFile) >= 0 && std::fputc('\n', pFile) != EOF;
    bOk = (std::fclose(pFile) == 0) && bOk;
    return bOk ? 1 : 0;
}

}  // namespace

MessageAnswer CMessages::Show(OwnerHandle owner, const SMessageStyle& style, const SMessage& message) const
{
    const std::string text = MessageText(message);
    // The echo names the message's own line, else the statement's (none
    // until the statement is located).
    if (m_flags.m_bEchoMessages) {
        const std::string strShown = DiagnosticLineText(message.nLine, m_flags.m_nStatementLine,
                                                        m_flags.m_strGivenLine);
        std::fprintf(stderr, "%s\n", DiagnosticLine(m_flags.m_strSourceFile, strShown, text).c_str());
    }
    if (m_flags.m_bDebug) {
        // A log that cannot be written loses no message: without the echo
        // the text goes to standard error instead.
        if (!WriteLog(m_flags.m_strDebugLog, text) && !m_flags.m_bEchoMessages)
            std::fprintf(stderr, "%s\n", text.c_str());
        return MessageAnswer::NONE;
    }
    const char* pszCaption = LoadResourceString(IDS_CAPTION);
    return m_presenter.Present(owner, style, text, pszCaption != nullptr ? pszCaption : "");
}

void CMessages::Log(const std::string& text) const
{
    if (m_flags.m_bDebug && !WriteLog(m_flags.m_strDebugLog, text) && !m_flags.m_bEchoMessages)
        std::fprintf(stderr, "%s\n", text.c_str());
}

SMessageStyle MessageStyle(int nStringId)
{
    return nStringId == IDS_UNBALANCED || nStringId == IDS_EMPTY_GROUP_EXIT ? kPlainMessage : kWarningMessage;
}

void CMessages::ShowResult(OwnerHandle owner, const CResult& result) const
{
    for (const SMessage& message : result.Messages())
        Show(owner, MessageStyle(message.nStringId), message);
}

int StartDebugLog(CProcessFlags& flags, const std::string& strLogName)
{
    flags.m_bDebug = 1;
    flags.m_strDebugLog = strLogName;
    return WriteLog(strLogName, std::string());
}
