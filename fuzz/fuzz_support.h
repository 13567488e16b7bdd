// Shared by the fuzz targets: the failure report, the reading of an edit
// script out of the input, and the edits themselves, made the way both front
// ends make them.
//
// An input names its own separator: its first byte. The fields after it are
// split at every further occurrence of that byte. An edit is one field:
//
//   i<n>:<text>   New Field: insert <text> before field n (modulo size + 1)
//   r<n>          Remove Field
//   t<n>:<text>   type <text> into field n's descriptor text
//   s<n>:<text>   type <text> into field n's sample
//   l             leave the field being typed in
//   v<n>:<text>   Change Value (an empty text restores the default sample)
//   R<n>          take field n back to its last good state, as OK does
//   e<n>          evaluate field n again from its text
//   c<n>          clear field n's changed mark
//   b             build the list anew from its texts and values
//   x             recognise only the standard forms (for the whole run)
//
// Field numbers are taken modulo the number of fields, so that every number
// names a field.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "descriptor_list.h"
#include "field_commands.h"
#include "field_layout.h"

namespace fuzz {

// Run before the process ends on a failed check (a fuzz target removes its
// temporary files there).
inline std::function<void()>& FailureCleanup()
{
    static std::function<void()> cleanup;
    return cleanup;
}

// What the run is about (the input as the target read it), shown with a
// failed check.
inline std::string& FailureContext()
{
    static std::string context;
    return context;
}

[[noreturn]] inline void Fail(const char* pszCheck, const char* pszFile, int nLine, const std::string& detail)
{
    std::fprintf(stderr, "\n==== fuzz check failed: %s\n     at %s:%d\n%s\n%s\n", pszCheck, pszFile, nLine,
                 FailureContext().c_str(), detail.c_str());
    std::fflush(stderr);
    if (FailureCleanup())
        FailureCleanup()();
    std::abort();
}

// Shows a string with every byte that is not printable ASCII escaped, so
// that a report says exactly which bytes were involved.
inline std::string Escaped(std::string_view s)
{
    static const char kHex[] = "0123456789abcdef";
    std::string out = "\"";
    for (char ch : s) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (c == '\\' || c == '"') {
            out += '\\';
            out += ch;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c < 0x20 || c >= 0x7f) {
            out += "\\x";
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else {
            out += ch;
        }
    }
    return out + "\"";
}

}  // namespace fuzz

#define FUZZ_CHECK(cond, detail)                                                                                       \
    do {                                                                                                               \
        if (!(cond))                                                                                                   \
            ::fuzz::Fail(#cond, __FILE__, __LINE__, (detail));                                                         \
    } while (0)

namespace fuzz {

// The fields of an input after its first byte, split at that byte.
inline std::vector<std::string> SplitFields(std::string_view data)
{
    std::vector<std::string> fields;
    if (data.empty())
        return fields;
    const char sep = data[0];
    std::size_t nFrom = 1;
    for (;;) {
        const std::size_t n = data.find(sep, nFrom);
        fields.emplace_back(data.substr(nFrom, n == std::string_view::npos ? std::string_view::npos : n - nFrom));
        if (n == std::string_view::npos)
            return fields;
        nFrom = n + 1;
    }
}

struct SEditOp {
    char code = 0;
    long long nNumber = 0;  // the field number as written (reduced when applied)
    std::string strText;    // what follows the colon
};

// Reads one edit field; false when it names no edit (it is then ignored).
inline bool ParseOp(const std::string& field, SEditOp& op)
{
    if (field.empty())
        return false;
    op = SEditOp();
    op.code = field[0];
    std::size_t i = 1;
    // At most nine digits: a number that overflows names no other field.
    for (int nDigits = 0; i < field.size() && field[i] >= '0' && field[i] <= '9' && nDigits < 9; ++i, ++nDigits)
        op.nNumber = op.nNumber * 10 + (field[i] - '0');
    while (i < field.size() && field[i] >= '0' && field[i] <= '9')
        ++i;
    if (i < field.size() && field[i] == ':')
        op.strText = field.substr(i + 1);
    static const std::string_view kCodes = "irtslvRecbx";
    return kCodes.find(op.code) != std::string_view::npos;
}

// The edit script in fields[1] on, at most nMax edits. An "x" field
// chooses the strict table, once, before the list is read: pTable receives
// the table the script reads its list with.
inline std::vector<SEditOp> ReadScript(const std::vector<std::string>& fields, std::size_t nMax,
                                       const CDescriptorTable** pTable)
{
    std::vector<SEditOp> ops;
    bool bStrict = false;
    for (std::size_t i = 1; i < fields.size() && ops.size() < nMax; ++i) {
        SEditOp op;
        if (!ParseOp(fields[i], op))
            continue;
        if (op.code == 'x')
            bStrict = true;
        else
            ops.push_back(op);
    }
    *pTable = bStrict ? &StrictDescriptorTable() : &DefaultDescriptorTable();
    return ops;
}

// Everything a field shows and inherits, for comparing two states.
struct SFieldState {
    std::string strText, strSample, strValue;
    int nKind, nRepeat, nScale, nPlus;
    bool operator==(const SFieldState&) const = default;
};

inline std::vector<SFieldState> Snapshot(const CDescriptorList& list)
{
    std::vector<SFieldState> state;
    state.reserve(static_cast<std::size_t>(list.size()));
    for (int i = 0; i < list.size(); ++i) {
        const CDescriptor& d = list.At(i);
        state.push_back({d.Text(), d.Sample(), d.Value(), d.Kind(), d.Repeat(), d.Scale(), d.Plus()});
    }
    return state;
}

inline std::string Describe(const std::vector<SFieldState>& state)
{
    std::string s;
    for (std::size_t i = 0; i < state.size(); ++i) {
        const SFieldState& f = state[i];
        s += "  [" + std::to_string(i) + "] text " + Escaped(f.strText) + " sample " + Escaped(f.strSample) +
             " value " + Escaped(f.strValue) + " kind " + std::to_string(f.nKind) + " repeat " +
             std::to_string(f.nRepeat) + " scale " + std::to_string(f.nScale) + " plus " + std::to_string(f.nPlus) +
             "\n";
    }
    return s;
}

inline std::string DescribeList(const CDescriptorList& list)
{
    return Describe(Snapshot(list));
}

// The difference between two states, for a report.
inline std::string Compare(const std::vector<SFieldState>& before, const std::vector<SFieldState>& after)
{
    return "before:\n" + Describe(before) + "after:\n" + Describe(after);
}

// Edits a list as the window and quillmark-text do: typing goes into one
// field and row at a time, and that field is left (LeaveField) before any
// other command or before typing goes on elsewhere. OK takes the field being
// typed in back to its last good state without leaving it first.
class CFieldSession {
public:
    explicit CFieldSession(CDescriptorList& list) : m_list(list) {}

    CDescriptorList& List() { return m_list; }
    bool Typing() const { return m_bTyping; }
    int Current() const { return m_nCurrent; }
    FieldRow Row() const { return m_row; }

    // Leaves the field being typed in, if any. Returns LeaveField's result.
    int Leave()
    {
        if (!m_bTyping)
            return 0;
        m_bTyping = false;
        if (m_nCurrent < 0 || m_nCurrent >= m_list.size())
            return 0;
        return LeaveField(m_list, m_nCurrent, m_row);
    }

    void Type(int index, FieldRow row, const char* text, int& nResult)
    {
        if (m_bTyping && (index != m_nCurrent || row != m_row))
            Leave();
        m_nCurrent = index;
        m_row = row;
        m_bTyping = true;
        nResult = TypeIntoField(m_list, index, row, text);
    }

    // OK's first step on a field: taken back to its last good state; the
    // editor is closed, so nothing is being typed any more.
    void Revert(int index)
    {
        if (m_bTyping && index != m_nCurrent)
            Leave();
        m_bTyping = false;
        m_nCurrent = index;
        m_list.RevertToGood(index);
    }

    // After a command the field it names (or the neighbour that takes the
    // place of a removed one) is current.
    void SetCurrent(int index) { m_nCurrent = index; }

private:
    CDescriptorList& m_list;
    int m_nCurrent = 0;
    FieldRow m_row = ROW_TEXT;
    bool m_bTyping = false;
};

// An index reduced into 0 .. nCount - 1 (nCount > 0).
inline int Reduce(long long n, int nCount)
{
    return static_cast<int>(n % nCount);
}

}  // namespace fuzz
