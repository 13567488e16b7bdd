// The safe file writer's system calls on Linux, macOS and the other POSIX
// systems, through ISystemCalls so that the tests can make each one fail.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <system_error>
#include <thread>
#include <vector>

#if defined(__linux__)
#include <linux/falloc.h>
#include <sys/xattr.h>
#endif

#include "interrupted_save.h"
#include "safe_file_platform.h"
#include "safe_file_writer.h"

namespace fs = std::filesystem;

namespace safe_file {

class CPosixSystemCalls final : public ISystemCalls {
public:
    int Mkstemp(char* pszTemplate) override { return ::mkstemp(pszTemplate); }
    int OpenUnnamed(const char* pszDirectory) override
    {
#if defined(O_TMPFILE)
        return ::open(pszDirectory, O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
#else
        static_cast<void>(pszDirectory);
        errno = ENOTSUP;
        return -1;
#endif
    }
    int LinkUnnamed(int fd, const char* pszTo) override
    {
#if defined(__linux__)
        // Through /proc, which needs no privilege; without /proc mounted, by
        // the descriptor itself, which some systems allow only to root.
        const std::string strProc = "/proc/self/fd/" + std::to_string(fd);
        if (::linkat(AT_FDCWD, strProc.c_str(), AT_FDCWD, pszTo, AT_SYMLINK_FOLLOW) == 0)
            return 0;
        const int nError = errno;
        if (nError != ENOENT || ::access("/proc/self/fd", F_OK) == 0) {
            errno = nError;
            return -1;
        }
        return ::linkat(fd, "", AT_FDCWD, pszTo, AT_EMPTY_PATH);
#else
        static_cast<void>(fd);
        static_cast<void>(pszTo);
        errno = ENOTSUP;
        return -1;
#endif
    }
    int Open(const char* pszPath, int nFlags, mode_t mode) override
    {
        return ::open(pszPath, nFlags, mode);
    }
    ssize_t Read(int fd, void* pData, std::size_t nSize) override
    {
        return ::read(fd, pData, nSize);
    }
    ssize_t Write(int fd, const void* pData, std::size_t nSize) override
    {
        return ::write(fd, pData, nSize);
    }
    int Ftruncate(int fd, off_t nSize) override
    {
        return ::ftruncate(fd, nSize);
    }
    int Fsync(int fd) override
    {
        return ::fsync(fd);
    }
    int ReadLease(int fd) override
    {
#if defined(__linux__)
        if (::fcntl(fd, F_SETLEASE, F_RDLCK) != 0)
            return -1;
        ::fcntl(fd, F_SETLEASE, F_UNLCK);
        return 0;
#else
        static_cast<void>(fd);
        errno = ENOTSUP;
        return -1;
#endif
    }
    int Reserve(int fd, off_t nSize) override
    {
#if defined(__linux__)
        return ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, nSize);
#else
        static_cast<void>(fd);
        static_cast<void>(nSize);
        errno = ENOTSUP;
        return -1;
#endif
    }
    int Close(int fd) override
    {
        return ::close(fd);
    }
    int Rename(const char* pszFrom, const char* pszTo) override
    {
        return std::rename(pszFrom, pszTo);
    }
    int Renameat2(const char* pszFrom, const char* pszTo, unsigned nFlags) override
    {
#if defined(__linux__) && defined(RENAME_EXCHANGE)
        return ::renameat2(AT_FDCWD, pszFrom, AT_FDCWD, pszTo, nFlags);
#else
        static_cast<void>(pszFrom);
        static_cast<void>(pszTo);
        static_cast<void>(nFlags);
        errno = ENOSYS;
        return -1;
#endif
    }
    ssize_t Pread(int fd, void* pData, std::size_t nSize, off_t nOffset) override
    {
        return ::pread(fd, pData, nSize, nOffset);
    }
    ssize_t CopyFileRange(int fdIn, off_t* pOffsetIn, int fdOut, std::size_t nSize) override
    {
#if defined(__linux__)
        return ::copy_file_range(fdIn, pOffsetIn, fdOut, nullptr, nSize, 0);
#else
        static_cast<void>(fdIn);
        static_cast<void>(pOffsetIn);
        static_cast<void>(fdOut);
        static_cast<void>(nSize);
        errno = ENOSYS;
        return -1;
#endif
    }
    int Flock(int fd, int nOperation) override
    {
        return ::flock(fd, nOperation);
    }
    int Unlink(const char* pszPath) override
    {
        return ::unlink(pszPath);
    }
    int Fchmod(int fd, mode_t mode) override
    {
        return ::fchmod(fd, mode);
    }
    int Fchown(int fd, uid_t uid, gid_t gid) override
    {
        return ::fchown(fd, uid, gid);
    }
    mode_t Umask(mode_t mask) override
    {
        return ::umask(mask);
    }
    int Stat(const char* pszPath, struct stat* pStat) override
    {
        return ::stat(pszPath, pStat);
    }
    int Lstat(const char* pszPath, struct stat* pStat) override
    {
        return ::lstat(pszPath, pStat);
    }
    int Fstat(int fd, struct stat* pStat) override
    {
        return ::fstat(fd, pStat);
    }
    ssize_t Readlink(const char* pszPath, char* pBuffer, std::size_t nSize) override
    {
        return ::readlink(pszPath, pBuffer, nSize);
    }
#if defined(__linux__)
    ssize_t Listxattr(const char* pszPath, char* pList, std::size_t nSize) override
    {
        return ::listxattr(pszPath, pList, nSize);
    }
    ssize_t Getxattr(const char* pszPath, const char* pszName, void* pValue, std::size_t nSize) override
    {
        return ::getxattr(pszPath, pszName, pValue, nSize);
    }
    int Fsetxattr(int fd, const char* pszName, const void* pValue, std::size_t nSize, int nFlags) override
    {
        return ::fsetxattr(fd, pszName, pValue, nSize, nFlags);
    }
#else
    ssize_t Listxattr(const char*, char*, std::size_t) override
    {
        return NotSupported();
    }
    ssize_t Getxattr(const char*, const char*, void*, std::size_t) override
    {
        return NotSupported();
    }
    int Fsetxattr(int, const char*, const void*, std::size_t, int) override
    {
        return NotSupported();
    }

private:
    static int NotSupported()
    {
        errno = ENOTSUP;
        return -1;
    }
#endif
};

#if defined(RENAME_EXCHANGE)
constexpr unsigned kExchange = RENAME_EXCHANGE;
#else
constexpr unsigned kExchange = 1u << 1;  // as Linux numbers it; the call answers ENOSYS here
#endif

ISystemCalls* g_pSystemCalls = nullptr;

ISystemCalls& Sys()
{
    return g_pSystemCalls != nullptr ? *g_pSystemCalls : PosixSystemCalls();
}

long long ModifiedNs(const struct stat& st)
{
#if defined(__APPLE__)
    const struct timespec& t = st.st_mtimespec;
#else
    const struct timespec& t = st.st_mtim;
#endif
    return static_cast<long long>(t.tv_sec) * 1000000000LL + static_cast<long long>(t.tv_nsec);
}

SFileIdentity IdentityOf(const struct stat& st)
{
    SFileIdentity identity;
    identity.bKnown = true;
    identity.nDevice = static_cast<unsigned long long>(st.st_dev);
    identity.nInode = static_cast<unsigned long long>(st.st_ino);
    identity.nSize = static_cast<long long>(st.st_size);
    identity.nModifiedNs = ModifiedNs(st);
    return identity;
}

// The file a name finally stands for: links followed as far as they lead.
// False when a link cannot be read: replacing the link itself would cut it
// off from the file it stands for.
bool ResolveLinks(const std::string& target, std::string& out)
{
    fs::path path(target);
    for (int nHops = 0; nHops < 40; ++nHops) {
        struct stat st {};
        if (Sys().Lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            break;
        // A link's size is its length, but some file systems report 0: the
        // buffer grows until the whole link fits.
        std::string link(std::max<std::size_t>(static_cast<std::size_t>(std::max<off_t>(st.st_size, 0)) + 1, 256),
                         '\0');
        ssize_t n = -1;
        while (link.size() <= (1u << 20)) {
            n = Sys().Readlink(path.c_str(), link.data(), link.size());
            if (n < 0 || static_cast<std::size_t>(n) < link.size())
                break;
            link.resize(link.size() * 2);
            n = -1;
        }
        if (n < 0)
            return false;
        link.resize(static_cast<std::size_t>(n));
        const fs::path next(link);
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    out = path.string();
    return true;
}

int MakeTemporary(std::string& strTemplate)
{
    return Sys().Mkstemp(strTemplate.data());
}

int MakeUnnamed(const std::string& strDirectory)
{
    return Sys().OpenUnnamed(strDirectory.c_str());
}

// Six letters and digits, to make a temporary name unique.
std::string UniqueSuffix()
{
    static constexpr char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    static std::mt19937 generator(std::random_device{}() ^ static_cast<unsigned>(getpid()));
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kChars - 2);
    std::string s(6, ' ');
    for (char& c : s)
        c = kChars[pick(generator)];
    return s;
}

int OpenFile(const std::string& path, int nFlags)
{
    int fd;
    do
        fd = Sys().Open(path.c_str(), nFlags | O_CLOEXEC, 0);
    while (fd < 0 && errno == EINTR);
    return fd;
}

// Writes all of the data, going on after a short or an interrupted write.
bool WriteAll(int fd, const char* p, std::size_t n)
{
    while (n > 0) {
        const ssize_t nDone = Sys().Write(fd, p, n);
        if (nDone < 0 && errno == EINTR)
            continue;
        if (nDone == 0)
            errno = EIO;  // no progress and no reason given
        if (nDone <= 0)
            return false;  // disk full, file too large, I/O error
        p += nDone;
        n -= static_cast<std::size_t>(nDone);
    }
    return true;
}

// Reads n bytes, fewer only at the end of the file; -1 on an error.
ssize_t ReadFull(int fd, char* p, std::size_t n)
{
    std::size_t nDone = 0;
    while (nDone < n) {
        const ssize_t nRead = Sys().Read(fd, p + nDone, n - nDone);
        if (nRead < 0 && errno == EINTR)
            continue;
        if (nRead < 0)
            return -1;
        if (nRead == 0)
            break;
        nDone += static_cast<std::size_t>(nRead);
    }
    return static_cast<ssize_t>(nDone);
}

// Linux reports a failed close, yet the descriptor is closed all the same:
// it is never closed twice.
bool CloseFile(int fd)
{
    return Sys().Close(fd) == 0;
}

void RemoveFile(const std::string& path)
{
    Sys().Unlink(path.c_str());
}

// Whether two files hold the same bytes; false also when either cannot be
// read to its end.
bool SameContents(const std::string& strFirst, const std::string& strSecond)
{
    const int fdFirst = OpenFile(strFirst, O_RDONLY);
    if (fdFirst < 0)
        return false;
    const int fdSecond = OpenFile(strSecond, O_RDONLY);
    if (fdSecond < 0) {
        CloseFile(fdFirst);
        return false;
    }
    const auto pFirst = std::make_unique<char[]>(kBufferSize);
    const auto pSecond = std::make_unique<char[]>(kBufferSize);
    bool bSame = false;
    for (;;) {
        const ssize_t nFirst = ReadFull(fdFirst, pFirst.get(), kBufferSize);
        const ssize_t nSecond = ReadFull(fdSecond, pSecond.get(), kBufferSize);
        if (nFirst < 0 || nFirst != nSecond ||
            std::memcmp(pFirst.get(), pSecond.get(), static_cast<std::size_t>(nFirst)) != 0)
            break;
        if (nFirst == 0) {
            bSame = true;
            break;
        }
    }
    CloseFile(fdFirst);
    CloseFile(fdSecond);
    return bSame;
}

enum DirectorySync {
    DIRECTORY_SYNCED,
    DIRECTORY_CANNOT,  // the folder cannot be synced here at all
    DIRECTORY_FAILED,
};

// Syncs a folder, so that a name created or renamed in it survives a crash.
// A folder this user may write but not read cannot be opened, and some file
// systems refuse to sync a folder (EINVAL): both are lasting conditions, not
// failures of this attempt.
// errno tells why after DIRECTORY_FAILED.
DirectorySync SyncDirectory(const std::string& strDirectory)
{
    const int fd = OpenFile(strDirectory, O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return errno == EACCES ? DIRECTORY_CANNOT : DIRECTORY_FAILED;
    const bool bSynced = Sys().Fsync(fd) == 0;
    const int nError = errno;
    CloseFile(fd);
    errno = nError;
    if (bSynced)
        return DIRECTORY_SYNCED;
    return nError == EINVAL ? DIRECTORY_CANNOT : DIRECTORY_FAILED;
}

enum OwnerKept {
    OWNER_KEPT,
    OWNER_NOT_KEPT,  // this user may not give the target's owner or group
    OWNER_FAILED,    // the call failed otherwise (errno tells)
};

// Gives the copy the target's owner and group. Handing a file to another
// owner, or to a group this user is not in, needs privileges most users lack
// (EPERM; EINVAL where the owner has no number in this namespace).
OwnerKept KeepOwner(int fd, const struct stat& target)
{
    if (Sys().Fchown(fd, target.st_uid, target.st_gid) == 0)
        return OWNER_KEPT;
    return errno == EPERM || errno == EINVAL ? OWNER_NOT_KEPT : OWNER_FAILED;
}

// The replacement keeps the target's permission bits (set after the owner,
// whose change clears the set-user-ID bit); a new file gets the bits the
// umask allows.
bool KeepMode(int fd, const struct stat* pTarget)
{
    if (pTarget == nullptr) {
        const mode_t mask = Sys().Umask(0);
        Sys().Umask(mask);
        return Sys().Fchmod(fd, 0666 & ~mask) == 0;
    }
    return Sys().Fchmod(fd, pTarget->st_mode & 07777) == 0;
}

// Reads a list or a value whatever its size: asks for the size, then reads,
// again when it grew in between (ERANGE). False when it cannot be read.
template <typename Get>
bool ReadGrowing(std::vector<char>& out, Get&& get)
{
    for (int nTry = 0; nTry < 4; ++nTry) {
        const ssize_t nSize = get(nullptr, 0);
        if (nSize < 0)
            return false;
        out.resize(static_cast<std::size_t>(nSize));
        if (nSize == 0)
            return true;
        const ssize_t n = get(out.data(), out.size());
        if (n >= 0) {
            out.resize(static_cast<std::size_t>(n));
            return true;
        }
        if (errno != ERANGE)
            return false;
    }
    return false;
}

// The file system does not offer the operation (ENOTSUP, or EOPNOTSUPP
// where that is another number).
bool IsNotSupported(int nError)
{
#if defined(EOPNOTSUPP) && EOPNOTSUPP != ENOTSUP
    if (nError == EOPNOTSUPP)
        return true;
#endif
    return nError == ENOTSUP;
}

// Setting an attribute was refused rather than failed: a namespace this user
// may not write (security.*, trusted.*), or one the file system does not keep.
bool IsRefused(int nError)
{
    return nError == EPERM || nError == EACCES || IsNotSupported(nError);
}

// Copies every extended attribute of the target onto fd; on Linux its ACLs
// are among them (system.posix_acl_access). Attributes that cannot be listed
// or read, and those this user may not set, are left out; false when setting
// one fails otherwise (an I/O error, no room), as the copy would then lose it.
bool CopyAttributes(const std::string& strTarget, int fd)
{
    std::vector<char> names;
    if (!ReadGrowing(names, [&](char* p, std::size_t n) { return Sys().Listxattr(strTarget.c_str(), p, n); }))
        return true;
    std::vector<char> value;
    for (std::size_t nAt = 0; nAt < names.size();) {
        // The list holds names each ended by a NUL.
        const std::size_t nLength = strnlen(names.data() + nAt, names.size() - nAt);
        const std::string name(names.data() + nAt, nLength);
        nAt += nLength + 1;
        if (name.empty())
            continue;
        if (!ReadGrowing(value,
                         [&](char* p, std::size_t n) { return Sys().Getxattr(strTarget.c_str(), name.c_str(), p, n); }))
            continue;
        if (Sys().Fsetxattr(fd, name.c_str(), value.data(), value.size(), 0) != 0 && !IsRefused(errno))
            return false;
    }
    return true;
}

// How long a save waits for another Quillmark process's save of the same
// file to end before it gives up.
constexpr std::chrono::seconds kLockWait(60);

// The file a path names, opened to hold its lock: reading is enough, and a
// file this user may only write is opened for writing, which changes nothing.
// O_NONBLOCK: a FIFO in the target's place does not stop the save here.
int OpenToLock(const std::string& path)
{
    const int fd = OpenFile(path, O_RDONLY | O_NONBLOCK | O_NOCTTY);
    if (fd >= 0 || errno != EACCES)
        return fd;
    return OpenFile(path, O_WRONLY | O_NONBLOCK | O_NOCTTY);
}

LockResult WaitForLock(int fd, std::chrono::steady_clock::time_point deadline)
{
    auto pause = std::chrono::milliseconds(1);
    for (;;) {
        if (Sys().Flock(fd, LOCK_EX | LOCK_NB) == 0)
            return LOCK_HELD;
        if (errno == EINTR)
            continue;
        if (errno != EWOULDBLOCK)
            return LOCK_NONE;  // a file system that keeps no locks
        if (std::chrono::steady_clock::now() >= deadline)
            return LOCK_TIMED_OUT;
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::milliseconds(20));
    }
}

// Whether the open file is the one the path names now.
bool IsNamedBy(int fd, const std::string& path)
{
    struct stat held {
    }, named{};
    return Sys().Fstat(fd, &held) == 0 && Sys().Stat(path.c_str(), &named) == 0 && held.st_dev == named.st_dev &&
           held.st_ino == named.st_ino;
}

// Whether another process holds the lock of the file a path names now,
// asked without waiting.
bool IsLockHeld(const std::string& path)
{
    const int fd = OpenToLock(path);
    if (fd < 0)
        return false;
    const LockResult result = WaitForLock(fd, std::chrono::steady_clock::now());
    CloseFile(fd);  // a lock taken here ends with the descriptor
    return result == LOCK_TIMED_OUT;
}

// Locks the file a path names, waiting while another process holds the lock.
// The lock belongs to the file, not to its name: when the holder has put
// another file in its place meanwhile, that file is locked instead.
LockResult LockFile(const std::string& path, int& fdLock)
{
    fdLock = -1;
    const auto deadline = std::chrono::steady_clock::now() + kLockWait;
    for (int nTry = 0; nTry < 100; ++nTry) {
        const int fd = OpenToLock(path);
        if (fd < 0)
            return LOCK_NONE;  // a new file, or one that cannot be opened: the save finds out
        const LockResult result = WaitForLock(fd, deadline);
        if (result == LOCK_HELD && IsNamedBy(fd, path)) {
            fdLock = fd;
            return LOCK_HELD;
        }
        CloseFile(fd);
        if (result != LOCK_HELD)
            return result;
    }
    return LOCK_NONE;
}

// No exchange of two names here: a file system without it (EINVAL), or a
// system without the call (ENOSYS).
bool CannotExchange(int nError)
{
    return nError == EINVAL || nError == ENOSYS || IsNotSupported(nError);
}

// The kernel does not copy between these two files: another file system
// (EXDEV, from kernels before 5.19), one without the operation (EINVAL,
// EOPNOTSUPP), or a system without the call (ENOSYS). The bytes then go
// through the buffer.
bool CannotCopyInKernel(int nError)
{
    return nError == EXDEV || nError == EINVAL || nError == ENOSYS || IsNotSupported(nError);
}

enum KernelCopy {
    KERNEL_COPY_DONE,
    KERNEL_COPY_REFUSED,  // the rest, from nAt on, must go through the buffer
    KERNEL_COPY_FAILED,   // errno tells why
};

// Copies from fdFrom at nAt to fdTo's end within the kernel: nLeft bytes, or
// up to fdFrom's end when nLeft is negative. A copy that makes no progress
// is a refusal too: some files report no size (or the end is reached), and
// reading finds out which.
KernelCopy CopyInKernel(int fdFrom, off_t& nAt, long long nLeft, int fdTo)
{
    constexpr long long kChunk = 1LL << 30;
    while (nLeft != 0) {
        const long long nAsk = nLeft < 0 ? kChunk : std::min(nLeft, kChunk);
        const ssize_t n = Sys().CopyFileRange(fdFrom, &nAt, fdTo, static_cast<std::size_t>(nAsk));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return CannotCopyInKernel(errno) ? KERNEL_COPY_REFUSED : KERNEL_COPY_FAILED;
        if (n == 0)
            return KERNEL_COPY_REFUSED;
        if (nLeft > 0)
            nLeft -= n;
    }
    return KERNEL_COPY_DONE;
}

// Copies fdFrom's first nLength bytes to fdTo at its offset: within the
// kernel where it can, else through a buffer. False with errno set when a
// call fails, or EIO when fdFrom ends early.
bool CopyAll(int fdFrom, int fdTo, long long nLength)
{
    off_t nAt = 0;
    const KernelCopy copied = CopyInKernel(fdFrom, nAt, nLength, fdTo);
    if (copied == KERNEL_COPY_FAILED)
        return false;
    const auto pBuffer = std::make_unique<char[]>(kBufferSize);
    while (nAt < nLength) {
        const std::size_t nAsk = static_cast<std::size_t>(std::min<long long>(nLength - nAt, kBufferSize));
        const ssize_t n = Sys().Pread(fdFrom, pBuffer.get(), nAsk, nAt);
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0)
            errno = EIO;
        if (n <= 0 || !WriteAll(fdTo, pBuffer.get(), static_cast<std::size_t>(n)))
            return false;
        nAt += static_cast<off_t>(n);
    }
    return true;
}

// The target's name as its temporary files and journal carry it: cut where
// the whole name would pass the file system's limit.
std::string NameBeside(const std::string& strTarget, bool bShort)
{
    const std::string strName = fs::path(strTarget).filename().string();
    return bShort ? strName.substr(0, std::min(strName.size(), kShortName)) : strName;
}

std::string JournalSuffix(unsigned long long nInode)
{
    return std::string(kTemporaryMark) + "old-" + std::to_string(nInode);
}

// Where the old contents of a file overwritten in place are kept meanwhile.
std::string JournalPath(const std::string& strTarget, unsigned long long nInode)
{
    return (fs::path(DirectoryOf(strTarget)) / ("." + NameBeside(strTarget, true) + JournalSuffix(nInode))).string();
}

// Whether a name in the target's folder is one of its temporary files
// (".NAME.qm-" and six characters), in its full or its short form.
bool IsTemporaryName(const std::string& strEntry, const std::string& strTarget)
{
    constexpr std::size_t kUnique = 6;
    for (const bool bShort : {false, true}) {
        const std::string strStart = "." + NameBeside(strTarget, bShort) + kTemporaryMark;
        if (strEntry.size() == strStart.size() + kUnique && strEntry.compare(0, strStart.size(), strStart) == 0 &&
            std::all_of(strEntry.end() - kUnique, strEntry.end(),
                        [](char c) { return std::isalnum(static_cast<unsigned char>(c)); }))
            return true;
    }
    return false;
}

// Whether a name beside the target is a journal of a file with that inode.
bool IsJournalOf(const std::string& strEntry, unsigned long long nInode)
{
    const std::string strSuffix = JournalSuffix(nInode);
    return strEntry.size() > strSuffix.size() + 1 && strEntry[0] == '.' &&
           strEntry.compare(strEntry.size() - strSuffix.size(), strSuffix.size(), strSuffix) == 0;
}

// Writes the old contents kept in the journal back into the file fdTarget
// is open on (from its start), cut to their length and synced.
bool WriteBack(const std::string& strJournal, int fdTarget)
{
    const int fdJournal = OpenFile(strJournal, O_RDONLY);
    if (fdJournal < 0)
        return false;
    struct stat journal {};
    bool bOk = Sys().Fstat(fdJournal, &journal) == 0 && CopyAll(fdJournal, fdTarget, journal.st_size) &&
               Sys().Ftruncate(fdTarget, journal.st_size) == 0 && Sys().Fsync(fdTarget) == 0;
    const int nError = errno;
    CloseFile(fdJournal);
    errno = nError;
    return bOk;
}

// Writes the journal back into the target, opened anew, and removes it.
bool RestoreFromJournal(const std::string& strTarget, const std::string& strJournal)
{
    const int fd = OpenFile(strTarget, O_WRONLY);
    if (fd < 0)
        return false;
    const bool bWritten = WriteBack(strJournal, fd);
    const int nError = errno;
    const bool bClosed = CloseFile(fd);
    if (!bWritten || !bClosed) {
        errno = bWritten ? errno : nError;
        return false;
    }
    if (Sys().Unlink(strJournal.c_str()) != 0)
        return false;
    SyncDirectory(DirectoryOf(strTarget));
    return true;
}

// Removes the temporary files beside the target that a killed save left:
// regular files of this user's, named as the writer names its own.
void RemoveLeftovers(const std::string& strTarget, const std::vector<std::string>& entries)
{
    for (const std::string& strEntry : entries) {
        if (!IsTemporaryName(strEntry, strTarget))
            continue;
        const std::string path = (fs::path(DirectoryOf(strTarget)) / strEntry).string();
        struct stat st {};
        if (Sys().Lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == geteuid())
            RemoveFile(path);
    }
}

int RecoverLocked(const std::string& strTarget, std::string& strJournal)
{
    strJournal.clear();
    struct stat target {};
    if (Sys().Stat(strTarget.c_str(), &target) != 0 || !S_ISREG(target.st_mode))
        return RECOVERY_NONE;
    std::vector<std::string> entries;
    std::error_code error;
    for (fs::directory_iterator it(DirectoryOf(strTarget), error), end; !error && it != end; it.increment(error))
        entries.push_back(it->path().filename().string());
    RemoveLeftovers(strTarget, entries);
    const auto journal = std::find_if(entries.begin(), entries.end(), [&](const std::string& strEntry) {
        return IsJournalOf(strEntry, static_cast<unsigned long long>(target.st_ino));
    });
    if (journal == entries.end())
        return RECOVERY_NONE;
    strJournal = (fs::path(DirectoryOf(strTarget)) / *journal).string();
    const CSignalsHeld held;
    return RestoreFromJournal(strTarget, strJournal) ? RECOVERY_RESTORED : RECOVERY_FAILED;
}

}  // namespace safe_file

using namespace safe_file;

ISystemCalls& PosixSystemCalls()
{
    static CPosixSystemCalls calls;
    return calls;
}

void SetSystemCalls(ISystemCalls* pCalls)
{
    g_pSystemCalls = pCalls;
}

bool IsLockHeldByAnother(const std::string& path)
{
    return IsLockHeld(path);
}

RecoveryResult RecoverInterruptedSave(const std::string& path, std::string& strJournal)
{
    strJournal.clear();
    std::string strTarget;
    if (!ResolveLinks(path, strTarget))
        return RECOVERY_NONE;
    int fdLock = -1;
    if (LockFile(strTarget, fdLock) != LOCK_HELD)
        return RECOVERY_NONE;  // a save in progress (or no locks here): its journal is not a leftover
    const int nResult = RecoverLocked(strTarget, strJournal);
    const int nError = errno;
    CloseFile(fdLock);
    errno = nError;
    return static_cast<RecoveryResult>(nResult);
}

bool ReadFileIdentity(const std::string& path, SFileIdentity& out)
{
    out = SFileIdentity{};
    struct stat st {};
    if (Sys().Stat(path.c_str(), &st) != 0)
        return false;
    out = IdentityOf(st);
    return true;
}

bool ReadOpenFileIdentity(int fd, SFileIdentity& out)
{
    out = SFileIdentity{};
    struct stat st {};
    if (Sys().Fstat(fd, &st) != 0)
        return false;
    out = IdentityOf(st);
    return true;
}

CopyResult CSafeFileWriter::Append(int fdSource, long long nFrom, long long nLength, long long& nCopied)
{
    nCopied = 0;
    if (m_fd < 0 || !Flush())
        return COPY_WRITE_FAILED;
    off_t nAt = static_cast<off_t>(nFrom);
    CopyResult result = COPY_DONE;
    switch (CopyInKernel(fdSource, nAt, nLength, m_fd)) {
    case KERNEL_COPY_DONE: break;
    case KERNEL_COPY_REFUSED:
        result = CopyThroughBuffer(fdSource, nAt, nLength < 0 ? -1 : nLength - (nAt - nFrom));
        break;
    case KERNEL_COPY_FAILED:
        m_nError = errno;
        m_bFailed = true;
        result = COPY_WRITE_FAILED;
        break;
    }
    nCopied = nAt - nFrom;
    return result;
}

// Copies from fdSource at nAt through the buffer: nLeft bytes, or up to its
// end when nLeft is negative; nAt moves on past what was written.
CopyResult CSafeFileWriter::CopyThroughBuffer(int fdSource, off_t& nAt, long long nLeft)
{
    while (nLeft != 0) {
        const std::size_t nAsk = nLeft < 0 ? kBufferSize
                                           : static_cast<std::size_t>(std::min<long long>(nLeft, kBufferSize));
        const ssize_t n = Sys().Pread(fdSource, m_pBuffer.get(), nAsk, nAt);
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0)
            break;
        const bool bRead = n > 0;
        if (!bRead || !WriteAll(m_fd, m_pBuffer.get(), static_cast<std::size_t>(n))) {
            m_nError = errno;
            m_bFailed = true;
            return bRead ? COPY_WRITE_FAILED : COPY_READ_FAILED;
        }
        nAt += static_cast<off_t>(n);
        if (nLeft > 0)
            nLeft -= n;
    }
    return COPY_DONE;
}

CommitResult CSafeFileWriter::Commit(const SFileIdentity* pExpected)
{
    CommitResult result = COMMIT_FAILED;
    {
        CSignalsDeferred deferred;
        result = CommitLocked(pExpected);
        Unlock();
        if (result == COMMIT_WRITTEN || result == COMMIT_FAILED_BACKUP_KEPT)
            deferred.Keep();
    }
    // The file is as it was and nothing is left beside it: a signal that
    // came meanwhile ends the process now, as it would have then. After a
    // save, or a kept journal, the front end reports first.
    if (result == COMMIT_FAILED || result == COMMIT_CHANGED) {
        if (const int nSignal = TakeDeferredSignal())
            EndWithSignal(nSignal);
    }
    return result;
}

// Gives the attempt up: the temporary file is removed and the lock let go.
// m_nError keeps the errno recorded where the failing call was made.
CommitResult CSafeFileWriter::Fail(CommitResult result)
{
    if (result != COMMIT_FAILED)
        m_nError = 0;
    Abandon();
    return result;
}

// A system call has just failed: its errno is the reason.
CommitResult CSafeFileWriter::SystemFailure()
{
    m_nError = errno;
    return Fail(COMMIT_FAILED);
}

// The copy, its data flushed, made whole: it gets the target's owner, bits
// and attributes whichever way it is used next: as the replacement, or as
// the source of a target with several names that is overwritten in place.
// A target whose owner or group this user may not give keeps them only
// when it is overwritten in place (bOwnerNeedsInPlace); the copy then stays
// this user's own, readable by nobody else (as mkstemp made it). Synced,
// named and closed; written is its identity (metadata calls leave the
// modification time alone). False with errno set.
bool CSafeFileWriter::FinishCopy(bool& bOwnerNeedsInPlace, SFileIdentity& written)
{
    struct stat before {};
    const bool bExisted = Sys().Stat(m_strTarget.c_str(), &before) == 0;
    if (!bExisted && errno != ENOENT)
        return false;  // there, but it cannot be examined
    const OwnerKept owner = bExisted ? KeepOwner(m_fd, before) : OWNER_KEPT;
    if (owner == OWNER_FAILED)
        return false;
    bOwnerNeedsInPlace = owner == OWNER_NOT_KEPT;
    if (!bOwnerNeedsInPlace &&
        (!KeepMode(m_fd, bExisted ? &before : nullptr) || (bExisted && !CopyAttributes(m_strTarget, m_fd))))
        return false;
    if (Sys().Fsync(m_fd) != 0 || (m_bUnnamed && !NameUnnamed()))
        return false;
    struct stat st {};
    if (Sys().Fstat(m_fd, &st) == 0)
        written = IdentityOf(st);
    const int fd = m_fd;
    m_fd = -1;
    return CloseFile(fd);  // false: a delayed write error
}

CommitResult CSafeFileWriter::CommitLocked(const SFileIdentity* pExpected)
{
    m_written = SFileIdentity{};
    m_bCarried = false;
    if (m_fd < 0)
        return COMMIT_FAILED;
    if (!Flush())
        return Fail(COMMIT_FAILED);
    bool bOwnerNeedsInPlace = false;
    SFileIdentity written;
    if (!FinishCopy(bOwnerNeedsInPlace, written))
        return SystemFailure();

    // The last look at the target before it is replaced: still the file that
    // was read? Another program's changes are never overwritten. Another
    // Quillmark process's save waits for the lock this writer holds.
    struct stat now {};
    const bool bExists = Sys().Stat(m_strTarget.c_str(), &now) == 0;
    if (!bExists && errno != ENOENT)
        return SystemFailure();
    const bool bCheck = pExpected != nullptr && pExpected->bKnown;
    if (bCheck && (!bExists || !(IdentityOf(now) == *pExpected)))
        return Fail(COMMIT_CHANGED);
    // A rename would cut a file with several names off from the others, or
    // pass a file to this user.
    if (bExists && (now.st_nlink > 1 || bOwnerNeedsInPlace))
        return OverwriteInPlace(now);

    const CommitResult result = Replace(bCheck ? pExpected : nullptr);
    if (result != COMMIT_WRITTEN)
        return result;
    // Makes the rename itself durable. The target has been replaced whatever
    // happens here, so a failure cannot be reported as a failed save.
    SyncDirectory(DirectoryOf(m_strTarget));
    if (m_bCarried)
        ReadFileIdentity(m_strTarget, m_written);
    else
        m_written = written;
    return COMMIT_WRITTEN;
}

// Gives the complete, synced copy made without a name the temporary name
// it needs to be renamed or exchanged into the target's place (or to be
// read back against the target). False with errno set where it cannot.
bool CSafeFileWriter::NameUnnamed()
{
    for (int nTry = 0; nTry < 100; ++nTry) {
        const std::string strSuffix = kTemporaryMark + UniqueSuffix();
        for (const bool bShort : {false, true}) {
            const std::string path =
                (fs::path(DirectoryOf(m_strTarget)) / ("." + NameBeside(m_strTarget, bShort) + strSuffix)).string();
            const CSignalsHeld held;  // until the name made is registered
            if (Sys().LinkUnnamed(m_fd, path.c_str()) == 0) {
                m_strTemporary = path;
                m_bUnnamed = false;
                RegisterTemporaryFile(m_strTemporary);
                m_bRegistered = true;
                return true;
            }
            if (errno != ENAMETOOLONG)
                break;
        }
        if (errno != EEXIST)
            return false;
    }
    return false;
}

// Puts the temporary file in the target's place. With an identity to check,
// the two are exchanged where the file system can, and the file that came
// out must be the one checked just before; another program's file that took
// its place in between goes back, and the save is refused.
CommitResult CSafeFileWriter::Replace(const SFileIdentity* pExpected)
{
    if (pExpected != nullptr) {
        // Once exchanged, the temporary name stands for the old target: a
        // signal must not remove it unseen. Nor must a signal between
        // forgetting the copy and the exchange leave the copy behind.
        const CSignalsHeld held;
        ForgetTemporary();
        if (Sys().Renameat2(m_strTemporary.c_str(), m_strTarget.c_str(), kExchange) == 0)
            return CheckExchanged(*pExpected);
        if (!CannotExchange(errno))
            return SystemFailure();
        // No exchange on this file system: a plain rename, under the lock.
        RegisterTemporaryFile(m_strTemporary);
        m_bRegistered = true;
    }
    if (Sys().Rename(m_strTemporary.c_str(), m_strTarget.c_str()) != 0)
        return SystemFailure();
    ForgetTemporary();
    m_strTemporary.clear();
    // The lock's descriptor holds the old file, now without its name.
    SFileIdentity held;
    if (pExpected != nullptr && m_fdLock >= 0 && ReadOpenFileIdentity(m_fdLock, held) &&
        held.nDevice == pExpected->nDevice && held.nInode == pExpected->nInode)
        CarryAppended(m_fdLock, pExpected->nSize);
    return COMMIT_WRITTEN;
}

enum OtherWriters {
    WRITERS_NONE,     // nobody holds the file open for writing
    WRITERS_SOME,     // somebody does
    WRITERS_UNKNOWN,  // no lease to be had here: it cannot be told
};

OtherWriters FindOtherWriters(int fd)
{
    if (Sys().ReadLease(fd) == 0)
        return WRITERS_NONE;
    return errno == EAGAIN ? WRITERS_SOME : WRITERS_UNKNOWN;
}

// Another program that opened the old file before it was replaced may still
// append to it: what it appends beyond what was read goes on to the end of
// the new file, until nobody holds the old one open for writing any more
// (where leases tell), or it has stopped growing for a few milliseconds.
// A program that keeps it open is not waited for beyond half a second.
// False when the bytes cannot be carried over.
bool CSafeFileWriter::CarryAppended(int fdOld, long long nReadSize)
{
    constexpr int kQuietChecks = 3;  // a millisecond apart
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(500);
    int fdNew = -1;
    long long nCarried = nReadSize;
    bool bOk = true;
    for (int nQuiet = 0; bOk;) {
        // Asked before the size is read: whatever was written until then
        // is within it.
        const OtherWriters writers = FindOtherWriters(fdOld);
        struct stat old {};
        if (Sys().Fstat(fdOld, &old) != 0)
            break;
        const bool bGrew = old.st_size > nCarried;
        bOk = !bGrew || CarryTail(fdOld, nCarried, old.st_size, fdNew);
        nQuiet = bGrew ? 0 : nQuiet + 1;
        if (writers == WRITERS_NONE || (writers == WRITERS_UNKNOWN && nQuiet >= kQuietChecks) ||
            std::chrono::steady_clock::now() >= deadline)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (fdNew >= 0) {
        bOk = Sys().Fsync(fdNew) == 0 && bOk;
        bOk = CloseFile(fdNew) && bOk;
        m_bCarried = true;
    }
    return bOk;
}

// Appends the old file's bytes from nCarried up to nEnd to the new file
// (opened for appending on the first call).
bool CSafeFileWriter::CarryTail(int fdOld, long long& nCarried, long long nEnd, int& fdNew)
{
    if (fdNew < 0)
        fdNew = OpenFile(m_strTarget, O_WRONLY | O_APPEND);
    if (fdNew < 0)
        return false;
    while (nCarried < nEnd) {
        const std::size_t nAsk = static_cast<std::size_t>(std::min<long long>(nEnd - nCarried, kBufferSize));
        const ssize_t n = Sys().Pread(fdOld, m_pBuffer.get(), nAsk, nCarried);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0 || !WriteAll(fdNew, m_pBuffer.get(), static_cast<std::size_t>(n)))
            return false;
        nCarried += n;
    }
    return true;
}

// After the exchange the temporary name holds what was the target.
CommitResult CSafeFileWriter::CheckExchanged(const SFileIdentity& expected)
{
    struct stat out {};
    const bool bKnown = Sys().Lstat(m_strTemporary.c_str(), &out) == 0;
    const int nError = errno;
    if (bKnown && IdentityOf(out) == expected) {
        // The old file. Lines appended to it from now on go on to the new
        // one; should that fail, the old file goes back with them.
        const int fdOld = OpenFile(m_strTemporary, O_RDONLY);
        const bool bCarried = fdOld >= 0 && CarryAppended(fdOld, expected.nSize);
        if (fdOld >= 0)
            CloseFile(fdOld);
        if (bCarried) {
            // Should it stay, it is a leftover the next save removes.
            Sys().Unlink(m_strTemporary.c_str());
            m_strTemporary.clear();
            return COMMIT_WRITTEN;
        }
    }
    // Another program's file, or one that cannot be told: it goes back. Where
    // it cannot be exchanged back, it is renamed back over the new file, or
    // else stays under the temporary name: that name is not removed then.
    if (Sys().Renameat2(m_strTemporary.c_str(), m_strTarget.c_str(), kExchange) != 0) {
        Sys().Rename(m_strTemporary.c_str(), m_strTarget.c_str());
        m_strTemporary.clear();
    }
    if (bKnown && !(IdentityOf(out) == expected))
        return Fail(COMMIT_CHANGED);
    errno = bKnown ? errno : nError;
    return SystemFailure();
}

// The temporary file holds the complete new contents, synced. The target
// is opened, found to be still the file just checked, and handed to
// Overwrite; the temporary file is removed whatever came of it.
CommitResult CSafeFileWriter::OverwriteInPlace(const struct stat& target)
{
    const int fdTo = OpenFile(m_strTarget, O_RDWR);
    if (fdTo < 0)
        return SystemFailure();
    // Opening does not change a file: the one opened must still be the one
    // just checked, else it is left alone.
    struct stat opened {};
    const bool bOpenedKnown = Sys().Fstat(fdTo, &opened) == 0;
    m_nError = errno;
    if (!bOpenedKnown || !(IdentityOf(opened) == IdentityOf(target))) {
        CloseFile(fdTo);
        return Fail(bOpenedKnown ? COMMIT_CHANGED : COMMIT_FAILED);
    }
    const CommitResult result = Overwrite(fdTo, target);
    if (result == COMMIT_FAILED)
        return Fail(result);
    Abandon();  // the temporary file; the journal, if kept, stays
    return result;
}

// Keeps the target's old contents in the journal beside it, synced with its
// name: made under a temporary name and renamed once complete, so that a
// journal is never a part of them.
bool MakeJournal(int fdTarget, const struct stat& target, const std::string& strTarget, const std::string& strJournal)
{
    std::string strTemplate =
        (fs::path(DirectoryOf(strTarget)) / ("." + NameBeside(strTarget, true) + kTemporaryMark + "XXXXXX")).string();
    const int fd = MakeTemporary(strTemplate);
    if (fd < 0)
        return false;
    bool bOk = CopyAll(fdTarget, fd, target.st_size) && Sys().Fsync(fd) == 0;
    int nError = errno;
    if (!CloseFile(fd) && bOk) {
        nError = errno;
        bOk = false;
    }
    if (bOk && Sys().Rename(strTemplate.c_str(), strJournal.c_str()) != 0) {
        nError = errno;
        bOk = false;
    }
    if (!bOk) {
        RemoveFile(strTemplate);
        errno = nError;
        return false;
    }
    if (SyncDirectory(DirectoryOf(strJournal)) != DIRECTORY_FAILED)
        return true;
    nError = errno;
    RemoveFile(strJournal);
    errno = nError;
    return false;
}

// The disk (or this user's quota) has no room left, or the file may grow no
// further: what a reservation that failed says of the writes it foresaw.
bool IsNoRoom(int nError)
{
    return nError == ENOSPC || nError == EDQUOT || nError == EFBIG;
}

// Writes all that fdFrom holds from its offset on into fdTo through the
// buffer, cuts fdTo to it and syncs it. False with errno set.
bool WriteWhole(int fdFrom, int fdTo, char* pBuffer)
{
    off_t nTotal = 0;
    for (;;) {
        const ssize_t n = ReadFull(fdFrom, pBuffer, kBufferSize);
        if (n < 0)
            return false;
        if (n == 0)
            break;
        if (!WriteAll(fdTo, pBuffer, static_cast<std::size_t>(n)))
            return false;
        nTotal += static_cast<off_t>(n);
    }
    return Sys().Ftruncate(fdTo, nTotal) == 0 && Sys().Fsync(fdTo) == 0;
}

// Overwrites the target, open as fdTo, with the temporary file's contents:
// room for them reserved and the old contents journaled first, then written
// from the start, cut to the new length and synced, and read back. Any step
// that fails from the first write on has the old contents written back.
CommitResult CSafeFileWriter::Overwrite(int fdTo, const struct stat& target)
{
    const int fdFrom = OpenFile(m_strTemporary, O_RDONLY);
    struct stat from {};
    if (fdFrom < 0 || Sys().Fstat(fdFrom, &from) != 0) {
        m_nError = errno;
        if (fdFrom >= 0)
            CloseFile(fdFrom);
        CloseFile(fdTo);
        return COMMIT_FAILED;
    }
    // A full disk is found here, before the file is touched.
    bool bReady = from.st_size <= target.st_size || Sys().Reserve(fdTo, from.st_size) == 0 || !IsNoRoom(errno);
    m_strJournal = JournalPath(m_strTarget, static_cast<unsigned long long>(target.st_ino));
    bReady = bReady && MakeJournal(fdTo, target, m_strTarget, m_strJournal);
    if (!bReady) {
        m_nError = errno;
        m_strJournal.clear();
        CloseFile(fdFrom);
        CloseFile(fdTo);
        return COMMIT_FAILED;
    }

    bool bOk = WriteWhole(fdFrom, fdTo, m_pBuffer.get());
    int nError = errno;
    struct stat written {};
    const bool bWrittenKnown = bOk && Sys().Fstat(fdTo, &written) == 0;
    CloseFile(fdFrom);
    if (!CloseFile(fdTo) && bOk) {
        nError = errno;
        bOk = false;
    }
    if (bOk && !SameContents(m_strTarget, m_strTemporary)) {
        nError = errno != 0 ? errno : EIO;
        bOk = false;
    }
    // Once the journal is gone the save is done.
    if (bOk && Sys().Unlink(m_strJournal.c_str()) != 0) {
        nError = errno;
        bOk = false;
    }
    if (!bOk)
        return RollBack(nError);
    m_strJournal.clear();
    SyncDirectory(DirectoryOf(m_strTarget));
    if (bWrittenKnown)
        m_written = IdentityOf(written);
    return COMMIT_WRITTEN;
}

// A step of the overwrite failed (nError why): the journal's old contents
// go back into the target. Where they cannot, the journal stays, named.
CommitResult CSafeFileWriter::RollBack(int nError)
{
    m_nError = nError;
    const bool bRestored = RestoreFromJournal(m_strTarget, m_strJournal);
    if (!bRestored)
        m_strBackup = m_strJournal;
    m_strJournal.clear();
    return bRestored ? COMMIT_FAILED : COMMIT_FAILED_BACKUP_KEPT;
}

void CSafeFileWriter::Unlock()
{
    if (m_fdLock >= 0) {
        CloseFile(m_fdLock);  // closing lets the lock go
        m_fdLock = -1;
    }
}
