// Evaluation: keeps a descriptor's text and sample in agreement and passes
// the scale factor and the plus-sign mode on to the descriptors after it.
#include "descriptor.h"

#include "string_table.h"

int CDescriptor::EvaluateFromText()
{
    m_bFromText = 1;
    return Evaluate();
}

int CDescriptor::Evaluate()
{
    // A descriptor that was a mode descriptor before this evaluation has
    // changed the modes of every later one too, even when it is no longer one.
    const bool bWasMode = IsModeKind(m_nGoodKind);
    if (!EvaluateSelf())
        return 0;
    if (m_pNext != nullptr) {
        const long long nColumn = EndsRecord(m_nKind) ? 0 : GetColumn() + ColumnWidth();
        EvaluateOnward(m_pNext, nColumn, bWasMode || IsModeKind(m_nKind), true, false);
    }
    return 1;
}

int CDescriptor::EvaluateSelf(long long column)
{
    Touch();
    m_modes = m_pPrev != nullptr ? m_pPrev->m_modes : SNumberModes();
    m_nPassColumn = column;
    int nResult = m_bFromText ? EvaluateTextToSample() : EvaluateSampleToText();
    m_nPassColumn = -1;
    return nResult;
}

// The record of the current text, read only when the text changed since it
// was read last.
const SParsedDescriptor& CDescriptor::ParsedText()
{
    if (!m_bParsed || m_strParsedText != m_strText) {
        m_parsed = ParseDescriptor(m_strText, *m_pTable);
        m_strParsedText = m_strText;
        m_bParsed = true;
    }
    return m_parsed;
}

int CDescriptor::EvaluateTextToSample()
{
    // The empty field stays empty while its text is blank; a text typed into
    // it makes it that descriptor.
    if (m_nGoodKind == KIND_EMPTY && m_strText.find_first_not_of(" \t\n\r\v\f") == std::string::npos) {
        m_strSample.clear();
        m_nRepeat = 1;
        m_nKind = KIND_EMPTY;
        m_strGoodText = m_strText;
        RecordGood();
        return 1;
    }
    const SParsedDescriptor& parsed = ParsedText();
    // A record that is valid carries no refusal (and an empty one costs no copy).
    m_refusal = parsed.IsValid() ? SMessage() : parsed.refusal;
    if (!parsed.IsValid() || !Render(m_strSample, m_strValue, parsed, &m_refusal)) {
        m_strSample = INVALID_MARKER;
        m_nRepeat = 1;
        m_nKind = KIND_NONE;
        return 0;
    }
    m_nRepeat = static_cast<int>(parsed.nRepeat);
    m_nKind = parsed.nKind;
    m_refusal = SMessage();
    m_strGoodText = m_strText;
    m_goodParsed = parsed;
    RecordGood();
    return 1;
}

int CDescriptor::EvaluateSampleToText()
{
    std::string strText;
    bool bOk = m_goodParsed.IsValid() && Derive(m_strSample, strText, m_goodParsed) != 0;
    m_refusal = bOk ? SMessage() : Message(IDS_WHY_NO_SUCH_SAMPLE, m_strGoodText);
    // The derived text must be a descriptor in its own right (a sample of
    // 1000 characters would derive I1000, wider than any may be).
    SParsedDescriptor derived;
    if (bOk) {
        derived = ParseDescriptor(strText, *m_pTable);
        m_refusal = derived.refusal;
        std::string strProbe;
        CDescriptor probe(*m_pTable);
        bOk = derived.IsValid() && probe.Render(strProbe, std::string(), derived, &m_refusal) != 0;
    }
    if (!bOk) {
        m_strText = INVALID_MARKER;
        return 0;
    }
    m_refusal = SMessage();
    m_nRepeat = static_cast<int>(m_goodParsed.nRepeat);
    m_nKind = m_goodParsed.nKind;
    m_strText = strText;
    m_strGoodText = m_strText;
    m_parsed = derived;
    m_strParsedText = m_strText;
    m_bParsed = true;
    m_goodParsed = derived;
    RecordGood();
    return 1;
}

void CDescriptor::RecordGood()
{
    m_strGoodSample = m_strSample;
    m_nGoodKind = m_nKind;
    m_nGoodRepeat = m_nRepeat;
    m_goodModes = m_modes;
}

long long CDescriptor::ColumnWidth() const
{
    return static_cast<long long>(m_strSample.size()) * Passes();
}

// After a successful evaluation, every later ")" and T descriptor depends on
// what stands before it (the group's contents, the print column), and after a
// mode descriptor every later descriptor depends on the modes; each of those
// is evaluated again from its text, and each such evaluation would in turn
// re-evaluate the ones after it. One forward pass does the same work: each
// descriptor is evaluated at most once, after everything before it is final,
// so the result equals the recursive re-evaluation at linear cost.
//
// bDependents: an evaluation before pFirst succeeded, so ")" and T are due.
// bAll: a mode descriptor before pFirst changed, so every descriptor is due.
// bEveryOne: evaluate the others too, in their own direction.
void CDescriptor::EvaluateOnward(CDescriptor* pFirst, long long nColumn, bool bAll, bool bDependents, bool bEveryOne)
{
    for (CDescriptor* r = pFirst; r != nullptr; r = r->m_pNext) {
        const bool bDue = bAll || (bDependents && (r->m_nKind == KIND_CLOSE || r->m_nKind == KIND_T));
        if (bDue)
            r->m_bFromText = 1;
        if (bDue || bEveryOne) {
            const bool bWasMode = IsModeKind(r->m_nGoodKind);
            if (r->EvaluateSelf(nColumn)) {
                bDependents = true;
                bAll = bAll || bWasMode || IsModeKind(r->m_nKind);
            }
        }
        nColumn = EndsRecord(r->m_nKind) ? 0 : nColumn + r->ColumnWidth();
    }
}
