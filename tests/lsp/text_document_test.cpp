// Positions in UTF-16 and UTF-8 and a document changed by ranges, against a
// reference that edits the text as code points.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "text_document.h"

namespace {

// A character's UTF-8 bytes.
std::string Utf8(char32_t c)
{
    std::string s;
    if (c < 0x80) {
        s += static_cast<char>(c);
    } else if (c < 0x800) {
        s += static_cast<char>(0xC0 | (c >> 6));
        s += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        s += static_cast<char>(0xE0 | (c >> 12));
        s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        s += static_cast<char>(0xF0 | (c >> 18));
        s += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (c & 0x3F));
    }
    return s;
}

std::string Utf8(const std::u32string& s)
{
    std::string out;
    for (const char32_t c : s)
        out += Utf8(c);
    return out;
}

long long Units(char32_t c, PositionEncoding encoding)
{
    if (encoding == PositionEncoding::UTF8)
        return static_cast<long long>(Utf8(c).size());
    return c >= 0x10000 ? 2 : 1;
}

// The position of code point i of a text as the protocol counts it.
STextPosition PositionIn(const std::u32string& text, std::size_t i, PositionEncoding encoding)
{
    STextPosition pos;
    for (std::size_t k = 0; k < i; ++k) {
        if (text[k] == U'\n') {
            ++pos.nLine;
            pos.nCharacter = 0;
        } else {
            pos.nCharacter += Units(text[k], encoding);
        }
    }
    return pos;
}

}  // namespace

TEST(TextDocument, ColumnsCountCodeUnitsOfTheAgreedEncoding)
{
    // 'A', e acute (2 bytes), a CJK ideograph (3 bytes), an emoji (4 bytes, a
    // surrogate pair in UTF-16), 'B'
    const std::string line = Utf8(U"A\u00E9\u4E2D\U0001F600B");
    struct SCase {
        PositionEncoding encoding;
        long long nCharacter;
        std::size_t nByte;
    } const cases[] = {
        {PositionEncoding::UTF16, 0, 0}, {PositionEncoding::UTF16, 1, 1},  {PositionEncoding::UTF16, 2, 3},
        {PositionEncoding::UTF16, 3, 6}, {PositionEncoding::UTF16, 5, 10}, {PositionEncoding::UTF16, 6, 11},
        {PositionEncoding::UTF8, 3, 3},  {PositionEncoding::UTF8, 6, 6},   {PositionEncoding::UTF8, 10, 10},
    };
    for (const SCase& c : cases) {
        EXPECT_EQ(ByteOfCharacter(line, c.nCharacter, c.encoding), c.nByte) << c.nCharacter;
        EXPECT_EQ(CharacterOfByte(line, c.nByte, c.encoding), c.nCharacter) << c.nByte;
    }
    // past the end: the line's end; inside a surrogate pair: the character's start
    EXPECT_EQ(ByteOfCharacter(line, 99, PositionEncoding::UTF16), line.size());
    EXPECT_EQ(ByteOfCharacter(line, 4, PositionEncoding::UTF16), 6u);
}

TEST(TextDocument, RandomRangeChangesMatchEditingTheCodePoints)
{
    const std::u32string alphabet = U"ab \n\u00E9\u4E2D\U0001F600(I5)";
    for (const PositionEncoding encoding : {PositionEncoding::UTF16, PositionEncoding::UTF8}) {
        std::mt19937 random(7);
        std::u32string reference = U"      WRITE (6, 100) N\n  100 FORMAT (I5)\n";
        CTextDocument doc("file:///x.f", 1, Utf8(reference));
        for (int step = 0; step < 2000; ++step) {
            std::uniform_int_distribution<std::size_t> at(0, reference.size());
            std::size_t from = at(random), to = at(random);
            if (from > to)
                std::swap(from, to);
            std::u32string inserted;
            for (int n = static_cast<int>(random() % 4); n > 0; --n)
                inserted += alphabet[random() % alphabet.size()];
            ASSERT_TRUE(doc.Change(step, PositionIn(reference, from, encoding), PositionIn(reference, to, encoding),
                                   Utf8(inserted), encoding));
            reference = reference.substr(0, from) + inserted + reference.substr(to);
            ASSERT_EQ(doc.Text(), Utf8(reference)) << step;
        }
        // a reversed or outlying range changes nothing
        const std::string before = doc.Text();
        EXPECT_FALSE(doc.Change(9000, {0, 2}, {0, 1}, "x", encoding));
        EXPECT_FALSE(doc.Change(9000, {0, 0}, {100000, 0}, "x", encoding));
        EXPECT_EQ(doc.Text(), before);
    }
}
