#include "safe_file_writer.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#if defined(_WIN32)
#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kBufferSize = 1 << 16;

// The file a name finally stands for: links followed as far as they lead.
std::string ResolveLinks(const std::string& target)
{
    std::error_code ec;
    fs::path path(target);
    for (int nHops = 0; nHops < 40 && fs::is_symlink(path, ec); ++nHops) {
        fs::path link = fs::read_symlink(path, ec);
        if (ec)
            break;
        path = link.is_absolute() ? link : path.parent_path() / link;
    }
    return path.string();
}

#if defined(_WIN32)

int CreateTemporary(std::string& strTemplate)
{
    if (_mktemp_s(strTemplate.data(), strTemplate.size() + 1) != 0)
        return -1;
    return _open(strTemplate.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
}
long long WriteSome(int fd, const char* p, std::size_t n) { return _write(fd, p, static_cast<unsigned>(n)); }
bool SyncFile(int fd) { return _commit(fd) == 0; }
bool CloseFile(int fd) { return _close(fd) == 0; }
void KeepMode(int, const std::string& strTarget, const std::string& strTemporary)
{
    struct _stat st {};
    if (_stat(strTarget.c_str(), &st) == 0)
        _chmod(strTemporary.c_str(), st.st_mode & (_S_IREAD | _S_IWRITE));
}
bool ReplaceFile(const std::string& strFrom, const std::string& strTo)
{
    return MoveFileExA(strFrom.c_str(), strTo.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}
void SyncDirectory(const std::string&) {}

#else

int CreateTemporary(std::string& strTemplate)
{
    return mkstemp(strTemplate.data());
}
long long WriteSome(int fd, const char* p, std::size_t n) { return ::write(fd, p, n); }
bool SyncFile(int fd) { return fsync(fd) == 0; }
bool CloseFile(int fd) { return ::close(fd) == 0; }

// The replacement keeps the target's permission bits (and owner, where this
// user may set it); a new file gets the bits the umask allows.
void KeepMode(int fd, const std::string& strTarget, const std::string&)
{
    struct stat st {};
    if (stat(strTarget.c_str(), &st) == 0) {
        // Handing a file to another owner needs privileges most users lack:
        // the owner is kept where possible, the permission bits always.
        const int nOwnerKept = fchown(fd, st.st_uid, st.st_gid);
        static_cast<void>(nOwnerKept);
        fchmod(fd, st.st_mode & 07777);
        return;
    }
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
}
bool ReplaceFile(const std::string& strFrom, const std::string& strTo)
{
    return std::rename(strFrom.c_str(), strTo.c_str()) == 0;
}
// Makes the rename itself durable.
void SyncDirectory(const std::string& strDirectory)
{
    const int fd = ::open(strDirectory.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        fsync(fd);
        ::close(fd);
    }
}

#endif

}  // namespace

CSafeFileWriter::~CSafeFileWriter()
{
    Abandon();
}

bool CSafeFileWriter::Begin(const std::string& target)
{
    Abandon();
    m_strTarget = ResolveLinks(target);
    const fs::path targetPath(m_strTarget);
    fs::path directory = targetPath.parent_path();
    if (directory.empty())
        directory = ".";
    std::string strTemplate = (directory / ("." + targetPath.filename().string() + ".XXXXXX")).string();
    m_fd = CreateTemporary(strTemplate);
    if (m_fd < 0) {
        m_strTemporary.clear();
        return false;
    }
    m_strTemporary = strTemplate;
    m_bFailed = false;
    m_nBuffered = 0;
    if (!m_pBuffer)
        m_pBuffer = std::make_unique<char[]>(kBufferSize);
    return true;
}

bool CSafeFileWriter::Flush()
{
    std::size_t nDone = 0;
    while (!m_bFailed && nDone < m_nBuffered) {
        const long long n = WriteSome(m_fd, m_pBuffer.get() + nDone, m_nBuffered - nDone);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            m_bFailed = true;  // disk full, file too large, I/O error
        else
            nDone += static_cast<std::size_t>(n);
    }
    m_nBuffered = 0;
    return !m_bFailed;
}

bool CSafeFileWriter::Write(const char* pData, std::size_t nSize)
{
    if (m_fd < 0 || m_bFailed)
        return false;
    while (nSize > 0) {
        if (m_nBuffered == kBufferSize && !Flush())
            return false;
        const std::size_t n = std::min(nSize, kBufferSize - m_nBuffered);
        std::memcpy(m_pBuffer.get() + m_nBuffered, pData, n);
        m_nBuffered += n;
        pData += n;
        nSize -= n;
    }
    return true;
}

bool CSafeFileWriter::Commit()
{
    if (m_fd < 0)
        return false;
    bool bOk = Flush() && SyncFile(m_fd);
    if (bOk)
        KeepMode(m_fd, m_strTarget, m_strTemporary);
    const bool bClosed = CloseFile(m_fd);
    m_fd = -1;
    if (!bOk || !bClosed || !ReplaceFile(m_strTemporary, m_strTarget)) {
        Abandon();
        return false;
    }
    m_strTemporary.clear();
    const fs::path directory = fs::path(m_strTarget).parent_path();
    SyncDirectory(directory.empty() ? std::string(".") : directory.string());
    return true;
}

void CSafeFileWriter::Abandon()
{
    if (m_fd >= 0) {
        CloseFile(m_fd);
        m_fd = -1;
    }
    if (!m_strTemporary.empty()) {
        std::remove(m_strTemporary.c_str());
        m_strTemporary.clear();
    }
}
