#include "statement_site.h"

#include <cctype>

std::string CStatementSite::Label() const
{
    const std::size_t nStart = m_strHead.find_first_not_of(" \t");
    if (nStart == std::string::npos)
        return std::string();
    std::size_t nEnd = nStart;
    while (nEnd < m_strHead.size() && std::isdigit(static_cast<unsigned char>(m_strHead[nEnd])))
        ++nEnd;
    const bool bWord = nEnd > nStart &&
                       (nEnd == m_strHead.size() || std::isspace(static_cast<unsigned char>(m_strHead[nEnd])));
    return bWord ? m_strHead.substr(nStart, nEnd - nStart) : std::string();
}
