// Reading a source file line by line, whatever the lines' length, and the
// file tests the locator and the writer share.
#pragma once

#include <cstdio>
#include <cstring>
#include <memory>
#include <span>
#include <string>

#include "command_options.h"  // SourceForm

// A file's identity and state as it was read: which file (device and inode)
// and what it held (size, modification time to the nanosecond). A save
// checks them again just before it replaces the file.
struct SFileIdentity {
    bool bKnown = false;
    unsigned long long nDevice = 0;
    unsigned long long nInode = 0;
    long long nSize = 0;
    long long nModifiedNs = 0;  // nanoseconds since the epoch

    bool operator==(const SFileIdentity&) const = default;
};

// 1 for fixed source form. By suffix, free form are .f90, .f95, .f03 and
// .f08 in any case (.F90 too); every other name, one without a suffix
// included, is fixed form.
int IsFixedForm(const std::string& fileName, SourceForm form = SOURCE_FORM_BY_SUFFIX);
// Whether a file's suffix is one compilers read as Fortran (any case).
bool HasFortranSuffix(const std::string& fileName);

// 1 when the path exists and is not writable.
int IsReadOnlyFile(const std::string& path);

// 1 when the path exists and is a regular file (links followed).
int IsRegularFile(const std::string& path);

// A write past the file-size limit (ulimit -f) must fail like a full disk
// and be reported, not end the process halfway through a save: both
// programs call this first.
void IgnoreFileSizeSignal();

// Streams a file's lines through a fixed buffer. A line end is "\n" or
// "\r\n"; the carriage return is never part of a line, and each line's own
// end is kept so that lines can be copied unchanged.
class CLineReader {
public:
    CLineReader() = default;
    CLineReader(const CLineReader&) = delete;
    CLineReader& operator=(const CLineReader&) = delete;

    // Opens an existing file for reading; false when it cannot be opened
    // (Error() tells why).
    bool Open(const std::string& path);

    // Reads the lines of a text held in memory instead of a file.
    void OpenText(std::string text);
    // Reads the lines given as if they stood in a file. A line end is taken
    // to be part of "\r\n", so a line that ends in a carriage return of its
    // own gets a CR LF end to keep it.
    void OpenLines(std::span<const std::string> lines);

    // Lets the file go before its end is read, as a save must before it
    // replaces the file (Windows refuses to replace a file that is open).
    // Failed() then tells nothing more; Error() keeps its reason.
    void Close() { m_pFile.reset(); }

    // Reads the next line into line: 1 when a line end followed it and was
    // consumed, 2 when the end of the file was reached (line then holds what
    // stood before it, possibly nothing).
    int ReadSourceLine(std::string& line);

    // Reads the next line that the file holds: false at its end, where
    // nothing follows the last line end (that is no line).
    bool ReadExistingLine(std::string& line)
    {
        return !m_bEnd && (ReadSourceLine(line) == 1 || !line.empty() || !m_strLineEnd.empty());
    }

    // Whether the file begins with a UTF-8 byte-order mark. It is passed
    // over, as no part of line 1, and stands before line 1's offset.
    bool SkippedByteOrderMark() const { return m_bByteOrderMark; }

    // The line end of the line just read: "\n", "\r\n", or "" at the end.
    const std::string& LineEnd() const { return m_strLineEnd; }

    // Whether the end of the file has been reached.
    bool AtEnd() const { return m_bEnd; }

    // Whether reading failed (an I/O error, not the end of the file).
    bool Failed() const;

    // Why Open or a read failed: an errno value (EISDIR for a folder), 0
    // when there is no reason the system gives (a FIFO or a device).
    int Error() const { return m_nError; }

    // Where the next byte to be read stands in the file.
    long long Offset() const { return m_nBufferStart + static_cast<long long>(m_nPos); }

#if !defined(_WIN32)
    // The open file's descriptor; -1 when a text is read instead.
    int Descriptor() const;
    // Goes on reading at nOffset of the file, as if what stands before it
    // had been read; false (Error() tells why) when it cannot.
    bool SkipTo(long long nOffset);
#endif

    // Passes the next n lines to sink(data, size) exactly as they stand,
    // line ends included, in blocks; returns the number of lines passed
    // (fewer at the end of the file), or -1 when the sink failed.
    template <typename Sink>
    long long CopyLines(long long n, Sink&& sink);

private:
    // Reading starts again at the beginning of the file or text.
    void Restart();
    bool Fill();
    void PassByteOrderMark();

    struct SFileCloser {
        void operator()(std::FILE* p) const { std::fclose(p); }
    };
    std::unique_ptr<std::FILE, SFileCloser> m_pFile;
    std::string m_strText;        // OpenText: the text read instead of a file
    std::size_t m_nTextRead = 0;  // how much of it has gone into the buffer
    std::unique_ptr<char[]> m_pBuffer;
    long long m_nBufferStart = 0;  // where the buffer's first byte stands in the file
    std::size_t m_nPos = 0;
    std::size_t m_nLength = 0;
    bool m_bEnd = false;
    bool m_bAtStart = false;  // nothing has been read since Open
    bool m_bByteOrderMark = false;
    int m_nError = 0;
    std::string m_strLineEnd;
};

template <typename Sink>
long long CLineReader::CopyLines(long long n, Sink&& sink)
{
    long long nCopied = 0;
    bool bPartial = false;  // the bytes passed last did not end their line
    while (nCopied < n) {
        if (m_nPos == m_nLength && !Fill()) {
            m_bEnd = true;
            if (bPartial)
                ++nCopied;  // the last line of a file without a final line end
            break;
        }
        const char* pStart = m_pBuffer.get() + m_nPos;
        const std::size_t nAvail = m_nLength - m_nPos;
        std::size_t nTake = 0;
        // Whole lines out of the buffer while lines are still owed; a line
        // longer than what is buffered goes in parts.
        while (nCopied < n && nTake < nAvail) {
            const void* pEol = std::memchr(pStart + nTake, '\n', nAvail - nTake);
            if (pEol == nullptr) {
                nTake = nAvail;
                bPartial = true;
                break;
            }
            nTake = static_cast<std::size_t>(static_cast<const char*>(pEol) - pStart) + 1;
            bPartial = false;
            ++nCopied;
        }
        if (!sink(pStart, nTake))
            return -1;
        m_nPos += nTake;
    }
    return nCopied;
}
