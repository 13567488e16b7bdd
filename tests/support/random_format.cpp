#include "random_format.h"

#include <algorithm>
#include <iterator>

namespace {

struct SEdit {
    const char* pszText;
    const char* pszKind;
    bool bOutputOnly;  // a zero width: gfortran refuses it on input
};

const SEdit kDataEdits[] = {
    {"I5", "edit I", false},
    {"I5.3", "edit I", false},
    {"2I4", "edit I", false},
    {"I0", "edit I0", true},
    {"B8", "edit B", false},
    {"B0", "edit B0", true},
    {"O6", "edit O", false},
    {"O0", "edit O0", true},
    {"Z9", "edit Z", false},
    {"Z0", "edit Z0", true},
    {"F8.2", "edit F", false},
    {"F0.2", "edit F0", true},
    {"E12.4", "edit E", false},
    {"E12.4E2", "edit E", false},
    {"EN12.3", "edit EN", false},
    {"ES11.3", "edit ES", false},
    {"D12.4", "edit D", false},
    {"G12.4", "edit G", false},
    {"G12.4E3", "edit G", false},
    {"G0", "edit G0", true},
    {"L3", "edit L", false},
    {"L", "edit L without width", false},
    {"A", "edit A without width", false},
    {"A6", "edit A", false},
};

std::string ControlEdit(std::mt19937& random, const SFormatStyle& style, std::set<std::string>& kinds)
{
    const std::string constant = std::string(1, style.chQuote) + "|" + style.chQuote;
    const std::string edits[] = {"1X", constant, "/", ":", "T30"};
    const std::size_t nEdit = random() % (style.bTabs ? 5 : 4);
    kinds.insert(nEdit == 1 ? "constant" : edits[nEdit]);
    return edits[nEdit];
}

std::string DataEdit(std::mt19937& random, const SFormatStyle& style, std::set<std::string>& kinds)
{
    for (;;) {
        const SEdit& edit = kDataEdits[random() % std::size(kDataEdits)];
        if (style.bInput && edit.bOutputOnly)
            continue;
        kinds.insert(edit.pszKind);
        return edit.pszText;
    }
}

// One to four fields: data edits, control edits, and groups (a group's
// fields may hold a group, no deeper).
std::string Fields(std::mt19937& random, const SFormatStyle& style, int nDepth, std::set<std::string>& kinds)
{
    std::string s;
    const int nFields = 1 + static_cast<int>(random() % 4);
    for (int i = 0; i < nFields; ++i) {
        s += s.empty() ? "" : ", ";
        const unsigned nPick = random() % 10;
        if (nPick < 6) {
            s += DataEdit(random, style, kinds);
        } else if (nPick < 8 || nDepth > 1 || (nDepth == 1 && random() % 3 != 0)) {
            s += ControlEdit(random, style, kinds);
        } else {
            kinds.insert(nDepth == 0 ? "group" : "nested group");
            s += std::to_string(1 + random() % 3) + "(" + Fields(random, style, nDepth + 1, kinds) + ")";
        }
    }
    return s;
}

}  // namespace

std::string RandomFormat(std::mt19937& random, const SFormatStyle& style, std::set<std::string>* pKinds)
{
    std::set<std::string> kinds;
    std::string s = Fields(random, style, 0, kinds);
    if (style.nUnlimited > 0 && random() % static_cast<unsigned>(style.nUnlimited) == 0) {
        s += ", *(" + DataEdit(random, style, kinds) + ")";
        kinds.insert("*(");
    }
    if (pKinds != nullptr)
        pKinds->insert(kinds.begin(), kinds.end());
    return s;
}

std::vector<std::string> FormatKinds(bool bInput)
{
    std::vector<std::string> kinds = {"constant", "1X", "/", ":", "group", "nested group", "*("};
    for (const SEdit& edit : kDataEdits)
        if (!(bInput && edit.bOutputOnly) && std::find(kinds.begin(), kinds.end(), edit.pszKind) == kinds.end())
            kinds.push_back(edit.pszKind);
    return kinds;
}

void CKindTally::Add(const std::set<std::string>& kinds)
{
    for (const std::string& kind : kinds)
        ++m_counts[kind];
}

std::vector<std::string> CKindTally::Missing(const std::vector<std::string>& required) const
{
    std::vector<std::string> missing;
    for (const std::string& kind : required)
        if (Count(kind) == 0)
            missing.push_back(kind);
    return missing;
}

std::string CKindTally::Table() const
{
    std::string s;
    for (const auto& [kind, nCount] : m_counts)
        s += "  " + kind + ": " + std::to_string(nCount) + "\n";
    return s;
}

int CKindTally::Count(const std::string& kind) const
{
    const auto it = m_counts.find(kind);
    return it == m_counts.end() ? 0 : it->second;
}
