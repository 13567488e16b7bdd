#include "descriptor.h"

#include <algorithm>
#include <climits>

namespace {

// The revision the next change of any descriptor gets.
unsigned long long g_nNextRevision = 1;
// The identity the next descriptor made gets.
unsigned long long g_nNextIdentity = 1;

}  // namespace

CDescriptor::CDescriptor(const CDescriptorTable& table) : m_nIdentity(g_nNextIdentity++), m_pTable(&table)
{
}

void CDescriptor::Touch()
{
    m_nRevision = g_nNextRevision++;
}

void CDescriptor::SetText(const char* text)
{
    m_strText = text;
    m_bFromText = 1;
    Touch();
}

void CDescriptor::SetSample(const char* text)
{
    m_strSample = text;
    m_bFromText = 0;
    Touch();
}

std::string CDescriptor::StatementText() const
{
    static constexpr const char* kWhite = " \t\n\r\v\f";
    const std::size_t nFirst = m_strText.find_first_not_of(kWhite);
    if (nFirst == std::string::npos)
        return std::string();
    const std::size_t nEnd = m_nKind == KIND_HOLLERITH ? m_strText.size() : m_strText.find_last_not_of(kWhite) + 1;
    return m_strText.substr(nFirst, nEnd - nFirst);
}

long long CDescriptor::ShownWidth() const
{
    const long long nSize = static_cast<long long>(m_strSample.size());
    if (nSize == 0)
        return 0;
    // The sample is at most MAX_SAMPLE_LENGTH long, so the product cannot overflow.
    return std::min(nSize * Passes(), MAX_SAMPLE_LENGTH);
}

void CDescriptor::GetRepeatedSample(std::string& out) const
{
    out.clear();
    const std::size_t nShown = static_cast<std::size_t>(ShownWidth());
    out.reserve(nShown);
    // Whole passes, then the part of one that still fits: a huge repeat
    // count shows cut, not a sample of gigabytes.
    while (out.size() + m_strSample.size() <= nShown && !m_strSample.empty())
        out += m_strSample;
    out.append(m_strSample, 0, nShown - out.size());
}

int CDescriptor::SetValue(const char* text)
{
    std::string strOld = m_strValue;
    m_strValue = text;
    Touch();
    if (EvaluateFromText())
        return 1;
    m_strValue = strOld;
    EvaluateFromText();
    return 0;
}

void CDescriptor::RevertToGood()
{
    m_strText = m_strGoodText;
    m_strSample = m_strGoodSample;
    m_nKind = m_nGoodKind;
    m_nRepeat = m_nGoodRepeat;
    // The good text was read when it evaluated: its record stands for it.
    m_parsed = m_goodParsed;
    m_strParsedText = m_strGoodText;
    m_bParsed = true;
    // A failed evaluation inherited the previous descriptor's modes; a mode
    // descriptor taken back must pass its own modes on again.
    m_modes = m_goodModes;
    m_refusal = SMessage();
    Touch();
}

int CDescriptor::GetColumn() const
{
    long long nColumn = 0;
    for (const CDescriptor* p = m_pPrev; p != nullptr && !EndsRecord(p->m_nKind); p = p->m_pPrev) {
        nColumn += p->ColumnWidth();
        if (nColumn >= INT_MAX)
            return INT_MAX;
    }
    return static_cast<int>(nColumn);
}

int CDescriptor::NeedsComma() const
{
    // An empty field is not written, so it takes no comma and needs none.
    if (OpensGroup(m_nKind) || m_nKind == KIND_EMPTY)
        return 0;
    const CDescriptor* pNext = m_pNext;
    while (pNext != nullptr && pNext->m_nKind == KIND_EMPTY)
        pNext = pNext->m_pNext;
    return pNext != nullptr && pNext->m_nKind != KIND_CLOSE;
}

long long CDescriptor::PrintColumn() const
{
    return m_nPassColumn >= 0 ? m_nPassColumn : GetColumn();
}
