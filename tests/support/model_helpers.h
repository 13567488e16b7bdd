// Small helpers shared by the model tests.
#pragma once

#include <string>
#include <vector>

#include "descriptor_list.h"

// The descriptor table the tests' lists are read with: the default one, or
// the strict one (that -fps4 selects) while a CStrictTable lives.
inline const CDescriptorTable*& TestTablePointer()
{
    static const CDescriptorTable* pTable = &DefaultDescriptorTable();
    return pTable;
}

inline const CDescriptorTable& TestTable()
{
    return *TestTablePointer();
}

// Chooses the strict table (or the default one) for the tests' lists for the
// life of the object.
class CStrictTable {
public:
    explicit CStrictTable(bool bStrict = true) : m_pOld(TestTablePointer())
    {
        TestTablePointer() = bStrict ? &StrictDescriptorTable() : &DefaultDescriptorTable();
    }
    ~CStrictTable() { TestTablePointer() = m_pOld; }
    CStrictTable(const CStrictTable&) = delete;
    CStrictTable& operator=(const CStrictTable&) = delete;

private:
    const CDescriptorTable* m_pOld;
};

// The descriptor texts of a list, in order.
inline std::vector<std::string> Texts(const CDescriptorList& list)
{
    std::vector<std::string> texts;
    for (int i = 0; i < list.size(); ++i)
        texts.push_back(list.At(i).Text());
    return texts;
}

// Appends each text as the splitter does; every one must be accepted.
inline bool Append(CDescriptorList& list, const std::vector<std::string>& texts)
{
    for (const std::string& t : texts)
        if (!list.InsertDescriptor(list.size(), t.c_str()))
            return false;
    return true;
}

// The revision of every descriptor, to tell afterwards which ones changed.
inline std::vector<unsigned long long> Revisions(const CDescriptorList& list)
{
    std::vector<unsigned long long> revisions;
    for (int i = 0; i < list.size(); ++i)
        revisions.push_back(list.Revision(i));
    return revisions;
}

// Whether descriptor i changed since the revisions were taken.
inline int ChangedSince(const CDescriptorList& list, const std::vector<unsigned long long>& revisions, int i)
{
    return list.Revision(i) != revisions.at(static_cast<std::size_t>(i)) ? 1 : 0;
}

// The text of a result's first message; empty for one without.
inline std::string MessageOf(const CResult& result)
{
    return result.Messages().empty() ? std::string() : MessageText(result.Messages().front());
}

// The sample a single descriptor shows alone, or "??????" when it fails.
inline std::string SampleOf(const std::string& text, const std::string& value = std::string())
{
    CDescriptorList list(TestTable());
    if (!list.InsertDescriptor(0, text.c_str()))
        return "??????";
    if (!value.empty() && !list.SetValue(0, value.c_str()))
        return "refused";
    return list.At(0).Sample();
}
