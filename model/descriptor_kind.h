// The kinds of edit descriptor, and what each kind is: its family, whether
// it sets a mode for the descriptors after it, whether it ends a record or
// opens a group. Code asks these questions of the traits, never of the
// kinds' numeric values.
#pragma once

enum DescriptorKind : int {
    KIND_NONE,       // no valid descriptor (left by a failed evaluation)
    KIND_STRING,     // 'text' or "text"
    KIND_HOLLERITH,  // nHtext
    KIND_T,          // Tn
    KIND_TL,         // TLn
    KIND_TR,         // TRn
    KIND_NX,         // nX
    KIND_X,          // X
    KIND_A,          // A
    KIND_AW,         // Aw
    KIND_I,          // I
    KIND_IW,         // Iw
    KIND_IWM,        // Iw.m
    KIND_F,          // F
    KIND_FWD,        // Fw.d
    KIND_D,          // D
    KIND_DWD,        // Dw.d
    KIND_E,          // E
    KIND_EWD,        // Ew.d
    KIND_EWDE,       // Ew.dEe
    KIND_G,          // G
    KIND_GWD,        // Gw.d
    KIND_GWDE,       // Gw.dEe
    KIND_EN,         // EN
    KIND_ENWD,       // ENw.d
    KIND_ENWDE,      // ENw.dEe
    KIND_ES,         // ES
    KIND_ESWD,       // ESw.d
    KIND_ESWDE,      // ESw.dEe
    KIND_L,          // L
    KIND_LW,         // Lw
    KIND_B,          // B
    KIND_BW,         // Bw
    KIND_BWM,        // Bw.m
    KIND_O,          // O
    KIND_OW,         // Ow
    KIND_OWM,        // Ow.m
    KIND_Z,          // Z
    KIND_ZW,         // Zw
    KIND_ZWM,        // Zw.m
    KIND_OPEN,       // ( or n(
    KIND_CLOSE,      // )
    KIND_SS,         // SS
    KIND_SP,         // SP
    KIND_S,          // S
    KIND_P,          // kP, the scale factor
    KIND_BN,         // BN
    KIND_BZ,         // BZ
    KIND_Q,          // Q
    KIND_NSLASH,     // n/
    KIND_SLASH,      // /
    KIND_BACKSLASH,  // \ and $
    KIND_COLON,      // :
    // Forms of later Fortran revisions; only the default table has most of
    // them (double-quoted constants are KIND_STRING in both tables).
    KIND_OPEN_ANY,  // *( : a group repeated as long as data remain
    KIND_ROUND,     // RU, RD, RZ, RN, RC, RP: rounding modes
    KIND_DC,        // DC: decimal comma from here on
    KIND_DP,        // DP: decimal point from here on
    KIND_EX,        // EX
    KIND_EXWD,      // EXw.d
    KIND_EXWDE,     // EXw.dEe
    KIND_DT,        // DT, DT'text', DT'text'(v-list): user-defined
    KIND_GW,        // Gw: only G0, the general form in minimal width
    // Not in any table: the empty field the window shows for the empty list
    // "()", from which the user starts. It prints nothing and is not written.
    KIND_EMPTY,
    KIND_COUNT,
};

// The family a kind belongs to: the descriptors a renderer or a deriver
// treats alike.
enum DescriptorFamily : int {
    FAMILY_NONE,
    FAMILY_STRING,        // 'text'
    FAMILY_HOLLERITH,     // nHtext
    FAMILY_TAB,           // Tn
    FAMILY_TAB_LEFT,      // TLn
    FAMILY_TAB_RIGHT,     // TRn
    FAMILY_SKIP,          // nX, X
    FAMILY_CHARACTER,     // A, Aw
    FAMILY_LOGICAL,       // L, Lw
    FAMILY_INTEGER,       // I, Iw, Iw.m
    FAMILY_BINARY,        // B, Bw, Bw.m
    FAMILY_OCTAL,         // O, Ow, Ow.m
    FAMILY_HEX,           // Z, Zw, Zw.m
    FAMILY_FIXED,         // F, Fw.d
    FAMILY_DOUBLE,        // D, Dw.d
    FAMILY_EXPONENT,      // E, Ew.d, Ew.dEe
    FAMILY_ENGINEERING,   // EN ...
    FAMILY_SCIENTIFIC,    // ES ...
    FAMILY_GENERAL,       // G, Gw.d, Gw.dEe, G0
    FAMILY_HEX_REAL,      // EX ...
    FAMILY_GROUP_OPEN,    // ( n( *(
    FAMILY_GROUP_CLOSE,   // )
    FAMILY_SIGN_MODE,     // SS SP S
    FAMILY_SCALE,         // kP
    FAMILY_ROUND_MODE,    // RU RD RZ RN RC RP
    FAMILY_DECIMAL_MODE,  // DC DP
    FAMILY_CONTROL,       // BN BZ Q : and the record ends
    FAMILY_USER,          // DT
    FAMILY_EMPTY,         // the empty field
};

// Which numbers a form is written with: a width w, digits d (or a minimum
// m), an exponent width e.
enum FormParts : unsigned char {
    PARTS_NONE = 0,
    PARTS_W = 1,
    PARTS_D = 2,
    PARTS_E = 4,
};

struct SKindTraits {
    DescriptorFamily family;
    bool bSetsMode;                     // the descriptors after it inherit what it sets
    bool bEndsRecord;                   // n/, / and \ end the current output record
    bool bOpensGroup;                   // ( and *(
    bool bLaterStandard;                // a form of Fortran 90 and later
    unsigned char nParts = PARTS_NONE;  // the numbers it is written with
    // Written alone, it stands for the form with these numbers: E, EN and ES
    // for w.dEe, F, D and G for w.d, I, L, A, B, O and Z for w.
    unsigned char nDefaultParts = PARTS_NONE;
};

const SKindTraits& KindTraits(int kind);

inline DescriptorFamily FamilyOf(int kind)
{
    return KindTraits(kind).family;
}
inline bool IsModeKind(int kind)
{
    return KindTraits(kind).bSetsMode;
}
inline bool OpensGroup(int kind)
{
    return KindTraits(kind).bOpensGroup;
}
inline bool EndsRecord(int kind)
{
    return KindTraits(kind).bEndsRecord;
}

// Whether the form is written with digits (Iw.m, Fw.d ...), and whether it
// has an exponent width, written (Ew.dEe) or by default (E alone).
inline bool IsWrittenWithDigits(int kind)
{
    return (KindTraits(kind).nParts & PARTS_D) != 0;
}
inline bool IsWrittenWithExponent(int kind)
{
    return (KindTraits(kind).nParts & PARTS_E) != 0;
}
inline bool HasExponentWidth(int kind)
{
    return ((KindTraits(kind).nParts | KindTraits(kind).nDefaultParts) & PARTS_E) != 0;
}
// Whether the kind is a form written alone (E, F, I ...) that stands for
// the form with its default numbers.
inline bool IsWrittenAlone(int kind)
{
    return KindTraits(kind).nParts == PARTS_NONE && KindTraits(kind).nDefaultParts != PARTS_NONE;
}

// The numbers of a form: the width w, the digits d (or the minimum m) and
// the exponent width e.
struct SFormWidths {
    long long w = 0, d = 0, e = 0;
};
// The numbers a form written alone stands for: I as I7, F as F15.7, E as
// E15.7E2, L as L2, A as A10, B and Z as B8 and Z8, O as O7.
SFormWidths DefaultWidths(int kind);
// The numbers of a form of the kind written with w, d and e: those it is
// written with (the others 0), or, written alone, those it stands for.
SFormWidths FormWidths(int kind, long long w, long long d, long long e);

// Whether a kind is valid (not KIND_NONE, not out of range).
inline bool IsKind(int kind)
{
    return kind > KIND_NONE && kind < KIND_COUNT;
}

// The real kinds, whose samples show a decimal point (a comma after DC).
bool IsRealFamily(DescriptorFamily family);
// The families that take an item of the output list: character, logical,
// the integer and bit families and the real ones.
bool IsDataFamily(DescriptorFamily family);
// The base of the bit families' digits: 2, 8 or 16 (B, O, Z).
int RadixOf(DescriptorFamily family);
