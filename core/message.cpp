#include "message.h"

#include <cstdio>

#include "diagnostic_line.h"
#include "flags.h"
#include "string_table.h"

namespace {

// Writes to standard error; questions get their negative answer, so that an
// unattended run never stops at one.
class CStandardErrorPresenter : public IMessagePresenter {
public:
    MessageAnswer Present(OwnerHandle, const SMessageStyle& style, const std::string& text, const std::string&) override
    {
        std::fprintf(stderr, "%s\n", text.c_str());
        switch (style.buttons) {
        case MessageButtons::OK: return MessageAnswer::OK;
        case MessageButtons::YES_NO: return MessageAnswer::NO;
        default: return MessageAnswer::CANCEL;
        }
    }
};

CStandardErrorPresenter g_standardErrorPresenter;
IMessagePresenter* g_pPresenter = &g_standardErrorPresenter;

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

// Shows a formatted text about line nLine (0: none of its own): into the
// log in debug mode (result NONE), else through the presenter; with the echo
// on, also as one line on standard error.
MessageAnswer PresentText(OwnerHandle owner, const SMessageStyle& style, const std::string& text, long long nLine)
{
    const CProcessFlags& flags = ProcessFlags();
    if (flags.m_bEchoMessages) {
        const std::string strShown = DiagnosticLineText(nLine, flags.m_nStatementLine, flags.m_strGivenLine);
        std::fprintf(stderr, "%s\n", DiagnosticLine(flags.m_strSourceFile, strShown, text).c_str());
    }
    if (flags.m_bDebug) {
        // A log that cannot be written loses no message: without the echo
        // the text goes to standard error instead.
        if (!WriteLog(flags.m_strDebugLog, text) && !flags.m_bEchoMessages)
            std::fprintf(stderr, "%s\n", text.c_str());
        return MessageAnswer::NONE;
    }
    const char* pszCaption = LoadResourceString(IDS_CAPTION);
    return g_pPresenter->Present(owner, style, text, pszCaption != nullptr ? pszCaption : "");
}

}  // namespace

void SetMessagePresenter(IMessagePresenter* pPresenter)
{
    g_pPresenter = pPresenter != nullptr ? pPresenter : &g_standardErrorPresenter;
}

IMessagePresenter* GetMessagePresenter()
{
    return g_pPresenter;
}

MessageAnswer ShowMessage(OwnerHandle owner, const SMessageStyle& style, const SMessage& message)
{
    return PresentText(owner, style, MessageText(message), message.nLine);
}

SMessageStyle MessageStyle(int nStringId)
{
    return nStringId == IDS_UNBALANCED || nStringId == IDS_EMPTY_GROUP_EXIT ? kPlainMessage : kWarningMessage;
}

void ShowResult(OwnerHandle owner, const CResult& result)
{
    for (const SMessage& message : result.Messages())
        ShowMessage(owner, MessageStyle(message.nStringId), message);
}

int StartDebugLog(const std::string& strLogName)
{
    CProcessFlags& flags = ProcessFlags();
    flags.m_bDebug = 1;
    flags.m_strDebugLog = strLogName;
    return WriteLog(strLogName, std::string());
}
