#include "source_file.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <csignal>

#include "file_messages.h"

#if defined(_WIN32)
#include <io.h>
#define QM_ACCESS _access
#define QM_W_OK 2
#else
#include <unistd.h>
#define QM_ACCESS access
#define QM_W_OK W_OK
#endif

namespace {

constexpr std::size_t kBufferSize = 1 << 16;

}  // namespace

namespace {

// The suffixes compilers read as Fortran, and whether each is free form.
struct SFortranSuffix {
    const char* pszSuffix;
    bool bFreeForm;
};
constexpr SFortranSuffix kFortranSuffixes[] = {
    {".f", false},  {".for", false}, {".ftn", false}, {".f77", false}, {".fpp", false},
    {".f90", true}, {".f95", true},  {".f03", true},  {".f08", true},
};

// A file name's suffix, in lower case ("" for none).
std::string LowerSuffix(const std::string& fileName)
{
    const std::size_t nSlash = fileName.find_last_of("/\\");
    const std::string strName = nSlash == std::string::npos ? fileName : fileName.substr(nSlash + 1);
    const std::size_t nDot = strName.rfind('.');
    std::string strSuffix = nDot == std::string::npos ? std::string() : strName.substr(nDot);
    for (char& c : strSuffix)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return strSuffix;
}

const SFortranSuffix* FortranSuffixOf(const std::string& fileName)
{
    const std::string strSuffix = LowerSuffix(fileName);
    for (const SFortranSuffix& suffix : kFortranSuffixes)
        if (strSuffix == suffix.pszSuffix)
            return &suffix;
    return nullptr;
}

}  // namespace

int IsFixedForm(const std::string& fileName, SourceForm form)
{
    if (form != SOURCE_FORM_BY_SUFFIX)
        return form == SOURCE_FORM_FIXED ? 1 : 0;
    const SFortranSuffix* pSuffix = FortranSuffixOf(fileName);
    return pSuffix != nullptr && pSuffix->bFreeForm ? 0 : 1;
}

bool HasFortranSuffix(const std::string& fileName)
{
    return FortranSuffixOf(fileName) != nullptr;
}

int IsReadOnlyFile(const std::string& path)
{
    struct stat st {};
    if (stat(path.c_str(), &st) != 0)
        return 0;
    // Read-only when no write permission bit is set, even for a user who
    // could write anyway, or when this user may not write it.
    const bool bNoWriteBit = (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
    return (bNoWriteBit || QM_ACCESS(path.c_str(), QM_W_OK) != 0) ? 1 : 0;
}

int IsRegularFile(const std::string& path)
{
    struct stat st {};
    return (stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) ? 1 : 0;
}

void IgnoreFileSizeSignal()
{
#ifdef SIGXFSZ
    std::signal(SIGXFSZ, SIG_IGN);
#endif
}

bool CLineReader::Open(const std::string& path)
{
    m_pFile.reset();
    m_nError = 0;
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) {
        m_nError = errno;
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        m_nError = S_ISDIR(st.st_mode) ? EISDIR : kNotRegularFile;
        return false;
    }
    m_pFile.reset(std::fopen(path.c_str(), "rb"));
    if (!m_pFile) {
        m_nError = errno;
        return false;
    }
    m_strText.clear();
    Restart();
    return true;
}

void CLineReader::OpenLines(std::span<const std::string> lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + (!line.empty() && line.back() == '\r' ? "\r\n" : "\n");
    OpenText(std::move(text));
}

void CLineReader::OpenText(std::string text)
{
    m_pFile.reset();
    m_strText = std::move(text);
    m_nTextRead = 0;
    Restart();
}

void CLineReader::Restart()
{
    m_pBuffer = std::make_unique<char[]>(kBufferSize);
    m_nBufferStart = 0;
    m_nPos = m_nLength = 0;
    m_bEnd = false;
    m_bAtStart = true;
    m_bByteOrderMark = false;
    Fill();  // so that Offset() stands past a byte-order mark from the start
}

bool CLineReader::Fill()
{
    if (!m_pBuffer)
        return false;
    m_nBufferStart += static_cast<long long>(m_nLength);
    if (!m_pFile) {
        m_nPos = 0;
        m_nLength = std::min(kBufferSize, m_strText.size() - m_nTextRead);
        std::memcpy(m_pBuffer.get(), m_strText.data() + m_nTextRead, m_nLength);
        m_nTextRead += m_nLength;
        PassByteOrderMark();
        return m_nLength > 0;
    }
    m_nPos = 0;
    m_nLength = std::fread(m_pBuffer.get(), 1, kBufferSize, m_pFile.get());
    if (m_nLength < kBufferSize && std::ferror(m_pFile.get()) != 0 && m_nError == 0)
        m_nError = errno;
    PassByteOrderMark();
    return m_nLength > 0;
}

// A UTF-8 byte-order mark before line 1 (editors on Windows write one) is
// no part of the line: gfortran passes over it.
void CLineReader::PassByteOrderMark()
{
    constexpr std::string_view kMark = "\xEF\xBB\xBF";
    if (!m_bAtStart)
        return;
    m_bAtStart = false;
    if (m_nLength >= kMark.size() && std::string_view(m_pBuffer.get(), kMark.size()) == kMark) {
        m_nPos = kMark.size();
        m_bByteOrderMark = true;
    }
}

#if !defined(_WIN32)
int CLineReader::Descriptor() const
{
    return m_pFile ? fileno(m_pFile.get()) : -1;
}

bool CLineReader::SkipTo(long long nOffset)
{
    if (!m_pFile || fseeko(m_pFile.get(), static_cast<off_t>(nOffset), SEEK_SET) != 0) {
        m_nError = m_pFile ? errno : EBADF;
        return false;
    }
    m_nBufferStart = nOffset;
    m_nPos = m_nLength = 0;
    m_bEnd = false;
    m_bAtStart = nOffset == 0;
    return true;
}
#endif

bool CLineReader::Failed() const
{
    return m_pFile && std::ferror(m_pFile.get()) != 0;
}

int CLineReader::ReadSourceLine(std::string& line)
{
    line.clear();
    m_strLineEnd.clear();
    for (;;) {
        if (m_nPos == m_nLength && !Fill()) {
            m_bEnd = true;
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();  // a carriage return never belongs to a line's text
                m_strLineEnd = "\r";
            }
            return 2;
        }
        const char* pStart = m_pBuffer.get() + m_nPos;
        const std::size_t nAvail = m_nLength - m_nPos;
        const void* pEol = std::memchr(pStart, '\n', nAvail);
        if (pEol == nullptr) {
            line.append(pStart, nAvail);
            m_nPos = m_nLength;
            continue;
        }
        const std::size_t n = static_cast<std::size_t>(static_cast<const char*>(pEol) - pStart);
        line.append(pStart, n);
        m_nPos += n + 1;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
            m_strLineEnd = "\r\n";
        } else {
            m_strLineEnd = "\n";
        }
        return 1;
    }
}
