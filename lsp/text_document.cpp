#include "text_document.h"

#include <algorithm>

namespace {

// The length in bytes of the UTF-8 sequence a lead byte starts (1 for a
// byte that starts none, so that any bytes are walked through).
std::size_t SequenceLength(unsigned char c)
{
    if (c >= 0xF0 && c < 0xF8)
        return 4;
    if (c >= 0xE0)
        return c < 0xF0 ? 3 : 1;
    if (c >= 0xC0)
        return 2;
    return 1;
}

// The code units of one character in the encoding.
long long UnitsOf(std::size_t nBytes, PositionEncoding encoding)
{
    if (encoding == PositionEncoding::UTF8)
        return static_cast<long long>(nBytes);
    return nBytes == 4 ? 2 : 1;  // a surrogate pair for a character beyond the BMP
}

}  // namespace

std::size_t ByteOfCharacter(const std::string& line, long long nCharacter, PositionEncoding encoding)
{
    std::size_t i = 0;
    for (long long n = 0; i < line.size();) {
        const std::size_t nBytes = std::min(SequenceLength(static_cast<unsigned char>(line[i])), line.size() - i);
        n += UnitsOf(nBytes, encoding);
        if (n > nCharacter)
            break;
        i += nBytes;
    }
    return i;
}

long long CharacterOfByte(const std::string& line, std::size_t nByte, PositionEncoding encoding)
{
    long long n = 0;
    for (std::size_t i = 0; i < line.size() && i < nByte;) {
        const std::size_t nBytes = std::min(SequenceLength(static_cast<unsigned char>(line[i])), line.size() - i);
        n += UnitsOf(nBytes, encoding);
        i += nBytes;
    }
    return n;
}

std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines(1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\n' && text[i] != '\r') {
            lines.back() += text[i];
            continue;
        }
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        lines.emplace_back();
    }
    return lines;
}

CTextDocument::CTextDocument(std::string strUri, long long nVersion, const std::string& text)
    : m_strUri(std::move(strUri)), m_nVersion(nVersion), m_arrLines(SplitLines(text))
{
}

std::string CTextDocument::Text() const
{
    std::string text;
    for (std::size_t i = 0; i < m_arrLines.size(); ++i)
        text += (i ? "\n" : "") + m_arrLines[i];
    return text;
}

void CTextDocument::Replace(long long nVersion, const std::string& text)
{
    m_nVersion = nVersion;
    m_arrLines = SplitLines(text);
}

bool CTextDocument::Change(long long nVersion, STextPosition from, STextPosition to, const std::string& text,
                           PositionEncoding encoding)
{
    const auto nLines = static_cast<long long>(m_arrLines.size());
    if (from.nLine < 0 || to.nLine < from.nLine || to.nLine >= nLines || from.nCharacter < 0 ||
        (to.nLine == from.nLine && to.nCharacter < from.nCharacter))
        return false;
    const std::string& first = m_arrLines[static_cast<std::size_t>(from.nLine)];
    const std::string& last = m_arrLines[static_cast<std::size_t>(to.nLine)];
    const std::string joined = first.substr(0, ByteOfCharacter(first, from.nCharacter, encoding)) + text +
                               last.substr(ByteOfCharacter(last, to.nCharacter, encoding));
    std::vector<std::string> pieces = SplitLines(joined);
    const auto at = m_arrLines.begin() + from.nLine;
    m_arrLines.erase(at, m_arrLines.begin() + to.nLine + 1);
    m_arrLines.insert(m_arrLines.begin() + from.nLine, std::make_move_iterator(pieces.begin()),
                      std::make_move_iterator(pieces.end()));
    m_nVersion = nVersion;
    return true;
}
