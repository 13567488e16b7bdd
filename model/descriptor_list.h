// The statement being edited: its descriptors in statement order, linked to
// their neighbours. Where the statement stands in its file is the source
// layer's business (statement_site.h).
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "descriptor.h"
#include "result.h"

// Where a split found each part of the list text: every descriptor's text,
// every comment between them, and the list's closing parenthesis.
struct SSplitLayout {
    struct SSpan {
        std::size_t nOffset = 0;
        std::size_t nLength = 0;
        std::size_t End() const { return nOffset + nLength; }
    };
    std::vector<SSpan> descriptors;  // in list order, one for each descriptor appended
    std::vector<SSpan> comments;     // each "!" comment, up to its line end
    std::size_t nClose = 0;          // the list's closing parenthesis
};

// What the user gave one field: its text, its value of its own and whether it
// is the empty field. Everything else a field shows (its sample, the modes in
// force) follows from these and the fields before it by evaluation.
struct SFieldContent {
    std::string strText;
    std::string strValue;
    bool bEmptyField = false;
    bool operator==(const SFieldContent&) const = default;
};

class CDescriptorList {
public:
    // A list read with the given descriptor table (the strict one for -fps4).
    explicit CDescriptorList(const CDescriptorTable& table = DefaultDescriptorTable()) : m_pTable(&table) {}
    ~CDescriptorList() = default;
    CDescriptorList(const CDescriptorList&) = delete;
    CDescriptorList& operator=(const CDescriptorList&) = delete;

    // Replaces the whole list by the descriptors of a descriptor-list text
    // such as "(I5, 2X, F7.3)\n"; pLayout, when given, receives where each
    // part stood. On failure: "FORMAT parse failed in column N", N counted
    // from the text's first character (the message's column too); the
    // descriptors appended before the failure stay.
    CResult Split(std::string_view text, SSplitLayout* pLayout = nullptr);

    int InsertDescriptor(int index, const char* text);
    // Inserts the empty field: a field without text that prints nothing and
    // that the writer leaves out, so that an empty list "()" can be shown as
    // one field to start from. Always succeeds.
    void InsertEmptyField(int index);
    int RemoveDescriptor(int index);
    // RemoveDescriptor, handing the descriptor over whole (its identity with
    // it) instead of destroying it; PutDescriptor links such a descriptor in
    // again at index and evaluates every descriptor again.
    std::unique_ptr<CDescriptor> TakeDescriptor(int index);
    void PutDescriptor(int index, std::unique_ptr<CDescriptor> pDescriptor);
    // The content of field index; SetContent gives the field a content again
    // and evaluates every descriptor again from its text.
    SFieldContent Content(int index) const;
    void SetContent(int index, const SFieldContent& content);
    // Evaluates every descriptor again from its text, in one pass.
    void EvaluateAll();
    int GetText(int index, std::string& out) const;
    int SetText(int index, const char* text);
    int GetSample(int index, std::string& out) const;
    int GetRepeatedSample(int index, std::string& out) const;
    int SetSample(int index, const char* text);
    int GetTextLength(int index) const;
    int GetSampleLength(int index) const;
    int GetValue(int index, std::string& out) const;
    int SetValue(int index, const char* text);
    int IsBalanced() const;
    // The descriptor's revision (CDescriptor::Revision): a view that keeps
    // the revision it last showed knows whether the field changed since.
    unsigned long long Revision(int index) const { return At(index).Revision(); }
    void RevertToGood(int index);
    int EvaluateFromText(int index);
    int size() const { return static_cast<int>(m_arrDescriptors.size()); }

    // Removes every descriptor.
    void Clear() { m_arrDescriptors.clear(); }

    // Chooses the compiler-exact samples (what gfortran prints for each
    // descriptor's value) or the simplified ones, the default, and evaluates
    // every descriptor again from its text.
    void SetExact(bool bExact);
    bool Exact() const { return m_bExact; }

    // Read access to one descriptor, for the view and the tests.
    const CDescriptor& At(int index) const { return *m_arrDescriptors[static_cast<std::size_t>(index)]; }

    // The table the list reads its descriptors with; a new table empties
    // the list.
    const CDescriptorTable& Table() const { return *m_pTable; }
    void SetTable(const CDescriptorTable& table)
    {
        Clear();
        m_pTable = &table;
    }

private:
    friend struct SDescriptorTestAccess;  // the tests' reference evaluation
    friend class CListSplitter;
    CDescriptor& Item(int index) { return *m_arrDescriptors[static_cast<std::size_t>(index)]; }
    // Evaluates the field at index after its text or sample changed; the
    // list is invalid while it does not evaluate.
    int EvaluateChanged(int index);
    // Puts a descriptor at index, linked to its neighbours; returns it.
    CDescriptor* LinkIn(int index, std::unique_ptr<CDescriptor> pNew);
    void Unlink(int index);

    std::vector<std::unique_ptr<CDescriptor>> m_arrDescriptors;
    const CDescriptorTable* m_pTable;
    bool m_bExact = false;

public:
    // 1 when the last evaluation made through InsertDescriptor, SetText or
    // SetSample failed; cleared by RevertToGood.
    int m_bInvalid = 0;
};
