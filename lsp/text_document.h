// An open document as the client holds it: its text, kept in lines, and its
// version, changed whole or by ranges. Positions are a line and a character
// offset in the encoding agreed at initialization: UTF-16 code units, as
// the protocol has them unless the client offers UTF-8.
#pragma once

#include <string>
#include <vector>

enum class PositionEncoding { UTF16, UTF8 };

struct STextPosition {
    long long nLine = 0;       // from 0
    long long nCharacter = 0;  // from 0, in the encoding's units
};

// The byte offset in line of a character offset (past the line's end: the
// line's end; inside a character: that character's start).
std::size_t ByteOfCharacter(const std::string& line, long long nCharacter, PositionEncoding encoding);
// The character offset of a byte offset in line.
long long CharacterOfByte(const std::string& line, std::size_t nByte, PositionEncoding encoding);

class CTextDocument {
public:
    CTextDocument(std::string strUri, long long nVersion, const std::string& text);

    const std::string& Uri() const { return m_strUri; }
    long long Version() const { return m_nVersion; }
    // Its lines without their ends.
    const std::vector<std::string>& Lines() const { return m_arrLines; }
    // Its text, lines joined with "\n".
    std::string Text() const;

    // Replaces the whole text.
    void Replace(long long nVersion, const std::string& text);
    // Replaces the text between two positions; false (and nothing changed)
    // when the range is reversed or beyond the text.
    bool Change(long long nVersion, STextPosition from, STextPosition to, const std::string& text,
                PositionEncoding encoding);

private:
    std::string m_strUri;
    long long m_nVersion;
    std::vector<std::string> m_arrLines;
};

// The lines of a text: split at "\n", "\r\n" and "\r", their ends dropped.
std::vector<std::string> SplitLines(const std::string& text);
