#include "kept_layout.h"

#include <algorithm>
#include <unordered_map>

#include "statement_text.h"
#include "statement_writer.h"

namespace {

constexpr std::size_t kNone = static_cast<std::size_t>(-1);

// A place in the statement's stretch of lines: the line's index from the
// statement's first line, and the byte in that line.
struct SPlace {
    std::size_t nLine = 0;
    std::size_t nByte = 0;
};

// One change of one line: its bytes [nFrom, nTo) become text. The line may
// be broken after each offset of breaks (each just after a new separator's
// comma).
struct SSplice {
    std::size_t nLine = 0;
    std::size_t nFrom = 0;
    std::size_t nTo = 0;
    std::string text;
    std::vector<std::size_t> breaks;
};

// A line as the splices left it, with the offsets after which it may be
// broken and where its comment starts (its size when it has none).
struct SNewLine {
    std::string text;
    std::vector<std::size_t> breaks;
    std::size_t nComment = 0;
};

class CKeptLayout {
public:
    CKeptLayout(const CDescriptorList& list, const CStatementSite& site)
        : m_list(list), m_site(site), m_bString(site.m_chDelimiter != 'f'), m_bFixed(site.m_bFixedForm != 0)
    {
    }

    bool Build(std::vector<std::vector<std::string>>& groups)
    {
        if (!ReadLines() || !ReadPlaces() || !MapDescriptors())
            return false;
        ChooseSeparator();
        if (!Retype() || !Remove() || !Insert() || !SortSplices())
            return false;
        groups.assign(m_code.size(), {});
        for (std::size_t k = 0; k < m_code.size(); ++k)
            if (!LayOutLine(k, groups[k]))
                return false;
        return true;
    }

private:
    // The descriptor text as it stands in the statement: inside a format
    // string with its quote characters doubled.
    std::string Written(const std::string& text) const
    {
        return m_bString ? QuoteText(text, m_site.m_chDelimiter) : text;
    }

    // The lines of the stretch, a fixed-form line cut where column 72 ends
    // (what stands beyond, a sequence number, is put back as it was).
    bool ReadLines()
    {
        if (m_site.m_bNew || m_site.m_arrOriginalLines.empty())
            return false;
        for (const std::string& raw : m_site.m_arrOriginalLines) {
            const std::size_t nUsed = m_bFixed ? SFixedLine(raw).nUsed : raw.size();
            m_code.push_back(raw.substr(0, nUsed));
            m_sequence.push_back(raw.substr(nUsed));
        }
        m_statementLine.assign(m_code.size(), kNone);
        for (std::size_t i = 0; i < m_site.m_arrLines.size(); ++i) {
            const long long k = static_cast<long long>(m_site.m_arrLines[i]) - m_site.m_nFirstLine;
            if (k < 0 || k >= static_cast<long long>(m_code.size()))
                return false;
            m_statementLine[static_cast<std::size_t>(k)] = i;
        }
        return true;
    }

    bool ToPlace(const SSourcePlace& place, SPlace& out) const
    {
        const long long k = place.nLine - m_site.m_nFirstLine;
        if (k < 0 || k >= static_cast<long long>(m_code.size()) || place.nColumn < 1)
            return false;
        out.nLine = static_cast<std::size_t>(k);
        out.nByte = static_cast<std::size_t>(place.nColumn - 1);
        return out.nByte <= m_code[out.nLine].size();
    }

    // Each descriptor's bytes as the locator found them; a text on one line
    // must stand there as it was read.
    bool ReadPlaces()
    {
        const std::size_t n = m_site.m_arrDescriptorPlaces.size();
        if (n == 0 || m_site.m_arrDescriptorEnds.size() != n || m_site.m_arrDescriptorTexts.size() != n ||
            m_site.m_arrDescriptorIdentities.size() != n)
            return false;
        m_start.resize(n);
        m_end.resize(n);
        for (std::size_t j = 0; j < n; ++j) {
            if (!ToPlace(m_site.m_arrDescriptorPlaces[j], m_start[j]) ||
                !ToPlace(m_site.m_arrDescriptorEnds[j], m_end[j]))
                return false;
            SPlace& start = m_start[j];
            SPlace& end = m_end[j];
            // A text on one line begins and ends where its characters do
            // (the split's span may hold blanks around a parenthesis).
            const std::string written = Written(m_site.m_arrDescriptorTexts[j]);
            const std::string& code = m_code[start.nLine];
            while (start.nByte < code.size() && (code[start.nByte] == ' ' || code[start.nByte] == '\t') &&
                   (written.empty() || written.front() != code[start.nByte]))
                ++start.nByte;
            if (m_code[start.nLine].compare(start.nByte, written.size(), written) == 0)
                end = {start.nLine, start.nByte + written.size()};
            else if (end.nLine == start.nLine)
                return false;
            if (end.nLine < start.nLine || (end.nLine == start.nLine && end.nByte < start.nByte))
                return false;
            if (j > 0 && (start.nLine < m_end[j - 1].nLine ||
                          (start.nLine == m_end[j - 1].nLine && start.nByte < m_end[j - 1].nByte)))
                return false;
        }
        return true;
    }

    // Which descriptor of the list each one read became (by its identity),
    // and the other way round. The ones kept stand in their old order.
    bool MapDescriptors()
    {
        std::unordered_map<unsigned long long, std::size_t> byIdentity;
        for (std::size_t j = 0; j < m_site.m_arrDescriptorIdentities.size(); ++j)
            if (!byIdentity.emplace(m_site.m_arrDescriptorIdentities[j], j).second)
                return false;
        m_original.assign(static_cast<std::size_t>(m_list.size()), kNone);
        m_current.assign(m_start.size(), kNone);
        std::size_t nNext = 0;
        for (int a = 0; a < m_list.size(); ++a) {
            if (m_list.At(a).Kind() == KIND_EMPTY)
                return false;
            const auto it = byIdentity.find(m_list.At(a).Identity());
            if (it == byIdentity.end())
                continue;
            if (it->second < nNext)
                return false;
            nNext = it->second + 1;
            m_original[static_cast<std::size_t>(a)] = it->second;
            m_current[it->second] = static_cast<std::size_t>(a);
        }
        return true;
    }

    // The separator between descriptors j and j + 1 when both stand on one
    // line (empty otherwise).
    std::string SeparatorAfter(std::size_t j) const
    {
        if (j + 1 >= m_start.size() || m_end[j].nLine != m_start[j + 1].nLine)
            return std::string();
        return m_code[m_end[j].nLine].substr(m_end[j].nByte, m_start[j + 1].nByte - m_end[j].nByte);
    }

    // Whether the old text between descriptors j and j + 1 holds a comma.
    bool SeparatedByComma(std::size_t j) const
    {
        for (std::size_t k = m_end[j].nLine; k <= m_start[j + 1].nLine; ++k) {
            const std::size_t nFrom = k == m_end[j].nLine ? m_end[j].nByte : 0;
            const std::size_t nTo = k == m_start[j + 1].nLine ? m_start[j + 1].nByte : m_code[k].size();
            if (m_code[k].substr(nFrom, nTo - nFrom).find(',') != std::string::npos)
                return true;
        }
        return false;
    }

    // The list's own separator: a comma followed by a blank, or a comma
    // alone, whichever the separators on one line use more.
    void ChooseSeparator()
    {
        int nBlank = 0;
        int nBare = 0;
        for (std::size_t j = 0; j + 1 < m_start.size(); ++j) {
            const std::string separator = SeparatorAfter(j);
            const std::size_t nComma = separator.find(',');
            if (nComma != std::string::npos)
                ++(nComma + 1 < separator.size() && separator[nComma + 1] == ' ' ? nBlank : nBare);
        }
        m_strSeparator = nBare > nBlank ? "," : ", ";
    }

    // Appends the list's separator to text, noting the break after its comma.
    void AppendSeparator(std::string& text, std::vector<std::size_t>& breaks) const
    {
        text += ',';
        breaks.push_back(text.size());
        text += m_strSeparator.substr(1);
    }

    // The next run [nFirst, j) of kNone entries of map from j on; false for none.
    static bool NextRun(const std::vector<std::size_t>& map, std::size_t& j, std::size_t& nFirst)
    {
        while (j < map.size() && map[j] != kNone)
            ++j;
        for (nFirst = j; j < map.size() && map[j] == kNone;)
            ++j;
        return nFirst < map.size();
    }

    void Splice(std::size_t nLine, std::size_t nFrom, std::size_t nTo, std::string text = std::string(),
                std::vector<std::size_t> breaks = {})
    {
        m_splices.push_back({nLine, nFrom, nTo, std::move(text), std::move(breaks)});
    }

    // A kept descriptor whose text changed: the new text in the old one's
    // place (a text that ran over lines is not placed so).
    bool Retype()
    {
        for (std::size_t a = 0; a < m_original.size(); ++a) {
            const std::size_t j = m_original[a];
            if (j == kNone)
                continue;
            const std::string now = Written(m_list.At(static_cast<int>(a)).StatementText());
            if (now == Written(m_site.m_arrDescriptorTexts[j]))
                continue;
            if (m_start[j].nLine != m_end[j].nLine || now.find('\n') != std::string::npos)
                return false;
            Splice(m_start[j].nLine, m_start[j].nByte, m_end[j].nByte, now);
        }
        return true;
    }

    // The first comma after byte nFrom of line k, past blanks only.
    std::size_t CommaAfter(std::size_t k, std::size_t nFrom) const
    {
        const std::size_t n = m_code[k].find_first_not_of(' ', nFrom);
        return n != std::string::npos && m_code[k][n] == ',' ? n : kNone;
    }

    // The comma before byte nTo of line k, past blanks only, that begins the
    // line's statement text (a list written comma first: "     4  , I3").
    std::size_t CommaBefore(std::size_t k, std::size_t nTo) const
    {
        const std::size_t n = nTo == 0 ? std::string::npos : m_code[k].find_last_not_of(' ', nTo - 1);
        if (n == std::string::npos || m_code[k][n] != ',')
            return kNone;
        const std::size_t nText = m_bFixed ? SFixedLine(m_code[k]).nTextRaw : FreeContinuationStart(m_code[k]);
        return n >= nText ? n : kNone;
    }

    // Each run of removed descriptors (on one line) goes with one separator:
    // the one after it when the next descriptor stands on the same line,
    // else the one before it when the previous one does; a run alone on its
    // line takes the comma after it (or, ending the list, the comma after the
    // descriptor before it), and its line, then empty, goes too.
    bool Remove()
    {
        const std::size_t n = m_start.size();
        for (std::size_t j = 0, x = 0; NextRun(m_current, j, x);) {
            const std::size_t y = j - 1;
            const std::size_t k = m_start[x].nLine;
            if (m_end[y].nLine != k)
                return false;
            const bool bPrevious = x > 0;
            const bool bNext = j < n;
            // The separator that stays may hold no comma (the run ended or
            // began with a "/"): the kept neighbours, now side by side,
            // get the list's own when they need one.
            const bool bSideBySide = bPrevious && bNext && m_current[x - 1] + 1 == m_current[j] &&
                                     m_list.At(static_cast<int>(m_current[x - 1])).NeedsComma();
            std::string text;
            std::vector<std::size_t> breaks;
            if (bNext && m_start[j].nLine == k) {
                if (bSideBySide && !SeparatedByComma(x - 1))
                    AppendSeparator(text, breaks);
                Splice(k, m_start[x].nByte, m_start[j].nByte, text, breaks);
            } else if (bPrevious && m_end[x - 1].nLine == k) {
                if (bSideBySide && !SeparatedByComma(y))
                    AppendSeparator(text, breaks);
                Splice(k, m_end[x - 1].nByte, m_end[y].nByte, text, breaks);
            } else if (!RemoveAloneOnLine(x, y, bPrevious, bNext)) {
                return false;
            }
        }
        return true;
    }

    // A run of removed descriptors x..y alone on its line takes the comma
    // after it, or the one that begins its line (written comma first), or,
    // ending the list, the comma after the descriptor before it.
    bool RemoveAloneOnLine(std::size_t x, std::size_t y, bool bPrevious, bool bNext)
    {
        const std::size_t k = m_start[x].nLine;
        const std::size_t nAfter = bNext ? CommaAfter(k, m_end[y].nByte) : kNone;
        if (nAfter != kNone) {
            Splice(k, m_start[x].nByte, nAfter + 1);
            return true;
        }
        const std::size_t nBefore = bNext || bPrevious ? CommaBefore(k, m_start[x].nByte) : kNone;
        if (nBefore != kNone) {
            Splice(k, nBefore, m_end[y].nByte);
            return true;
        }
        if (!bPrevious || bNext)
            return false;
        const std::size_t k2 = m_end[x - 1].nLine;
        const std::size_t nComma = CommaAfter(k2, m_end[x - 1].nByte);
        if (nComma == kNone)
            return false;
        Splice(k2, nComma, nComma + 1);
        Splice(k, m_start[x].nByte, m_end[y].nByte);
        return true;
    }

    // Each run of inserted descriptors goes before the kept one that follows
    // it, each with its separator after it; a run that ends the list or a
    // group goes after the kept one before it, each with its separator
    // before it.
    bool Insert()
    {
        const std::size_t nSize = m_original.size();
        for (std::size_t a = 0, p = 0; NextRun(m_original, a, p);) {
            std::string text;
            std::vector<std::size_t> breaks;
            const auto at = [this](std::size_t i) -> const CDescriptor& { return m_list.At(static_cast<int>(i)); };
            const bool bBeforeClose = a < nSize && at(a).Kind() == KIND_CLOSE;
            if (a < nSize && !(bBeforeClose && p > 0)) {
                const std::size_t next = m_original[a];
                // The kept one before, right before the next one in the old
                // list too, may have had no comma there (a "/" between them
                // is gone): it needs one now.
                if (p > 0 && at(p - 1).NeedsComma() && next > 0 && m_original[p - 1] == next - 1 &&
                    !SeparatedByComma(next - 1))
                    AppendSeparator(text, breaks);
                for (std::size_t i = p; i < a; ++i) {
                    text += Written(at(i).StatementText());
                    if (at(i).NeedsComma())
                        AppendSeparator(text, breaks);
                }
                Splice(m_start[next].nLine, m_start[next].nByte, m_start[next].nByte, text, breaks);
            } else if (p > 0) {
                const std::size_t previous = m_original[p - 1];
                for (std::size_t i = p; i < a; ++i) {
                    if (at(i - 1).NeedsComma())
                        AppendSeparator(text, breaks);
                    text += Written(at(i).StatementText());
                }
                Splice(m_end[previous].nLine, m_end[previous].nByte, m_end[previous].nByte, text, breaks);
            } else {
                return false;
            }
            if (text.find('\n') != std::string::npos)
                return false;
        }
        return true;
    }

    // In the order of the lines; two changes of one line must not overlap
    // (an insertion at the place where a removal starts comes first).
    bool SortSplices()
    {
        std::stable_sort(m_splices.begin(), m_splices.end(), [](const SSplice& l, const SSplice& r) {
            if (l.nLine != r.nLine)
                return l.nLine < r.nLine;
            return l.nFrom != r.nFrom ? l.nFrom < r.nFrom : l.nTo < r.nTo;
        });
        for (std::size_t i = 1; i < m_splices.size(); ++i)
            if (m_splices[i].nLine == m_splices[i - 1].nLine && m_splices[i].nFrom < m_splices[i - 1].nTo)
                return false;
        return true;
    }

    // Where the old line k may be broken: after the comma of a separator
    // between two descriptors that stand on it.
    std::vector<std::size_t> OldBreaks(std::size_t k) const
    {
        std::vector<std::size_t> breaks;
        for (std::size_t j = 0; j + 1 < m_start.size(); ++j) {
            if (m_end[j].nLine != k || m_start[j + 1].nLine != k)
                continue;
            const std::size_t nComma = m_code[k].find(',', m_end[j].nByte);
            if (nComma < m_start[j + 1].nByte)
                breaks.push_back(nComma + 1);
        }
        return breaks;
    }

    // Where the comment of line k starts in its code (its size for none);
    // kNone when it cannot be found.
    std::size_t OldComment(std::size_t k) const
    {
        const std::size_t i = m_statementLine[k];
        if (i == kNone || i >= m_site.m_arrLineComments.size() || m_site.m_arrLineComments[i].empty())
            return m_code[k].size();
        return m_code[k].rfind(m_site.m_arrLineComments[i]);
    }

    // Line k with its changes made; false when there were none.
    bool ChangedLine(std::size_t k, SNewLine& line) const
    {
        const std::string& old = m_code[k];
        const std::vector<std::size_t> oldBreaks = OldBreaks(k);
        std::size_t nComment = OldComment(k);
        bool bChanged = false;
        std::size_t nPos = 0;
        // The old text [nPos, nTo) as it stands, with its breaks (a break
        // at nPos followed a comma that a change took).
        const auto copy = [&](std::size_t nTo) {
            for (const std::size_t b : oldBreaks)
                if (b > nPos && b <= nTo)
                    line.breaks.push_back(line.text.size() + b - nPos);
            if (nComment != kNone && nComment >= nPos && nComment < nTo)
                line.nComment = line.text.size() + nComment - nPos;
            line.text.append(old, nPos, nTo - nPos);
        };
        line.nComment = kNone;
        for (const SSplice& splice : m_splices) {
            if (splice.nLine != k)
                continue;
            bChanged = true;
            if (nComment != kNone && splice.nTo > nComment)
                nComment = kNone;  // a change inside the comment: it cannot be placed
            copy(splice.nFrom);
            for (const std::size_t b : splice.breaks)
                line.breaks.push_back(line.text.size() + b);
            line.text += splice.text;
            nPos = splice.nTo;
        }
        copy(old.size());
        if (nComment == old.size())
            line.nComment = line.text.size();
        return bChanged;
    }

    // Whether a line holds statement text outside its continuation marks
    // and its comment.
    bool HoldsText(const std::string& text, std::size_t nComment) const
    {
        const std::string code = text.substr(0, nComment);
        if (m_bFixed) {
            const std::size_t nStart = SFixedLine(code).nTextRaw;
            return nStart < code.size() && code.find_first_not_of(" \t", nStart) != std::string::npos;
        }
        std::size_t nFrom = code.find_first_not_of(" \t");
        if (nFrom != std::string::npos && code[nFrom] == '&')
            ++nFrom;
        std::size_t nTo = LastNonWhite(code);
        if (nTo != std::string::npos && code[nTo] == '&')
            --nTo;
        return nFrom != std::string::npos && nTo != std::string::npos && nTo + 1 > nFrom &&
               code.substr(nFrom, nTo + 1 - nFrom).find_first_not_of(" \t") != std::string::npos;
    }

    // Whether a line stays inside its limit: in fixed form its statement
    // text (up to its comment) within column 72, in free form the whole line.
    bool Fits(const std::string& text, std::size_t nComment) const
    {
        if (!m_bFixed)
            return text.size() <= StatementLineLimit(m_site);
        std::string code = text.substr(0, std::min(nComment, text.size()));
        code.erase(code.find_last_not_of(" \t") + 1);
        return SFixedLine(code).nUsed == code.size();
    }

    // The lines that take the place of line k.
    bool LayOutLine(std::size_t k, std::vector<std::string>& group) const
    {
        SNewLine line;
        if (!ChangedLine(k, line)) {
            group.push_back(m_site.m_arrOriginalLines[k]);
            return true;
        }
        if (line.nComment == kNone)
            return false;
        const bool bComment = line.nComment < line.text.size();
        if (k > 0 && !HoldsText(line.text, line.nComment)) {
            // Nothing but removed fields stood on it: it goes, and its
            // comment stays where it stood, as a comment line.
            if (bComment)
                group.push_back(CommentLine(line));
            return KeepSequence(k, group);
        }
        const SContinuationMarks marks = ContinuationMarks(m_bFixed);
        const std::string strEnd = m_bFixed ? std::string() : std::string(" ") + marks.pszLineEnd;
        const std::string strContinuation = std::string(marks.pszContinuation) + " ";
        while (!Fits(line.text, line.nComment)) {
            // The last break after which the line's first part fits.
            std::size_t nBreak = kNone;
            for (const std::size_t b : line.breaks) {
                const std::string first = line.text.substr(0, b) + strEnd;
                if (b < line.nComment && Fits(first, first.size()))
                    nBreak = b;
            }
            if (nBreak == kNone)
                return false;
            group.push_back(line.text.substr(0, nBreak) + strEnd);
            const std::size_t nRest = std::min(line.text.find_first_not_of(' ', nBreak), line.nComment);
            SNewLine rest;
            rest.text = strContinuation + line.text.substr(nRest);
            for (const std::size_t b : line.breaks)
                if (b > nRest)
                    rest.breaks.push_back(b - nRest + strContinuation.size());
            rest.nComment = line.nComment - nRest + strContinuation.size();
            line = std::move(rest);
        }
        group.push_back(line.text);
        return KeepSequence(k, group);
    }

    // A line's comment alone, in its column: what stood before it blanked
    // (tabs kept, so that the columns stay), the continuation mark too.
    static std::string CommentLine(const SNewLine& line)
    {
        std::string text = line.text;
        for (std::size_t i = 0; i < line.nComment; ++i)
            if (text[i] != '\t')
                text[i] = ' ';
        return text;
    }

    // The sequence number beyond column 72 stays on the line's first part.
    bool KeepSequence(std::size_t k, std::vector<std::string>& group) const
    {
        if (!m_sequence[k].empty() && !group.empty()) {
            std::string& first = group.front();
            const SFixedLine fixed(first);
            if (fixed.nUsed < first.size()) {
                if (first.find_first_not_of(' ', fixed.nUsed) != std::string::npos)
                    return false;
                first.resize(fixed.nUsed);
            }
            first.append(kFixedLineLength - std::min(kFixedLineLength, SFixedLine(first).image.size()), ' ');
            first += m_sequence[k];
        }
        return true;
    }

    const CDescriptorList& m_list;
    const CStatementSite& m_site;
    bool m_bString;
    bool m_bFixed;
    std::vector<std::string> m_code;           // each line of the stretch, to column 72 in fixed form
    std::vector<std::string> m_sequence;       // what stands beyond column 72
    std::vector<std::size_t> m_statementLine;  // each line's index in m_arrLines; kNone for a comment line
    std::vector<SPlace> m_start;               // where each descriptor read begins
    std::vector<SPlace> m_end;                 // and ends
    std::vector<std::size_t> m_original;       // for each of the list: the descriptor read it is, or kNone
    std::vector<std::size_t> m_current;        // for each descriptor read: where it is in the list, or kNone
    std::string m_strSeparator;
    std::vector<SSplice> m_splices;
};

}  // namespace

bool BuildKeptLayout(const CDescriptorList& list, const CStatementSite& site,
                     std::vector<std::vector<std::string>>& groups)
{
    groups.clear();
    CKeptLayout layout(list, site);
    if (layout.Build(groups))
        return true;
    groups.clear();
    return false;
}
