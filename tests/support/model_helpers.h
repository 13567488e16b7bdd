// Small helpers shared by the model tests.
#pragma once

#include <string>
#include <vector>

#include "descriptor_list.h"
#include "flags.h"

// Sets the strict-table flag for the life of the object.
class CStrictTable {
public:
    explicit CStrictTable(bool bStrict = true) : m_nOld(ProcessFlags().m_bStrictTable)
    {
        ProcessFlags().m_bStrictTable = bStrict ? 1 : 0;
    }
    ~CStrictTable() { ProcessFlags().m_bStrictTable = m_nOld; }
    CStrictTable(const CStrictTable&) = delete;
    CStrictTable& operator=(const CStrictTable&) = delete;

private:
    int m_nOld;
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

// The sample a single descriptor shows alone, or "??????" when it fails.
inline std::string SampleOf(const std::string& text, const std::string& value = std::string())
{
    CDescriptorList list;
    if (!list.InsertDescriptor(0, text.c_str()))
        return "??????";
    if (!value.empty() && !list.SetValue(0, value.c_str()))
        return "refused";
    return list.At(0).Sample();
}
