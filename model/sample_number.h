// A number typed as a custom sample value, kept as decimal digits (never as
// binary floating point) and laid out as an I, F or E field would print it.
#pragma once

#include <string>

// The parts of a number text: sign, integer digits, point and fraction
// digits, exponent sign and digits.
struct SNumberParts {
    char chSign = '+';
    std::string strInteger;
    bool bPoint = false;
    std::string strFraction;
    char chExpSign = '+';
    std::string strExponent;
};

// How a number text is read. The simplified samples read it loosely: blanks
// between all parts, an upper-case E or D or the exponent's sign alone or
// nothing before the exponent's digits, a part without digits as zero. A
// value the compiler reads (SYNTAX_FORTRAN) has blanks only around it, a
// comma for the point too, E, D or Q in either case or the exponent's sign
// before the exponent's digits, and digits in the number and in an exponent.
enum NumberSyntax { SYNTAX_LOOSE, SYNTAX_FORTRAN };

// The one reader of number texts: splits text into parts; false when it is
// no number in the syntax.
bool ScanNumber(const char* text, NumberSyntax syntax, SNumberParts& parts);

class CSampleNumber {
public:
    CSampleNumber();

    void SetScale(int k) { m_nScale = k; }
    void SetPlus(int plus) { m_bPlus = plus; }
    void SetZero();
    int GetExponent() const;

    // Reads a number such as "-1.5E3", " + 1 . 5 E - 2 " or "1.5+3"; 0 when
    // the text is not a number.
    int Parse(const char* text);

    // Layouts into out; each answers 0 when the number cannot be laid out in
    // w characters (out is then unspecified).
    int FormatInteger(std::string& out, int w, int m) const;
    int FormatFixed(std::string& out, int w, int d) const;
    int FormatExponent(std::string& out, int w, int d, int e) const;

    const std::string& Digits() const { return m_strDigits; }
    char Sign() const { return m_chSign; }

private:
    // Where the digits of a number written with a point go: L significant
    // digits before the point, IZ zeros after them, the point, Z zeros, D
    // significant digits, T zeros.
    struct SPointLayout {
        long long L = 0, IZ = 0, Z = 0, D = 0, T = 0;
        long long Width() const { return L + IZ + 1 + Z + D + T; }
    };

    void Normalize();
    void AppendPointed(std::string& out, long long b, const SPointLayout& layout) const;
    bool ExponentTooLarge() const;
    long long Exponent() const;
    // 1 when a sign is shown (plus mode or a negative number), else 0.
    long long SignWidth() const { return (m_bPlus || m_chSign == '-') ? 1 : 0; }

    int m_nScale = 0;
    int m_bPlus = 0;
    char m_chSign = '+';
    char m_chExpSign = '+';
    std::string m_strDigits;    // significant digits: the number is 0.digits x 10^exponent
    std::string m_strExponent;  // the exponent's magnitude, decimal digits
};
