#include "item_matching.h"

#include <algorithm>
#include <set>
#include <utility>

#include "descriptor_kind.h"
#include "descriptor_list.h"

namespace {

constexpr std::size_t kEnd = static_cast<std::size_t>(-1);

// A group being gone through: where it opened, the passes still to come
// (-1: as long as items remain), and what its current pass has seen.
struct SGroupPass {
    std::size_t nOpen = 0;
    long long nPassesLeft = 0;
    long long nRecordsAtStart = 0;
    bool bDataSeen = false;
};

// Goes through the format as the run time does: to the next data edit,
// counting the records that "/" begins, through groups and their repeat
// counts, back to the last top-level group when asked to revert.
class CFormatCursor {
public:
    explicit CFormatCursor(const std::vector<SFormatEdit>& format) : m_format(format)
    {
        std::size_t nDepth = 0;
        for (std::size_t i = 0; i < format.size(); ++i) {
            if (OpensGroup(format[i].nKind) && nDepth++ == 0)
                m_nReversion = i;
            else if (format[i].nKind == KIND_CLOSE && nDepth > 0)
                --nDepth;
        }
    }

    // The field of the next data edit; kEnd at the format's end, or at a
    // ":" once bNoItemsLeft.
    std::size_t Next(bool bNoItemsLeft)
    {
        if (m_nRepeatLeft > 0) {
            --m_nRepeatLeft;
            return m_nCurrent;
        }
        while (m_nPos < m_format.size()) {
            const SFormatEdit& edit = m_format[m_nPos];
            if (OpensGroup(edit.nKind))
                Open(edit);
            else if (edit.nKind == KIND_CLOSE)
                Close();
            else if (edit.nKind == KIND_COLON && bNoItemsLeft)
                return kEnd;
            else if (IsDataFamily(FamilyOf(edit.nKind)))
                return TakeData(edit);
            else
                PassControl(edit);
        }
        return kEnd;
    }

    // A new record from the last top-level group (or the format's start).
    void Revert()
    {
        ++m_nRecords;
        m_groups.clear();
        m_nPos = m_nReversion;
        m_nRepeatLeft = 0;
    }

    long long Records() const { return m_nRecords; }
    std::size_t ReversionField() const { return m_nReversion; }
    // The first character constant edit gone past (kEnd: none yet).
    std::size_t Constant() const { return m_nConstant; }

private:
    void Open(const SFormatEdit& edit)
    {
        const long long nPasses = edit.nKind == KIND_OPEN_ANY ? -1 : std::max(1, edit.nRepeat) - 1;
        m_groups.push_back({m_nPos, nPasses, m_nRecords, false});
        ++m_nPos;
    }

    // A group's closing parenthesis: its next pass, or on past it. A pass
    // that met no data edit is the same each time: its records are counted
    // for the passes left at once, and an unlimited one ends.
    void Close()
    {
        ++m_nPos;
        if (m_groups.empty())
            return;
        SGroupPass& group = m_groups.back();
        if (group.nPassesLeft == 0 || !group.bDataSeen) {
            if (!group.bDataSeen && group.nPassesLeft > 0)
                m_nRecords += group.nPassesLeft * (m_nRecords - group.nRecordsAtStart);
            m_groups.pop_back();
            return;
        }
        if (group.nPassesLeft > 0)
            --group.nPassesLeft;
        group.nRecordsAtStart = m_nRecords;
        group.bDataSeen = false;
        m_nPos = group.nOpen + 1;
    }

    std::size_t TakeData(const SFormatEdit& edit)
    {
        for (SGroupPass& group : m_groups)
            group.bDataSeen = true;
        m_nCurrent = m_nPos++;
        m_nRepeatLeft = std::max(1, edit.nRepeat) - 1;
        return m_nCurrent;
    }

    void PassControl(const SFormatEdit& edit)
    {
        if ((edit.nKind == KIND_STRING || edit.nKind == KIND_HOLLERITH) && m_nConstant == kEnd)
            m_nConstant = m_nPos;
        if (edit.nKind == KIND_SLASH)
            ++m_nRecords;
        else if (edit.nKind == KIND_NSLASH)
            m_nRecords += std::max(1, edit.nRepeat);
        ++m_nPos;
    }

    const std::vector<SFormatEdit>& m_format;
    std::size_t m_nPos = 0;
    std::size_t m_nCurrent = 0;
    long long m_nRepeatLeft = 0;
    std::size_t m_nReversion = 0;
    long long m_nRecords = 0;
    std::size_t m_nConstant = kEnd;
    std::vector<SGroupPass> m_groups;
};

class CMatcher {
public:
    CMatcher(const std::vector<SFormatEdit>& format, bool bInput) : m_format(format), m_cursor(format), m_bInput(bInput)
    {
    }

    // One element (both parts of a complex one); false when the format
    // has no data edit to take it, or a READ stops at a constant first.
    bool Take(std::size_t nItem, long long nElement, const SItemType& type)
    {
        ++m_nTransfer;
        const int nParts = type.type == ItemType::COMPLEX ? 2 : 1;
        for (int nPart = 0; nPart < nParts; ++nPart) {
            const std::size_t nField = NextField(nItem);
            if (ReachedConstant(nItem, m_nTransfer))
                return false;
            if (nField == kEnd) {
                Find({MatchFinding::NO_DATA_EDIT, nItem, m_nTransfer, m_format.empty() ? 0 : m_format.size() - 1, {}});
                return false;
            }
            m_match.edits.push_back({nItem, nElement, m_nTransfer, nField, m_cursor.Records(), m_bReverted});
            Judge(nItem, nField, type);
        }
        return true;
    }

    // bStopped: the run time stopped at an item. Otherwise it goes on after
    // the last item to the next data edit or ":" (as far as that even when
    // the count of the items is not known, which may be none), beginning
    // records.
    SItemMatch Finish(bool bComplete, bool bStopped, std::size_t nItems)
    {
        m_match.bComplete = bComplete;
        m_cursor.Next(true);
        if (!bStopped)
            ReachedConstant(nItems, 0);
        m_match.nRecords = bComplete ? m_cursor.Records() + 1 : -1;
        return std::move(m_match);
    }

private:
    void Find(SMatchFinding finding) { m_match.findings.push_back(finding); }

    // A READ that has gone past a character constant edit stops there.
    bool AtConstant() const { return m_bInput && m_cursor.Constant() != kEnd; }

    bool ReachedConstant(std::size_t nItem, long long nTransfer)
    {
        if (!AtConstant())
            return false;
        Find({MatchFinding::READ_CONSTANT, nItem, nTransfer, m_cursor.Constant(), {}});
        return true;
    }

    // The field of the next data edit, past the format's end by reversion
    // (a new record); kEnd when a whole pass meets no data edit.
    std::size_t NextField(std::size_t nItem)
    {
        std::size_t nField = m_cursor.Next(false);
        if (nField == kEnd && m_bDataSinceReversion && !AtConstant()) {
            m_cursor.Revert();
            m_bReverted = true;
            m_bDataSinceReversion = false;
            NoteNewRecord(nItem);
            nField = m_cursor.Next(false);
        }
        m_bDataSinceReversion = m_bDataSinceReversion || nField != kEnd;
        return nField;
    }

    void Judge(std::size_t nItem, std::size_t nField, const SItemType& type)
    {
        const STransfer transfer = JudgeTransfer(m_format[nField].nKind, type, m_bInput);
        if (transfer.verdict == TransferVerdict::FITS || transfer.verdict == TransferVerdict::UNKNOWN ||
            !m_judged.insert({nItem, nField}).second)
            return;
        constexpr std::pair<TransferVerdict, MatchFinding> kFindings[] = {
            {TransferVerdict::REFUSED, MatchFinding::REFUSED},
            {TransferVerdict::CRASHES, MatchFinding::CRASHES},
            {TransferVerdict::ODD, MatchFinding::ODD},
        };
        for (const auto& [verdict, kind] : kFindings)
            if (transfer.verdict == verdict)
                Find({kind, nItem, m_nTransfer, nField, transfer});
    }

    // The first item a reversion puts in a new record opens the note; the
    // later ones widen it.
    void NoteNewRecord(std::size_t nItem)
    {
        for (SMatchFinding& finding : m_match.findings)
            if (finding.kind == MatchFinding::NEW_RECORDS)
                return;
        Find({MatchFinding::NEW_RECORDS, nItem, m_nTransfer, m_cursor.ReversionField(), {}});
    }

    const std::vector<SFormatEdit>& m_format;
    CFormatCursor m_cursor;
    bool m_bInput;
    SItemMatch m_match;
    long long m_nTransfer = 0;
    bool m_bReverted = false;
    bool m_bDataSinceReversion = false;
    std::set<std::pair<std::size_t, std::size_t>> m_judged;  // item and field already judged
};

}  // namespace

std::vector<SFormatEdit> FormatEditsOf(const CDescriptorList& list)
{
    std::vector<SFormatEdit> format;
    format.reserve(static_cast<std::size_t>(list.size()));
    for (int i = 0; i < list.size(); ++i)
        format.push_back({list.At(i).Kind(), list.At(i).Repeat()});
    return format;
}

SItemMatch MatchItems(const std::vector<SFormatEdit>& format, const std::vector<SIoItem>& items, bool bInput,
                      long long nMaxElements)
{
    CMatcher matcher(format, bInput);
    long long nElements = 0;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i].nCount < 0)
            return matcher.Finish(false, false, items.size());
        for (long long e = 0; e < items[i].nCount; ++e) {
            if (++nElements > nMaxElements)
                return matcher.Finish(false, false, items.size());
            if (!matcher.Take(i, e, items[i].type))
                return matcher.Finish(true, true, items.size());
        }
    }
    SItemMatch match = matcher.Finish(true, false, items.size());
    // The last item a reversion put in a later record closes the note.
    for (SMatchFinding& finding : match.findings)
        if (finding.kind == MatchFinding::NEW_RECORDS && !match.edits.empty())
            finding.nLastTransfer = match.edits.back().nTransfer;
    return match;
}
