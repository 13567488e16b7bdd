#include "descriptor.h"

#include <climits>

void CDescriptor::SetText(const char* text)
{
    m_strText = text;
    m_bFromText = 1;
    m_bChanged = 1;
}

void CDescriptor::SetSample(const char* text)
{
    m_strSample = text;
    m_bFromText = 0;
    m_bChanged = 1;
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

void CDescriptor::GetRepeatedSample(std::string& out) const
{
    out.clear();
    const int nTimes = Passes();
    out.reserve(m_strSample.size() * static_cast<std::size_t>(nTimes));
    for (int i = 0; i < nTimes; ++i)
        out += m_strSample;
}

int CDescriptor::SetValue(const char* text)
{
    std::string strOld = m_strValue;
    m_strValue = text;
    m_bChanged = 1;
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
    // A failed evaluation inherited the previous descriptor's modes; a mode
    // descriptor taken back must pass its own modes on again.
    m_nScale = m_nGoodScale;
    m_bPlus = m_bGoodPlus;
    m_bChanged = 1;
}

int CDescriptor::GetColumn() const
{
    long long nColumn = 0;
    for (const CDescriptor* p = m_pPrev; p != nullptr && !EndsRecord(p->m_nKind); p = p->m_pPrev) {
        nColumn += static_cast<long long>(p->m_strSample.size()) * p->Passes();
        if (nColumn >= INT_MAX)
            return INT_MAX;
    }
    return static_cast<int>(nColumn);
}

int CDescriptor::NeedsComma() const
{
    return m_nKind != KIND_OPEN && m_pNext != nullptr && m_pNext->m_nKind != KIND_CLOSE;
}

long long CDescriptor::PrintColumn() const
{
    return m_nPassColumn >= 0 ? m_nPassColumn : GetColumn();
}
