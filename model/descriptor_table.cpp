#include "descriptor_table.h"

#include <climits>
#include <cstring>
#include <string>

#include "char_class.h"
#include "descriptor.h"
#include "flags.h"

namespace {

// Whether a row also belongs to the strict table.
enum Strictness { STRICT_NO = 0, STRICT_YES = 1 };

struct STableEntry {
    SDescriptorRow row;
    Strictness strict;
};

constexpr STableEntry kRows[] = {
    {{KIND_STRING, "Q", 0, nullptr, 0}, STRICT_YES},
    {{KIND_HOLLERITH, "WTT", 0, "H", 1}, STRICT_YES},
    {{KIND_T, "TW", 0, "T", 0}, STRICT_YES},
    {{KIND_TL, "TW", 0, "TL", 0}, STRICT_YES},
    {{KIND_TR, "TW", 0, "TR", 0}, STRICT_YES},
    {{KIND_NX, "WT", 0, "X", 1}, STRICT_YES},
    {{KIND_X, "T", 0, "X", 0}, STRICT_YES},
    {{KIND_A, "T", 1, "A", 0}, STRICT_YES},
    {{KIND_AW, "TW", 1, "A", 0}, STRICT_YES},
    {{KIND_I, "T", 1, "I", 0}, STRICT_NO},
    {{KIND_IW, "TW", 1, "I", 0}, STRICT_YES},
    {{KIND_IWM, "TW.W", 1, "I", 0}, STRICT_YES},
    {{KIND_F, "T", 1, "F", 0}, STRICT_NO},
    {{KIND_FWD, "TW.W", 1, "F", 0}, STRICT_YES},
    {{KIND_D, "T", 1, "D", 0}, STRICT_NO},
    {{KIND_DWD, "TW.W", 1, "D", 0}, STRICT_YES},
    {{KIND_E, "T", 1, "E", 0}, STRICT_NO},
    {{KIND_EWD, "TW.W", 1, "E", 0}, STRICT_YES},
    {{KIND_EWDE, "TW.WTW", 1, "E", 0}, STRICT_YES},
    {{KIND_G, "T", 1, "G", 0}, STRICT_NO},
    {{KIND_GWD, "TW.W", 1, "G", 0}, STRICT_YES},
    {{KIND_GWDE, "TW.WTW", 1, "G", 0}, STRICT_YES},
    {{KIND_EN, "T", 1, "EN", 0}, STRICT_NO},
    {{KIND_ENWD, "TW.W", 1, "EN", 0}, STRICT_YES},
    {{KIND_ENWDE, "TW.WTW", 1, "EN", 0}, STRICT_YES},
    {{KIND_ES, "T", 1, "ES", 0}, STRICT_NO},
    {{KIND_ESWD, "TW.W", 1, "ES", 0}, STRICT_YES},
    {{KIND_ESWDE, "TW.WTW", 1, "ES", 0}, STRICT_YES},
    {{KIND_L, "T", 1, "L", 0}, STRICT_NO},
    {{KIND_LW, "TW", 1, "L", 0}, STRICT_YES},
    {{KIND_B, "T", 1, "B", 0}, STRICT_YES},
    {{KIND_BW, "TW", 1, "B", 0}, STRICT_YES},
    {{KIND_BWM, "TW.W", 1, "B", 0}, STRICT_YES},
    {{KIND_O, "T", 1, "O", 0}, STRICT_YES},
    {{KIND_OW, "TW", 1, "O", 0}, STRICT_YES},
    {{KIND_OWM, "TW.W", 1, "O", 0}, STRICT_YES},
    {{KIND_Z, "T", 1, "Z", 0}, STRICT_YES},
    {{KIND_ZW, "TW", 1, "Z", 0}, STRICT_YES},
    {{KIND_ZWM, "TW.W", 1, "Z", 0}, STRICT_YES},
    {{KIND_OPEN, "P", 1, "(", 0}, STRICT_YES},
    {{KIND_CLOSE, "P", 0, ")", 0}, STRICT_YES},
    {{KIND_SS, "T", 0, "SS", 0}, STRICT_YES},
    {{KIND_SP, "T", 0, "SP", 0}, STRICT_YES},
    {{KIND_S, "T", 0, "S", 0}, STRICT_YES},
    {{KIND_P, "WT", 0, "P", 1}, STRICT_YES},
    {{KIND_P, "ST", 0, "P", 1}, STRICT_YES},
    {{KIND_BN, "T", 0, "BN", 0}, STRICT_YES},
    {{KIND_BZ, "T", 0, "BZ", 0}, STRICT_YES},
    {{KIND_Q, "T", 0, "Q", 0}, STRICT_YES},
    {{KIND_NSLASH, "WP", 0, "/", 1}, STRICT_YES},
    {{KIND_SLASH, "P", 0, "/", 0}, STRICT_YES},
    {{KIND_BACKSLASH, "P", 0, "\\", 0}, STRICT_YES},
    {{KIND_BACKSLASH, "P", 0, "$", 0}, STRICT_NO},
    {{KIND_COLON, "P", 0, ":", 0}, STRICT_YES},
    // Fortran 90 to 2018: unlimited groups, rounding and decimal modes,
    // the hexadecimal-significand form and user-defined output.
    {{KIND_OPEN_ANY, "P", 0, "*(", 0}, STRICT_NO},
    {{KIND_ROUND, "T", 0, "RU", 0}, STRICT_NO},
    {{KIND_ROUND, "T", 0, "RD", 0}, STRICT_NO},
    {{KIND_ROUND, "T", 0, "RZ", 0}, STRICT_NO},
    {{KIND_ROUND, "T", 0, "RN", 0}, STRICT_NO},
    {{KIND_ROUND, "T", 0, "RC", 0}, STRICT_NO},
    {{KIND_ROUND, "T", 0, "RP", 0}, STRICT_NO},
    {{KIND_DC, "T", 0, "DC", 0}, STRICT_NO},
    {{KIND_DP, "T", 0, "DP", 0}, STRICT_NO},
    {{KIND_EX, "T", 1, "EX", 0}, STRICT_NO},
    {{KIND_EXWD, "TW.W", 1, "EX", 0}, STRICT_NO},
    {{KIND_EXWDE, "TW.WTW", 1, "EX", 0}, STRICT_NO},
    {{KIND_DT, "T", 1, "DT", 0}, STRICT_NO},
    {{KIND_DT, "TQ", 1, "DT", 0}, STRICT_NO},
    {{KIND_DT, "TV", 1, "DT", 0}, STRICT_NO},
    {{KIND_DT, "TQV", 1, "DT", 0}, STRICT_NO},
    {{KIND_GW, "TW", 1, "G", 0}, STRICT_NO},
};

template <Strictness which>
constexpr auto BuildTable()
{
    constexpr std::size_t n = [] {
        std::size_t count = 0;
        for (const auto& e : kRows)
            count += (which == STRICT_NO || e.strict == STRICT_YES) ? 1 : 0;
        return count;
    }();
    struct STable {
        SDescriptorRow rows[n];
    } table{};
    std::size_t i = 0;
    for (const auto& e : kRows)
        if (which == STRICT_NO || e.strict == STRICT_YES)
            table.rows[i++] = e.row;
    return table;
}

// Every row, and the rows that are also in the strict table.
constexpr auto kDefaultTable = BuildTable<STRICT_NO>();
constexpr auto kStrictTable = BuildTable<STRICT_YES>();

// Whether the row's letters stand in token `index` (always, for a row without letters).
bool LettersMatch(const SDescriptorRow& row, const CStringArray& tokens, std::size_t index)
{
    if (row.pszLetters == nullptr)
        return true;
    return index < tokens.size() && EqualsNoCase(tokens[index], row.pszLetters);
}

}  // namespace

std::span<const SDescriptorRow> DefaultDescriptorTable()
{
    return kDefaultTable.rows;
}

std::span<const SDescriptorRow> StrictDescriptorTable()
{
    return kStrictTable.rows;
}

std::span<const SDescriptorRow> DescriptorTableInForce()
{
    return ProcessFlags().m_bStrictTable ? StrictDescriptorTable() : DefaultDescriptorTable();
}

bool ExtendedFormsInForce()
{
    return !ProcessFlags().m_bStrictTable;
}

long long RepeatCountValue(const std::string& digits)
{
    long long nValue = 0;
    for (char c : digits) {
        if (!IsDigit(c))
            return -1;
        nValue = nValue * 10 + (c - '0');
        if (nValue > INT_MAX)
            return -1;
    }
    return digits.empty() ? -1 : nValue;
}

int CDescriptor::Classify(const char* classes, const CStringArray& tokens, int& hasRepeat,
                          int& upperCase)
{
    for (const SDescriptorRow& row : DescriptorTableInForce()) {
        std::size_t nCompared = 0;
        int nRepeat = 0;
        if (std::strcmp(classes, row.pszPattern) == 0 && LettersMatch(row, tokens, row.nLettersIndex)) {
            nCompared = static_cast<std::size_t>(row.nLettersIndex);
        } else if (row.bRepeatAllowed && classes[0] == 'W' &&
                   std::strcmp(classes + 1, row.pszPattern) == 0 &&
                   LettersMatch(row, tokens, row.nLettersIndex + 1)) {
            nCompared = static_cast<std::size_t>(row.nLettersIndex) + 1;
            nRepeat = 1;
        } else {
            continue;
        }
        hasRepeat = nRepeat;
        upperCase = row.pszLetters == nullptr ||
                    IsUpper(tokens[nCompared][0]);
        return row.nKind;
    }
    return KIND_NONE;
}

int CountValue(const char* digits)
{
    if (std::strlen(digits) >= 6)
        return INT_MAX;
    // At most five characters: a decimal conversion in the manner of atoi,
    // which cannot overflow here.
    const char* p = digits;
    while (IsBlank(*p))
        ++p;
    int nSign = 1;
    if (*p == '+' || *p == '-')
        nSign = (*p++ == '-') ? -1 : 1;
    int nValue = 0;
    while (IsDigit(*p))
        nValue = nValue * 10 + (*p++ - '0');
    return nSign * nValue;
}

int IsOctalDigit(char c)
{
    return c >= '0' && c <= '7';
}
