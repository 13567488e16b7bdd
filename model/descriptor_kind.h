// The kinds of edit descriptor. The numeric values matter: code tests them by
// range (mode kinds, record ends, group parentheses).
#pragma once

enum DescriptorKind : int {
    KIND_NONE = 0,       // no valid descriptor (left by a failed evaluation)
    KIND_STRING = 1,     // 'text'
    KIND_HOLLERITH = 2,  // nHtext
    KIND_T = 3,          // Tn
    KIND_TL = 4,         // TLn
    KIND_TR = 5,         // TRn
    KIND_NX = 6,         // nX
    KIND_X = 7,          // X
    KIND_A = 8,          // A
    KIND_AW = 9,         // Aw
    KIND_I = 10,         // I
    KIND_IW = 11,        // Iw
    KIND_IWM = 12,       // Iw.m
    KIND_F = 13,         // F
    KIND_FWD = 14,       // Fw.d
    KIND_D = 15,         // D
    KIND_DWD = 16,       // Dw.d
    KIND_E = 17,         // E
    KIND_EWD = 18,       // Ew.d
    KIND_EWDE = 19,      // Ew.dEe
    KIND_G = 20,         // G
    KIND_GWD = 21,       // Gw.d
    KIND_GWDE = 22,      // Gw.dEe
    KIND_EN = 23,        // EN
    KIND_ENWD = 24,      // ENw.d
    KIND_ENWDE = 25,     // ENw.dEe
    KIND_ES = 26,        // ES
    KIND_ESWD = 27,      // ESw.d
    KIND_ESWDE = 28,     // ESw.dEe
    KIND_L = 29,         // L
    KIND_LW = 30,        // Lw
    KIND_B = 31,         // B
    KIND_BW = 32,        // Bw
    KIND_BWM = 33,       // Bw.m
    KIND_O = 34,         // O
    KIND_OW = 35,        // Ow
    KIND_OWM = 36,       // Ow.m
    KIND_Z = 37,         // Z
    KIND_ZW = 38,        // Zw
    KIND_ZWM = 39,       // Zw.m
    KIND_OPEN = 40,      // ( or n(
    KIND_CLOSE = 41,     // )
    KIND_SS = 42,        // SS
    KIND_SP = 43,        // SP
    KIND_S = 44,         // S
    KIND_P = 45,         // kP, the scale factor
    KIND_BN = 46,        // BN
    KIND_BZ = 47,        // BZ
    KIND_Q = 48,         // Q
    KIND_NSLASH = 49,    // n/
    KIND_SLASH = 50,     // /
    KIND_BACKSLASH = 51, // \ and $
    KIND_COLON = 52,     // :
    // Forms of later Fortran revisions; only the default table has most of
    // them (double-quoted constants are KIND_STRING in both tables).
    KIND_OPEN_ANY = 53,  // *( : a group repeated as long as data remain
    KIND_ROUND = 54,     // RU, RD, RZ, RN, RC, RP: rounding modes
    KIND_DC = 55,        // DC: decimal comma from here on
    KIND_DP = 56,        // DP: decimal point from here on
    KIND_EX = 57,        // EX
    KIND_EXWD = 58,      // EXw.d
    KIND_EXWDE = 59,     // EXw.dEe
    KIND_DT = 60,        // DT, DT'text', DT'text'(v-list): user-defined
    KIND_GW = 61,        // Gw: only G0, the general form in minimal width
    // Not in any table: the empty field the window shows for the empty list
    // "()", from which the user starts. It prints nothing and is not written.
    KIND_EMPTY = 62,
};

constexpr int KIND_FIRST = KIND_STRING;
constexpr int KIND_LAST = KIND_GW;

// SS, SP, S and kP, and the rounding and decimal modes, set the modes that
// the descriptors after them inherit.
constexpr bool IsModeKind(int kind)
{
    return (kind >= KIND_SS && kind <= KIND_P) || (kind >= KIND_ROUND && kind <= KIND_DP);
}

// ( and *( open a group; ) closes it.
constexpr bool OpensGroup(int kind) { return kind == KIND_OPEN || kind == KIND_OPEN_ANY; }

// n/, / and \ end the current output record.
constexpr bool EndsRecord(int kind) { return kind >= KIND_NSLASH && kind <= KIND_BACKSLASH; }
