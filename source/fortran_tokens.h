// A statement's joined text cut into the tokens of Fortran expressions:
// names (letters, digits, "_"), numbers (with their fraction, exponent and
// kind), character constants, logical and other dotted operators, and
// punctuation. Used for what a statement says beyond its format: I/O lists
// and declarations.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

enum class FortranToken {
    NAME,       // lower case in strText
    INTEGER,    // 12, 12_8
    REAL,       // 1.5, 1.E3, 2.5d0, .5, 1.5_dp
    CHARACTER,  // 'it''s' or "x": strText is the value
    LOGICAL,    // .true. .false. (with a kind)
    OPERATOR,   // ** // == /= <= >= => .and. .eq. ... and one-character ones: + - * / < > =
    OPEN,       // (
    CLOSE,      // )
    COMMA,
    COLON,
    PERCENT,
    OTHER,  // anything else, one character
};

struct SFortranToken {
    FortranToken kind = FortranToken::OTHER;
    std::string strText;
    std::size_t nOffset = 0;  // in the text
    std::size_t nEnd = 0;
};

// The rest of a character constant that text starts inside (its opening
// quote chQuote stood before text): its value, a doubled quote read as one,
// where each character of the value stands in text, whether its closing
// quote stands in text and where the constant ends (after that quote; the
// text's end when it does not close).
struct SCharacterRest {
    std::string strValue;
    std::vector<std::size_t> offsets;
    bool bClosed = false;
    std::size_t nEnd = 0;
};

SCharacterRest ReadCharacterRest(std::string_view text, char chQuote);

// The tokens of text, blanks left out (in fixed form blanks inside a name
// or number are already gone where the caller joined the text so; here a
// blank ends a token). A "!" outside a constant ends the text.
std::vector<SFortranToken> FortranTokens(std::string_view text);
