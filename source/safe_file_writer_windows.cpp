// The safe file writer's system calls on Windows.
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "safe_file_platform.h"
#include "safe_file_writer.h"
#include "windows_api.h"

namespace fs = std::filesystem;

namespace safe_file {

// The file a name finally stands for: links followed as far as they lead.
bool ResolveLinks(const std::string& target, std::string& out)
{
    std::error_code ec;
    fs::path path(target);
    for (int nHops = 0; nHops < 40 && fs::is_symlink(path, ec); ++nHops) {
        fs::path link = fs::read_symlink(path, ec);
        if (ec)
            return false;
        path = link.is_absolute() ? link : path.parent_path() / link;
    }
    out = path.string();
    return true;
}

// Windows has no files without a name.
int MakeUnnamed(const std::string&)
{
    errno = ENOTSUP;
    return -1;
}

int MakeTemporary(std::string& strTemplate)
{
    if (_mktemp_s(strTemplate.data(), strTemplate.size() + 1) != 0)
        return -1;
    return _open(strTemplate.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
}
bool WriteAll(int fd, const char* p, std::size_t n)
{
    while (n > 0) {
        const int nDone = _write(fd, p, static_cast<unsigned>(std::min<std::size_t>(n, 1u << 30)));
        if (nDone <= 0)
            return false;
        p += nDone;
        n -= static_cast<std::size_t>(nDone);
    }
    return true;
}
bool SyncFile(int fd)
{
    return _commit(fd) == 0;
}
bool CloseFile(int fd)
{
    return _close(fd) == 0;
}
void RemoveFile(const std::string& path)
{
    std::remove(path.c_str());
}
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

}  // namespace safe_file

using namespace safe_file;

bool ReadFileIdentity(const std::string& path, SFileIdentity& out)
{
    out = SFileIdentity{};
    struct _stat64 st {};
    if (_stat64(path.c_str(), &st) != 0)
        return false;
    out.bKnown = true;
    out.nDevice = static_cast<unsigned long long>(st.st_dev);
    out.nInode = static_cast<unsigned long long>(st.st_ino);
    out.nSize = static_cast<long long>(st.st_size);
    out.nModifiedNs = static_cast<long long>(st.st_mtime) * 1000000000LL;
    return true;
}

CommitResult CSafeFileWriter::Commit(const SFileIdentity* pExpected)
{
    m_written = SFileIdentity{};
    if (m_fd < 0)
        return COMMIT_FAILED;
    const bool bOk = Flush() && SyncFile(m_fd);
    if (bOk)
        KeepMode(m_fd, m_strTarget, m_strTemporary);
    const bool bClosed = CloseFile(m_fd);
    m_fd = -1;
    if (!bOk || !bClosed) {
        Abandon();
        return COMMIT_FAILED;
    }
    if (pExpected != nullptr && pExpected->bKnown) {
        SFileIdentity now;
        if (!ReadFileIdentity(m_strTarget, now) || !(now == *pExpected)) {
            Abandon();
            return COMMIT_CHANGED;
        }
    }
    // Once in the target's place, the temporary name is no longer the copy's.
    ForgetTemporary();
    if (!ReplaceFile(m_strTemporary, m_strTarget)) {
        Abandon();
        return COMMIT_FAILED;
    }
    m_strTemporary.clear();
    ReadFileIdentity(m_strTarget, m_written);
    return COMMIT_WRITTEN;
}

// Saves here take no lock.
bool IsLockHeldByAnother(const std::string&)
{
    return false;
}

// Here a file is only ever replaced whole, never overwritten in place: no
// journal is ever left to put back.
RecoveryResult RecoverInterruptedSave(const std::string&, std::string& strJournal)
{
    strJournal.clear();
    return RECOVERY_NONE;
}
