// Splits a descriptor-list text and applies a script of edits to it through
// the field commands both front ends use, checking after every step what
// must always hold of the list.
//
// Input: its first byte is the separator; the first field is the list text
// (as the locator hands it over, a line end added when it has none), every
// further field one edit (fuzz_support.h).
#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "flags.h"
#include "fuzz_support.h"

namespace {

std::vector<unsigned long long> Revisions(const CDescriptorList& list)
{
    std::vector<unsigned long long> revisions;
    for (int i = 0; i < list.size(); ++i)
        revisions.push_back(list.Revision(i));
    return revisions;
}

using fuzz::Escaped;

// More edits than this add nothing a shorter script cannot reach, and keep
// one run short.
constexpr std::size_t kMaxOps = 128;

// Checking the column of every field walks back over its record, which is
// quadratic in a long record; beyond this many fields a spread of them is
// checked.
constexpr int kAllColumnsUpTo = 256;

// What holds of every list at every moment, typing or not.
void CheckList(const CDescriptorList& list, const std::string& where)
{
    const int n = list.size();
    FUZZ_CHECK(n >= 0, where);

    // Every field is readable through the list's accessors, agrees with its
    // descriptor, and is linked to its neighbours in list order.
    for (int i = 0; i < n; ++i) {
        const CDescriptor& d = list.At(i);
        std::string strText, strSample, strRepeated, strValue;
        list.GetText(i, strText);
        list.GetSample(i, strSample);
        list.GetRepeatedSample(i, strRepeated);
        list.GetValue(i, strValue);
        const auto strField = [&] { return where + " field " + std::to_string(i) + "\n" + fuzz::DescribeList(list); };
        FUZZ_CHECK(strText == d.Text() && strSample == d.Sample() && strValue == d.Value(), strField());
        FUZZ_CHECK(list.GetTextLength(i) == static_cast<int>(strText.size()), strField());
        FUZZ_CHECK(list.GetSampleLength(i) == static_cast<int>(strSample.size()), strField());
        FUZZ_CHECK(d.Prev() == (i > 0 ? &list.At(i - 1) : nullptr), strField());
        FUZZ_CHECK(d.Next() == (i + 1 < n ? &list.At(i + 1) : nullptr), strField());
        // Every pass of the sample, cut where a huge repeat count would
        // make it longer than any sample may be.
        const long long nTimes = std::max(d.Repeat(), 1);
        const long long nWhole = static_cast<long long>(strSample.size()) * nTimes;
        FUZZ_CHECK(static_cast<long long>(strRepeated.size()) == std::min(nWhole, MAX_SAMPLE_LENGTH), strField());
        for (std::size_t k = 0; k < strRepeated.size(); k += strSample.size())
            FUZZ_CHECK(strRepeated.compare(k, strSample.size(), strSample, 0, strRepeated.size() - k) == 0, strField());
    }
    static_cast<void>(list.IsBalanced());

    // The layout both front ends draw from puts every field at the column
    // the model reports for it, and lays out a prefix as the whole list does.
    // A sample shown cut (a huge repeat count) moves the fields after it in
    // its record left of the column they print at.
    const std::vector<SFieldPlace> places = LayOutFields(list);
    FUZZ_CHECK(places.size() == static_cast<std::size_t>(n), where);
    std::vector<bool> cutBefore(static_cast<std::size_t>(n), false);
    for (int i = 1; i < n; ++i) {
        const CDescriptor& p = list.At(i - 1);
        const bool bCut = p.ShownWidth() < static_cast<long long>(p.Sample().size()) * p.Passes();
        cutBefore[static_cast<std::size_t>(i)] = !EndsRecord(p.Kind()) &&
                                                 (bCut || cutBefore[static_cast<std::size_t>(i - 1)]);
    }
    const int nStep = n <= kAllColumnsUpTo ? 1 : std::max(1, n / 64);
    for (int i = 0; i < n; i = (i + nStep < n || i == n - 1) ? i + nStep : n - 1) {
        const long long nLaidOut = std::min<long long>(places[static_cast<std::size_t>(i)].nColumn, INT_MAX);
        const int nColumn = list.At(i).GetColumn();
        FUZZ_CHECK(nLaidOut == nColumn || (cutBefore[static_cast<std::size_t>(i)] && nLaidOut < nColumn),
                   where + ": field " + std::to_string(i) + " laid out at column " + std::to_string(nLaidOut) +
                       ", GetColumn " + std::to_string(nColumn) + "\n" + fuzz::DescribeList(list));
        if (i > 0) {
            const SFieldPlace& a = places[static_cast<std::size_t>(i - 1)];
            const SFieldPlace& b = places[static_cast<std::size_t>(i)];
            FUZZ_CHECK(b.nRecord == a.nRecord || (b.nRecord == a.nRecord + 1 && b.nColumn == 0), where);
        }
    }
    const int nPrefix = n / 2;
    const std::vector<SFieldPlace> prefix = LayOutFields(list, nPrefix);
    FUZZ_CHECK(prefix.size() == static_cast<std::size_t>(nPrefix), where);
    for (int i = 0; i < nPrefix; ++i) {
        const SFieldPlace& a = prefix[static_cast<std::size_t>(i)];
        const SFieldPlace& b = places[static_cast<std::size_t>(i)];
        FUZZ_CHECK(a.nRecord == b.nRecord && a.nColumn == b.nColumn && a.nWidth == b.nWidth, where);
    }
}

// What holds when no field is being typed in: every field shows a valid
// descriptor and its sample.
void CheckSettled(const CDescriptorList& list, const std::string& where)
{
    for (int i = 0; i < list.size(); ++i)
        FUZZ_CHECK(!IsInvalidField(list.At(i)), where + ": field " + std::to_string(i) +
                                                    " is invalid though nothing is typed\n" + fuzz::DescribeList(list));
}

// The list built anew from its texts (each inserted as New Field does) and
// its values (each set as Change Value does) is the same list.
void CheckRebuilt(const CDescriptorList& list, const std::string& where)
{
    CDescriptorList fresh(list.Table());
    for (int i = 0; i < list.size(); ++i)
        FUZZ_CHECK(fresh.InsertDescriptor(i, list.At(i).Text().c_str()),
                   where + ": field " + std::to_string(i) + " does not insert anew\n" + fuzz::DescribeList(list));
    for (int i = 0; i < list.size(); ++i)
        if (!list.At(i).Value().empty())
            FUZZ_CHECK(fresh.SetValue(i, list.At(i).Value().c_str()), where + ": the value of field " +
                                                                          std::to_string(i) + " is refused anew\n" +
                                                                          fuzz::DescribeList(list));
    FUZZ_CHECK(fuzz::Snapshot(fresh) == fuzz::Snapshot(list),
               where + ": rebuilt from its texts and values the list differs\n" +
                   fuzz::Compare(fuzz::Snapshot(list), fuzz::Snapshot(fresh)));
}

void ApplyOp(fuzz::CFieldSession& session, const fuzz::SEditOp& op, const std::string& where)
{
    CDescriptorList& list = session.List();
    const int n = list.size();
    const char* pszText = op.strText.c_str();
    // The typed or inserted text as the list receives it: up to a NUL byte.
    const std::string strGiven(pszText);

    switch (op.code) {
    case 'i': {
        session.Leave();
        const int index = fuzz::Reduce(op.nNumber, n + 1);
        const std::vector<fuzz::SFieldState> before = fuzz::Snapshot(list);
        const int bDone = InsertField(list, index, pszText).Ok() ? 1 : 0;
        FUZZ_CHECK(list.size() == n + (bDone ? 1 : 0), where);
        if (bDone) {
            FUZZ_CHECK(list.At(index).Text() == strGiven, where + "\n" + fuzz::DescribeList(list));
            FUZZ_CHECK(!IsInvalidField(list.At(index)), where + "\n" + fuzz::DescribeList(list));
            session.SetCurrent(index);
        } else {
            FUZZ_CHECK(fuzz::Snapshot(list) == before, where + ": a refused insertion changed the list\n" +
                                                           fuzz::Compare(before, fuzz::Snapshot(list)));
        }
        break;
    }
    case 'r': {
        if (n == 0)
            break;
        session.Leave();
        const int index = fuzz::Reduce(op.nNumber, n);
        const std::vector<fuzz::SFieldState> before = fuzz::Snapshot(list);
        // Refused for the last field, and for a group's only descriptor.
        const bool bOnlyInGroup = index > 0 && index + 1 < n && OpensGroup(list.At(index - 1).Kind()) &&
                                  list.At(index + 1).Kind() == KIND_CLOSE;
        const int bDone = RemoveField(list, index).Ok() ? 1 : 0;
        FUZZ_CHECK(bDone == ((n > 1 && !bOnlyInGroup) ? 1 : 0), where);
        FUZZ_CHECK(list.size() == n - (bDone ? 1 : 0), where);
        if (!bDone)
            FUZZ_CHECK(fuzz::Snapshot(list) == before, where + ": a refused removal changed the list");
        session.SetCurrent(std::min(index, list.size() - 1));
        break;
    }
    case 't':
    case 's': {
        if (n == 0)
            break;
        const int index = fuzz::Reduce(op.nNumber, n);
        const FieldRow row = op.code == 's' ? ROW_SAMPLE : ROW_TEXT;
        int bValid = 0;
        session.Type(index, row, pszText, bValid);
        const CDescriptor& d = list.At(index);
        const auto strField = [&] { return where + "\n" + fuzz::DescribeList(list); };
        FUZZ_CHECK(list.m_bInvalid == (bValid ? 0 : 1), strField());
        FUZZ_CHECK((row == ROW_TEXT ? d.Text() : d.Sample()) == strGiven, strField());
        if (bValid) {
            FUZZ_CHECK(!IsInvalidField(d), strField());
        } else {
            // The row not typed in shows the marker.
            FUZZ_CHECK((row == ROW_TEXT ? d.Sample() : d.Text()) == INVALID_MARKER, strField());
            FUZZ_CHECK(IsInvalidField(d), strField());
        }
        break;
    }
    case 'l': {
        if (!session.Typing())
            break;
        const int bWasInvalid = list.m_bInvalid;
        const int index = session.Current();
        const int bTakenBack = session.Leave();
        FUZZ_CHECK(bTakenBack == bWasInvalid, where);
        FUZZ_CHECK(list.m_bInvalid == 0, where);
        if (bTakenBack)
            FUZZ_CHECK(list.At(index).Text() == list.At(index).GoodText(), where + "\n" + fuzz::DescribeList(list));
        break;
    }
    case 'v': {
        if (n == 0)
            break;
        session.Leave();
        const int index = fuzz::Reduce(op.nNumber, n);
        const std::vector<fuzz::SFieldState> before = fuzz::Snapshot(list);
        if (ChangeFieldValue(list, index, pszText).Ok()) {
            FUZZ_CHECK(list.At(index).Value() == strGiven, where);
        } else {
            // Refused: the old value is kept and the list shows what it did.
            FUZZ_CHECK(fuzz::Snapshot(list) == before,
                       where + ": a refused value changed the list\n" + fuzz::Compare(before, fuzz::Snapshot(list)));
        }
        session.SetCurrent(index);
        break;
    }
    case 'R': {
        if (n == 0)
            break;
        const int index = fuzz::Reduce(op.nNumber, n);
        session.Revert(index);
        const CDescriptor& d = list.At(index);
        const auto strField = [&] { return where + "\n" + fuzz::DescribeList(list); };
        FUZZ_CHECK(d.Text() == d.GoodText() && d.Sample() == d.GoodSample() && d.Kind() == d.GoodKind(), strField());
        FUZZ_CHECK(list.m_bInvalid == 0, strField());
        FUZZ_CHECK(!IsInvalidField(d), strField());
        // What the field was taken back to evaluates from its text, to the
        // same text.
        const bool bFromText = d.IsFromText() != 0;
        const std::vector<fuzz::SFieldState> before = fuzz::Snapshot(list);
        FUZZ_CHECK(list.EvaluateFromText(index) == 1, strField());
        FUZZ_CHECK(d.Text() == before[static_cast<std::size_t>(index)].strText, strField());
        if (bFromText)
            FUZZ_CHECK(fuzz::Snapshot(list) == before, where +
                                                           ": evaluating the reverted field again changed the list\n" +
                                                           fuzz::Compare(before, fuzz::Snapshot(list)));
        break;
    }
    case 'e': {
        if (n == 0)
            break;
        session.Leave();
        const int index = fuzz::Reduce(op.nNumber, n);
        // Nothing is being typed: evaluating any field again changes nothing.
        const std::vector<fuzz::SFieldState> before = fuzz::Snapshot(list);
        FUZZ_CHECK(list.EvaluateFromText(index) == 1, where + "\n" + fuzz::Describe(before));
        FUZZ_CHECK(fuzz::Snapshot(list) == before, where + ": evaluating a settled field again changed the list\n" +
                                                       fuzz::Compare(before, fuzz::Snapshot(list)));
        break;
    }
    case 'c': {
        if (n == 0)
            break;
        // Every descriptor has a revision of its own, which a view keeps to
        // tell whether what it shows of the field is current.
        std::set<unsigned long long> revisions;
        for (int i = 0; i < n; ++i)
            revisions.insert(list.Revision(i));
        FUZZ_CHECK(static_cast<int>(revisions.size()) == n, where + ": two fields share a revision");
        break;
    }
    case 'b':
        session.Leave();
        CheckRebuilt(list, where);
        break;
    default: break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::vector<std::string> fields = fuzz::SplitFields(
        std::string_view(reinterpret_cast<const char*>(data), size));
    if (fields.empty())
        return 0;

    const CDescriptorTable* pTable = nullptr;
    const std::vector<fuzz::SEditOp> ops = fuzz::ReadScript(fields, kMaxOps, &pTable);

    std::string strList = fields[0];
    if (strList.empty() || strList.back() != '\n')
        strList += '\n';
    fuzz::FailureContext() = "list " + Escaped(strList) + ", edits";
    for (const fuzz::SEditOp& op : ops)
        fuzz::FailureContext() += std::string(" '") + op.code + std::to_string(op.nNumber) + ":" + Escaped(op.strText) +
                                  "'";
    CDescriptorList list(*pTable);
    if (!list.Split(strList))
        return 0;  // no statement to edit: the front ends show none
    // Only the empty format "()" splits into no field; a list that has a
    // field keeps one, since the last field cannot be removed.
    const int nFewest = list.size() == 0 ? 0 : 1;
    CheckList(list, "after the split");
    CheckSettled(list, "after the split");

    fuzz::CFieldSession session(list);
    for (std::size_t k = 0; k < ops.size(); ++k) {
        const fuzz::SEditOp& op = ops[k];
        const std::string where = "edit " + std::to_string(k) + " '" + op.code + std::to_string(op.nNumber) + "'";
        const std::vector<fuzz::SFieldState> before = fuzz::Snapshot(list);
        const std::vector<unsigned long long> revisionsBefore = Revisions(list);
        ApplyOp(session, op, where);
        CheckList(list, where);
        // A field that shows anything else than before has a new revision:
        // the window reloads exactly the fields whose revision it has not shown.
        if (list.size() == static_cast<int>(before.size())) {
            const std::vector<fuzz::SFieldState> after = fuzz::Snapshot(list);
            for (std::size_t i = 0; i < after.size(); ++i)
                FUZZ_CHECK(after[i] == before[i] || list.Revision(static_cast<int>(i)) != revisionsBefore[i],
                           where + ": field " + std::to_string(i) + " changed without a new revision\n" +
                               fuzz::Compare(before, after));
        }
        if (!session.Typing())
            CheckSettled(list, where);
        FUZZ_CHECK(list.size() >= nFewest, where);
    }
    session.Leave();
    CheckList(list, "at the end");
    CheckSettled(list, "at the end");
    return 0;
}
