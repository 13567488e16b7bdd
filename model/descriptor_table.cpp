#include "descriptor_table.h"

#include <climits>

#include "char_class.h"
#include "format_scanner.h"

namespace {

// Whether a row also belongs to the strict table.
enum Strictness { STRICT_NO = 0, STRICT_YES = 1 };

struct STableEntry {
    SDescriptorRow row;
    Strictness strict;
};

constexpr STableEntry kRows[] = {
    {{KIND_STRING, SHAPE_CONSTANT, 0, nullptr}, STRICT_YES},
    {{KIND_HOLLERITH, SHAPE_HOLLERITH, 0, nullptr}, STRICT_YES},
    {{KIND_T, SHAPE_LETTERS_W, 0, "T"}, STRICT_YES},
    {{KIND_TL, SHAPE_LETTERS_W, 0, "TL"}, STRICT_YES},
    {{KIND_TR, SHAPE_LETTERS_W, 0, "TR"}, STRICT_YES},
    {{KIND_NX, SHAPE_COUNT_LETTERS, 0, "X"}, STRICT_YES},
    {{KIND_X, SHAPE_LETTERS, 0, "X"}, STRICT_YES},
    {{KIND_A, SHAPE_LETTERS, 1, "A"}, STRICT_YES},
    {{KIND_AW, SHAPE_LETTERS_W, 1, "A"}, STRICT_YES},
    {{KIND_I, SHAPE_LETTERS, 1, "I"}, STRICT_NO},
    {{KIND_IW, SHAPE_LETTERS_W, 1, "I"}, STRICT_YES},
    {{KIND_IWM, SHAPE_LETTERS_WD, 1, "I"}, STRICT_YES},
    {{KIND_F, SHAPE_LETTERS, 1, "F"}, STRICT_NO},
    {{KIND_FWD, SHAPE_LETTERS_WD, 1, "F"}, STRICT_YES},
    {{KIND_D, SHAPE_LETTERS, 1, "D"}, STRICT_NO},
    {{KIND_DWD, SHAPE_LETTERS_WD, 1, "D"}, STRICT_YES},
    {{KIND_E, SHAPE_LETTERS, 1, "E"}, STRICT_NO},
    {{KIND_EWD, SHAPE_LETTERS_WD, 1, "E"}, STRICT_YES},
    {{KIND_EWDE, SHAPE_LETTERS_WDE, 1, "E"}, STRICT_YES},
    {{KIND_G, SHAPE_LETTERS, 1, "G"}, STRICT_NO},
    {{KIND_GWD, SHAPE_LETTERS_WD, 1, "G"}, STRICT_YES},
    {{KIND_GWDE, SHAPE_LETTERS_WDE, 1, "G"}, STRICT_YES},
    {{KIND_EN, SHAPE_LETTERS, 1, "EN"}, STRICT_NO},
    {{KIND_ENWD, SHAPE_LETTERS_WD, 1, "EN"}, STRICT_YES},
    {{KIND_ENWDE, SHAPE_LETTERS_WDE, 1, "EN"}, STRICT_YES},
    {{KIND_ES, SHAPE_LETTERS, 1, "ES"}, STRICT_NO},
    {{KIND_ESWD, SHAPE_LETTERS_WD, 1, "ES"}, STRICT_YES},
    {{KIND_ESWDE, SHAPE_LETTERS_WDE, 1, "ES"}, STRICT_YES},
    {{KIND_L, SHAPE_LETTERS, 1, "L"}, STRICT_NO},
    {{KIND_LW, SHAPE_LETTERS_W, 1, "L"}, STRICT_YES},
    {{KIND_B, SHAPE_LETTERS, 1, "B"}, STRICT_YES},
    {{KIND_BW, SHAPE_LETTERS_W, 1, "B"}, STRICT_YES},
    {{KIND_BWM, SHAPE_LETTERS_WD, 1, "B"}, STRICT_YES},
    {{KIND_O, SHAPE_LETTERS, 1, "O"}, STRICT_YES},
    {{KIND_OW, SHAPE_LETTERS_W, 1, "O"}, STRICT_YES},
    {{KIND_OWM, SHAPE_LETTERS_WD, 1, "O"}, STRICT_YES},
    {{KIND_Z, SHAPE_LETTERS, 1, "Z"}, STRICT_YES},
    {{KIND_ZW, SHAPE_LETTERS_W, 1, "Z"}, STRICT_YES},
    {{KIND_ZWM, SHAPE_LETTERS_WD, 1, "Z"}, STRICT_YES},
    {{KIND_OPEN, SHAPE_MARK, 1, "("}, STRICT_YES},
    {{KIND_CLOSE, SHAPE_MARK, 0, ")"}, STRICT_YES},
    {{KIND_SS, SHAPE_LETTERS, 0, "SS"}, STRICT_YES},
    {{KIND_SP, SHAPE_LETTERS, 0, "SP"}, STRICT_YES},
    {{KIND_S, SHAPE_LETTERS, 0, "S"}, STRICT_YES},
    {{KIND_P, SHAPE_COUNT_LETTERS, 0, "P"}, STRICT_YES},
    {{KIND_P, SHAPE_SIGNED_LETTERS, 0, "P"}, STRICT_YES},
    {{KIND_BN, SHAPE_LETTERS, 0, "BN"}, STRICT_YES},
    {{KIND_BZ, SHAPE_LETTERS, 0, "BZ"}, STRICT_YES},
    {{KIND_Q, SHAPE_LETTERS, 0, "Q"}, STRICT_YES},
    {{KIND_NSLASH, SHAPE_COUNT_MARK, 0, "/"}, STRICT_YES},
    {{KIND_SLASH, SHAPE_MARK, 0, "/"}, STRICT_YES},
    {{KIND_BACKSLASH, SHAPE_MARK, 0, "\\"}, STRICT_YES},
    {{KIND_BACKSLASH, SHAPE_MARK, 0, "$"}, STRICT_NO},
    {{KIND_COLON, SHAPE_MARK, 0, ":"}, STRICT_YES},
    // Fortran 90 to 2018: unlimited groups, rounding and decimal modes,
    // the hexadecimal-significand form and user-defined output.
    {{KIND_OPEN_ANY, SHAPE_MARK, 0, "*("}, STRICT_NO},
    {{KIND_ROUND, SHAPE_LETTERS, 0, "RU"}, STRICT_NO},
    {{KIND_ROUND, SHAPE_LETTERS, 0, "RD"}, STRICT_NO},
    {{KIND_ROUND, SHAPE_LETTERS, 0, "RZ"}, STRICT_NO},
    {{KIND_ROUND, SHAPE_LETTERS, 0, "RN"}, STRICT_NO},
    {{KIND_ROUND, SHAPE_LETTERS, 0, "RC"}, STRICT_NO},
    {{KIND_ROUND, SHAPE_LETTERS, 0, "RP"}, STRICT_NO},
    {{KIND_DC, SHAPE_LETTERS, 0, "DC"}, STRICT_NO},
    {{KIND_DP, SHAPE_LETTERS, 0, "DP"}, STRICT_NO},
    {{KIND_EX, SHAPE_LETTERS, 1, "EX"}, STRICT_NO},
    {{KIND_EXWD, SHAPE_LETTERS_WD, 1, "EX"}, STRICT_NO},
    {{KIND_EXWDE, SHAPE_LETTERS_WDE, 1, "EX"}, STRICT_NO},
    {{KIND_DT, SHAPE_LETTERS, 1, "DT"}, STRICT_NO},
    {{KIND_DT, SHAPE_LETTERS_CONSTANT, 1, "DT"}, STRICT_NO},
    {{KIND_DT, SHAPE_LETTERS_VALUES, 1, "DT"}, STRICT_NO},
    {{KIND_DT, SHAPE_LETTERS_CONSTANT_VALUES, 1, "DT"}, STRICT_NO},
    {{KIND_GW, SHAPE_LETTERS_W, 1, "G"}, STRICT_NO},
};

template <Strictness which>
constexpr auto BuildRows()
{
    constexpr std::size_t n = [] {
        std::size_t count = 0;
        for (const auto& e : kRows)
            count += (which == STRICT_NO || e.strict == STRICT_YES) ? 1 : 0;
        return count;
    }();
    struct SRows {
        SDescriptorRow rows[n];
    } table{};
    std::size_t i = 0;
    for (const auto& e : kRows)
        if (which == STRICT_NO || e.strict == STRICT_YES)
            table.rows[i++] = e.row;
    return table;
}

// Every row, and the rows that are also in the strict table.
constexpr auto kDefaultRows = BuildRows<STRICT_NO>();
constexpr auto kStrictRows = BuildRows<STRICT_YES>();

constexpr CDescriptorTable kDefaultTable(kDefaultRows.rows, true);
constexpr CDescriptorTable kStrictTable(kStrictRows.rows, false);

// The largest repeat count of the strict table.
constexpr int kMaxStrictRepeat = 99;

}  // namespace

const CDescriptorTable& DefaultDescriptorTable()
{
    return kDefaultTable;
}

const CDescriptorTable& StrictDescriptorTable()
{
    return kStrictTable;
}

long long CDescriptorTable::RepeatCount(const std::string& digits) const
{
    if (!m_bExtended) {
        const int n = CountValue(digits);
        return (n < 1 || n > kMaxStrictRepeat) ? -1 : n;
    }
    const long long n = RepeatCountValue(digits);
    return n < 1 ? -1 : n;
}

long long CDescriptorTable::MaxRepeatCount() const
{
    return m_bExtended ? INT_MAX : kMaxStrictRepeat;
}

long long RepeatCountValue(const std::string& digits)
{
    long long nValue = 0;
    bool bDigits = false;
    for (char c : digits) {
        if (IsBlank(c))
            continue;  // insignificant between digits: "1 0" is ten
        bDigits = true;
        if (!IsDigit(c))
            return -1;
        nValue = nValue * 10 + (c - '0');
        if (nValue > INT_MAX)
            return -1;
    }
    return bDigits ? nValue : -1;
}
