// The safe file writer's steps on Windows.
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <utility>

#include "safe_file_platform.h"
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
bool CloseFile(int fd)
{
    return _close(fd) == 0;
}
void RemoveFile(const std::string& path)
{
    std::remove(path.c_str());
}

// Saves here take no lock; a file is only ever replaced whole, never
// overwritten in place: no journal is ever left to put back.
LockResult LockFile(const std::string&, int& fdLock)
{
    fdLock = -1;
    return LOCK_NONE;
}
RecoveryResult RecoverLocked(const std::string&, std::string& strJournal)
{
    strJournal.clear();
    return RECOVERY_NONE;
}

// The copy keeps the target's read-only bit; synced and closed.
bool FinishCopy(STemporary& temp, const std::string& strTarget, SFinished&)
{
    if (_commit(temp.fd) != 0)
        return false;
    struct _stat st {};
    if (_stat(strTarget.c_str(), &st) == 0)
        _chmod(temp.path.c_str(), st.st_mode & (_S_IREAD | _S_IWRITE));
    return CloseFile(std::exchange(temp.fd, -1));
}

bool LookAtTarget(const std::string& strTarget, STargetNow& now)
{
    now.bExists = ReadFileIdentity(strTarget, now.identity);
    return true;
}

// MoveFileEx tells why it failed in GetLastError, not errno: no errno is
// given.
SOutcome PutInPlace(STemporary& temp, const SPlacing& placing)
{
    // Once in the target's place, the temporary name is no longer the copy's.
    Forget(temp);
    if (MoveFileExA(temp.path.c_str(), placing.strTarget.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) ==
        0)
        return Failed(0);
    temp.path.clear();
    SOutcome outcome{COMMIT_WRITTEN, 0, {}, {}};
    ReadFileIdentity(placing.strTarget, outcome.written);
    return outcome;
}

}  // namespace safe_file

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

// Saves here take no lock.
bool IsLockHeldByAnother(const std::string&)
{
    return false;
}
