// The safe file writer's steps on Linux, macOS and the other POSIX systems,
// every system call through ISystemCalls so that the tests can make each
// one fail.
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
#include <iterator>
#include <memory>
#include <random>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#if defined(__linux__)
#include <linux/falloc.h>
#include <sys/xattr.h>
#endif

#include "safe_file_platform.h"

namespace fs = std::filesystem;

namespace safe_file {

namespace {

// A call this system does not have: -1 with nError, whatever it was asked.
template <typename... Arguments>
int Missing(int nError, const Arguments&...)
{
    errno = nError;
    return -1;
}

class CPosixSystemCalls final : public ISystemCalls {
public:
    int Mkstemp(char* pszTemplate) override { return ::mkstemp(pszTemplate); }
    int Open(const char* pszPath, int nFlags, mode_t mode) override { return ::open(pszPath, nFlags, mode); }
    ssize_t Read(int fd, void* pData, std::size_t nSize) override { return ::read(fd, pData, nSize); }
    ssize_t Write(int fd, const void* pData, std::size_t nSize) override { return ::write(fd, pData, nSize); }
    int Ftruncate(int fd, off_t nSize) override { return ::ftruncate(fd, nSize); }
    int Fsync(int fd) override { return ::fsync(fd); }
    int Close(int fd) override { return ::close(fd); }
    int Rename(const char* pszFrom, const char* pszTo) override { return std::rename(pszFrom, pszTo); }
    ssize_t Pread(int fd, void* pData, std::size_t nSize, off_t nOffset) override
    {
        return ::pread(fd, pData, nSize, nOffset);
    }
    int Flock(int fd, int nOperation) override { return ::flock(fd, nOperation); }
    int Unlink(const char* pszPath) override { return ::unlink(pszPath); }
    int Fchmod(int fd, mode_t mode) override { return ::fchmod(fd, mode); }
    int Fchown(int fd, uid_t uid, gid_t gid) override { return ::fchown(fd, uid, gid); }
    mode_t Umask(mode_t mask) override { return ::umask(mask); }
    int Stat(const char* pszPath, struct stat* pStat) override { return ::stat(pszPath, pStat); }
    int Lstat(const char* pszPath, struct stat* pStat) override { return ::lstat(pszPath, pStat); }
    int Fstat(int fd, struct stat* pStat) override { return ::fstat(fd, pStat); }
    ssize_t Readlink(const char* pszPath, char* pBuffer, std::size_t nSize) override
    {
        return ::readlink(pszPath, pBuffer, nSize);
    }
    int OpenUnnamed(const char* pszDirectory) override
    {
#if defined(O_TMPFILE)
        return ::open(pszDirectory, O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
#else
        return Missing(ENOTSUP, pszDirectory);
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
        if (nError != ENOENT || ::access("/proc/self/fd", F_OK) == 0)
            return Missing(nError);
        return ::linkat(fd, "", AT_FDCWD, pszTo, AT_EMPTY_PATH);
#else
        return Missing(ENOTSUP, fd, pszTo);
#endif
    }
    int ReadLease(int fd) override
    {
#if defined(__linux__)
        if (::fcntl(fd, F_SETLEASE, F_RDLCK) != 0)
            return -1;
        ::fcntl(fd, F_SETLEASE, F_UNLCK);
        return 0;
#else
        return Missing(ENOTSUP, fd);
#endif
    }
    int Reserve(int fd, off_t nSize) override
    {
#if defined(__linux__)
        return ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, nSize);
#else
        return Missing(ENOTSUP, fd, nSize);
#endif
    }
    int Renameat2(const char* pszFrom, const char* pszTo, unsigned nFlags) override
    {
#if defined(__linux__) && defined(RENAME_EXCHANGE)
        return ::renameat2(AT_FDCWD, pszFrom, AT_FDCWD, pszTo, nFlags);
#else
        return Missing(ENOSYS, pszFrom, pszTo, nFlags);
#endif
    }
    ssize_t CopyFileRange(int fdIn, off_t* pOffsetIn, int fdOut, std::size_t nSize) override
    {
#if defined(__linux__)
        return ::copy_file_range(fdIn, pOffsetIn, fdOut, nullptr, nSize, 0);
#else
        return Missing(ENOSYS, fdIn, pOffsetIn, fdOut, nSize);
#endif
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
        return Missing(ENOTSUP);
    }
    ssize_t Getxattr(const char*, const char*, void*, std::size_t) override
    {
        return Missing(ENOTSUP);
    }
    int Fsetxattr(int, const char*, const void*, std::size_t, int) override
    {
        return Missing(ENOTSUP);
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

// What an errno says of the call that failed with it; ENOTSUP and
// EOPNOTSUPP (another number on some systems) both say that the file
// system does not offer the operation.
//
// Setting an attribute was refused rather than failed: a namespace this user
// may not write (security.*, trusted.*), or one the file system does not keep.
constexpr int kRefused[] = {EPERM, EACCES, ENOTSUP, EOPNOTSUPP};
// Handing a file to another owner, or to a group this user is not in, needs
// privileges most users lack (EINVAL where the owner has no number here).
constexpr int kOwnerNotGiven[] = {EPERM, EINVAL};
// No exchange of two names here: a file system without it, or a system
// without the call.
constexpr int kCannotExchange[] = {EINVAL, ENOSYS, ENOTSUP, EOPNOTSUPP};
// The kernel does not copy between these two files: another file system
// (EXDEV, from kernels before 5.19), one without the operation, or a system
// without the call. The bytes then go through the buffer.
constexpr int kCannotCopyInKernel[] = {EXDEV, EINVAL, ENOSYS, ENOTSUP, EOPNOTSUPP};
// The disk (or this user's quota) has no room left, or the file may grow no
// further: what a reservation that failed says of the writes it foresaw.
constexpr int kNoRoom[] = {ENOSPC, EDQUOT, EFBIG};

template <std::size_t N>
bool IsOneOf(int nError, const int (&errors)[N])
{
    return std::find(std::begin(errors), std::end(errors), nError) != std::end(errors);
}

SFileIdentity IdentityOf(const struct stat& st)
{
#if defined(__APPLE__)
    const struct timespec& t = st.st_mtimespec;
#else
    const struct timespec& t = st.st_mtim;
#endif
    return {true, static_cast<unsigned long long>(st.st_dev), static_cast<unsigned long long>(st.st_ino),
            static_cast<long long>(st.st_size),
            static_cast<long long>(t.tv_sec) * 1000000000LL + static_cast<long long>(t.tv_nsec)};
}

// The identity a stat call (by path or by descriptor) reads.
template <typename StatCall>
bool ReadIdentity(SFileIdentity& out, StatCall&& stat)
{
    out = SFileIdentity{};
    struct stat st {};
    if (stat(&st) != 0)
        return false;
    out = IdentityOf(st);
    return true;
}

bool IsSameFile(const SFileIdentity& a, const SFileIdentity& b)
{
    return a.nDevice == b.nDevice && a.nInode == b.nInode;
}

// An open file, closed when it goes; that close keeps errno, which still
// tells why an earlier step failed. Close() closes it at once and tells
// whether that succeeded: a delayed write error shows there. Linux reports
// a failed close, yet the descriptor is closed all the same: it is never
// closed twice.
class CFile {
public:
    explicit CFile(int fd) : m_fd(fd) {}
    ~CFile()
    {
        const int nError = errno;
        Close();
        errno = nError;
    }
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;
    int Get() const { return m_fd; }
    bool IsOpen() const { return m_fd >= 0; }
    bool Close() { return m_fd < 0 || Sys().Close(std::exchange(m_fd, -1)) == 0; }

private:
    int m_fd;
};

// The steps so far (bOk) and then the close of the file they worked on:
// false with errno telling why the first of them that failed did.
bool CloseAfter(CFile& file, bool bOk)
{
    const int nError = errno;
    if (!file.Close() && bOk)
        return false;
    errno = nError;
    return bOk;
}

int OpenFile(const std::string& path, int nFlags)
{
    int fd;
    do
        fd = Sys().Open(path.c_str(), nFlags | O_CLOEXEC, 0);
    while (fd < 0 && errno == EINTR);
    return fd;
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

std::string JournalSuffix(unsigned long long nInode)
{
    return std::string(kTemporaryMark) + "old-" + std::to_string(nInode);
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

enum DirectorySync {
    DIRECTORY_SYNCED,
    DIRECTORY_CANNOT,  // the folder cannot be synced here at all
    DIRECTORY_FAILED,  // errno tells why
};

// Syncs a folder, so that a name created or renamed in it survives a crash.
// A folder this user may write but not read cannot be opened, and some file
// systems refuse to sync a folder (EINVAL): both are lasting conditions, not
// failures of this attempt.
DirectorySync SyncDirectory(const std::string& strDirectory)
{
    CFile directory(OpenFile(strDirectory, O_RDONLY | O_DIRECTORY));
    if (!directory.IsOpen())
        return errno == EACCES ? DIRECTORY_CANNOT : DIRECTORY_FAILED;
    if (Sys().Fsync(directory.Get()) == 0)
        return DIRECTORY_SYNCED;
    return errno == EINVAL ? DIRECTORY_CANNOT : DIRECTORY_FAILED;
}

enum class Copy {
    Done,
    Short,        // the source ended first
    ReadFailed,   // errno tells why
    WriteFailed,  // errno tells why
};

// Copies from fdFrom at nAt to fdTo's end within the kernel: nLeft bytes, or
// up to fdFrom's end when nLeft is negative. A copy the kernel refuses, or
// one that makes no progress (some files report no size, or the end is
// reached: reading finds out which), is Short: the rest goes through the
// buffer.
Copy CopyInKernel(int fdFrom, off_t& nAt, long long nLeft, int fdTo)
{
    constexpr long long kChunk = 1LL << 30;
    while (nLeft != 0) {
        const long long nAsk = nLeft < 0 ? kChunk : std::min(nLeft, kChunk);
        const ssize_t n = Sys().CopyFileRange(fdFrom, &nAt, fdTo, static_cast<std::size_t>(nAsk));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return IsOneOf(errno, kCannotCopyInKernel) ? Copy::Short : Copy::WriteFailed;
        if (n == 0)
            return Copy::Short;
        if (nLeft > 0)
            nLeft -= n;
    }
    return Copy::Done;
}

// The same through pBuffer (kBufferSize bytes), to fdTo at its offset.
Copy CopyThroughBuffer(int fdFrom, off_t& nAt, long long nLeft, int fdTo, char* pBuffer)
{
    while (nLeft != 0) {
        const std::size_t nAsk = nLeft < 0 ? kBufferSize
                                           : static_cast<std::size_t>(std::min<long long>(nLeft, kBufferSize));
        const ssize_t n = Sys().Pread(fdFrom, pBuffer, nAsk, nAt);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? Copy::ReadFailed : nLeft < 0 ? Copy::Done : Copy::Short;
        if (!WriteAll(fdTo, pBuffer, static_cast<std::size_t>(n)))
            return Copy::WriteFailed;
        nAt += static_cast<off_t>(n);
        if (nLeft > 0)
            nLeft -= n;
    }
    return Copy::Done;
}

// Within the kernel where it can, the rest through the buffer.
Copy CopyRange(int fdFrom, off_t& nAt, long long nLeft, int fdTo, char* pBuffer)
{
    const off_t nFrom = nAt;
    const Copy copied = CopyInKernel(fdFrom, nAt, nLeft, fdTo);
    if (copied != Copy::Short)
        return copied;
    return CopyThroughBuffer(fdFrom, nAt, nLeft < 0 ? -1 : nLeft - (nAt - nFrom), fdTo, pBuffer);
}

// Copies fdFrom's first nLength bytes to fdTo at its offset. False with
// errno set when a call fails, or EIO when fdFrom ends early.
bool CopyAll(int fdFrom, int fdTo, long long nLength)
{
    const auto pBuffer = std::make_unique<char[]>(kBufferSize);
    off_t nAt = 0;
    const Copy copied = CopyRange(fdFrom, nAt, nLength, fdTo, pBuffer.get());
    if (copied == Copy::Short)
        errno = EIO;
    return copied == Copy::Done;
}

// Whether two files hold the same bytes; false also when either cannot be
// read to its end (errno tells why: EIO where they differ).
bool SameContents(const std::string& strFirst, const std::string& strSecond)
{
    CFile first(OpenFile(strFirst, O_RDONLY));
    if (!first.IsOpen())
        return false;
    CFile second(OpenFile(strSecond, O_RDONLY));
    if (!second.IsOpen())
        return false;
    const auto pFirst = std::make_unique<char[]>(kBufferSize);
    const auto pSecond = std::make_unique<char[]>(kBufferSize);
    for (;;) {
        const ssize_t nFirst = ReadFull(first.Get(), pFirst.get(), kBufferSize);
        const ssize_t nSecond = ReadFull(second.Get(), pSecond.get(), kBufferSize);
        if (nFirst < 0 || nSecond < 0)
            return false;
        if (nFirst != nSecond || std::memcmp(pFirst.get(), pSecond.get(), static_cast<std::size_t>(nFirst)) != 0) {
            errno = EIO;  // no call failed: the bytes differ
            return false;
        }
        if (nFirst == 0)
            return true;
    }
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

enum OwnerKept {
    OWNER_KEPT,
    OWNER_NOT_KEPT,  // this user may not give the target's owner or group
    OWNER_FAILED,    // the call failed otherwise (errno tells)
};

// Gives the copy the target's owner and group.
OwnerKept KeepOwner(int fd, const struct stat& target)
{
    if (Sys().Fchown(fd, target.st_uid, target.st_gid) == 0)
        return OWNER_KEPT;
    return IsOneOf(errno, kOwnerNotGiven) ? OWNER_NOT_KEPT : OWNER_FAILED;
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
        if (Sys().Fsetxattr(fd, name.c_str(), value.data(), value.size(), 0) != 0 && !IsOneOf(errno, kRefused))
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
    SFileIdentity held, named;
    return ReadOpenFileIdentity(fd, held) && ReadFileIdentity(path, named) && IsSameFile(held, named);
}

// Writes the old contents kept in the journal back into the file fdTarget
// is open on (from its start), cut to their length and synced.
bool WriteBack(const std::string& strJournal, int fdTarget)
{
    CFile journal(OpenFile(strJournal, O_RDONLY));
    struct stat st {};
    return journal.IsOpen() && Sys().Fstat(journal.Get(), &st) == 0 && CopyAll(journal.Get(), fdTarget, st.st_size) &&
           Sys().Ftruncate(fdTarget, st.st_size) == 0 && Sys().Fsync(fdTarget) == 0;
}

// Writes the journal back into the target, opened anew, and removes it.
bool RestoreFromJournal(const std::string& strTarget, const std::string& strJournal)
{
    CFile target(OpenFile(strTarget, O_WRONLY));
    if (!target.IsOpen() || !CloseAfter(target, WriteBack(strJournal, target.Get())) ||
        Sys().Unlink(strJournal.c_str()) != 0)
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

// Keeps the target's old contents (nSize bytes) in the journal beside it,
// synced with its name: made under a temporary name and renamed once
// complete, so that a journal is never a part of them.
bool MakeJournal(int fdTarget, long long nSize, const std::string& strTarget, const std::string& strJournal)
{
    std::string strTemplate = PathBeside(strTarget, true, std::string(kTemporaryMark) + "XXXXXX");
    CFile journal(MakeTemporary(strTemplate));
    if (!journal.IsOpen())
        return false;
    const bool bSynced = CopyAll(fdTarget, journal.Get(), nSize) && Sys().Fsync(journal.Get()) == 0;
    const bool bNamed = CloseAfter(journal, bSynced) && Sys().Rename(strTemplate.c_str(), strJournal.c_str()) == 0;
    if (bNamed && SyncDirectory(DirectoryOf(strJournal)) != DIRECTORY_FAILED)
        return true;
    const int nError = errno;
    RemoveFile(bNamed ? strJournal : strTemplate);
    errno = nError;
    return false;
}

// Gives the complete, synced copy made without a name the temporary name
// it needs to be renamed or exchanged into the target's place (or to be
// read back against the target). False with errno set where it cannot.
bool NameUnnamed(STemporary& temp, const std::string& strTarget)
{
    for (int nTry = 0; nTry < 100; ++nTry) {
        const std::string strSuffix = kTemporaryMark + UniqueSuffix();
        for (const bool bShort : {false, true}) {
            const std::string path = PathBeside(strTarget, bShort, strSuffix);
            const CSignalsHeld held;  // until the name made is registered
            if (Sys().LinkUnnamed(temp.fd, path.c_str()) == 0) {
                temp.path = path;
                temp.bUnnamed = false;
                Register(temp);
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

// Lines appended to the old file after it was last checked go on to the
// end of the new one.
struct SCarry {
    const std::string& strTarget;  // the new file
    char* pBuffer;
    int fdNew = -1;  // opened for appending once the old file grows
};

// Appends the old file's bytes from nCarried up to nEnd to the new file.
bool CarryTail(SCarry& carry, int fdOld, long long& nCarried, long long nEnd)
{
    if (carry.fdNew < 0)
        carry.fdNew = OpenFile(carry.strTarget, O_WRONLY | O_APPEND);
    if (carry.fdNew < 0)
        return false;
    off_t nAt = static_cast<off_t>(nCarried);
    const Copy copied = CopyThroughBuffer(fdOld, nAt, nEnd - nCarried, carry.fdNew, carry.pBuffer);
    nCarried = nAt;
    return copied == Copy::Done;
}

// Another program that opened the old file before it was replaced may still
// append to it: what it appends beyond what was read goes on to the end of
// the new file, until nobody holds the old one open for writing any more
// (where leases tell), or it has stopped growing for a few milliseconds.
// A program that keeps it open is not waited for beyond half a second.
// False when the bytes cannot be carried over; bCarried when some were.
bool CarryAppended(int fdOld, long long nReadSize, const SPlacing& placing, bool& bCarried)
{
    constexpr int kQuietChecks = 3;  // a millisecond apart
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(500);
    SCarry carry{placing.strTarget, placing.pBuffer};
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
        bOk = !bGrew || CarryTail(carry, fdOld, nCarried, old.st_size);
        nQuiet = bGrew ? 0 : nQuiet + 1;
        if (writers == WRITERS_NONE || (writers == WRITERS_UNKNOWN && nQuiet >= kQuietChecks) ||
            std::chrono::steady_clock::now() >= deadline)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (carry.fdNew >= 0) {
        CFile added(carry.fdNew);
        bOk = CloseAfter(added, Sys().Fsync(carry.fdNew) == 0) && bOk;
        bCarried = true;
    }
    return bOk;
}

// After the exchange the temporary name holds what was the target: the
// file checked just before, whose appended lines are then carried over;
// another program's file, or one that cannot be told, goes back. Where it
// cannot be exchanged back, it is renamed back over the new file, or else
// stays under the temporary name: that name is not removed then.
SOutcome CheckExchanged(STemporary& temp, const SPlacing& placing, bool& bCarried)
{
    SFileIdentity out;
    const bool bKnown = ReadIdentity(out, [&](struct stat* p) { return Sys().Lstat(temp.path.c_str(), p); });
    const int nError = errno;
    const bool bSame = bKnown && out == *placing.pExpected;
    if (bSame) {
        // Should carrying fail, the old file goes back with what was added.
        CFile old(OpenFile(temp.path, O_RDONLY));
        if (old.IsOpen() && CarryAppended(old.Get(), placing.pExpected->nSize, placing, bCarried)) {
            old.Close();
            // Should it stay, it is a leftover the next save removes.
            Sys().Unlink(temp.path.c_str());
            temp.path.clear();
            return {COMMIT_WRITTEN, 0, {}, {}};
        }
    }
    if (Sys().Renameat2(temp.path.c_str(), placing.strTarget.c_str(), kExchange) != 0) {
        Sys().Rename(temp.path.c_str(), placing.strTarget.c_str());
        temp.path.clear();
    }
    if (bKnown && !bSame)
        return {COMMIT_CHANGED, 0, {}, {}};
    return Failed(bKnown ? errno : nError);
}

// Puts the copy in the target's place. With an identity to check, the two
// are exchanged where the file system can, and the file that came out must
// be the one checked just before. bCarried: lines appended to the old file
// meanwhile were carried over.
SOutcome Replace(STemporary& temp, const SPlacing& placing, bool& bCarried)
{
    if (placing.pExpected != nullptr) {
        // Once exchanged, the temporary name stands for the old target: a
        // signal must not remove it unseen. Nor must a signal between
        // forgetting the copy and the exchange leave the copy behind.
        const CSignalsHeld held;
        Forget(temp);
        if (Sys().Renameat2(temp.path.c_str(), placing.strTarget.c_str(), kExchange) == 0)
            return CheckExchanged(temp, placing, bCarried);
        if (!IsOneOf(errno, kCannotExchange))
            return Failed(errno);
        // No exchange on this file system: a plain rename, under the lock.
        Register(temp);
    }
    if (Sys().Rename(temp.path.c_str(), placing.strTarget.c_str()) != 0)
        return Failed(errno);
    Forget(temp);
    temp.path.clear();
    // The lock's descriptor holds the old file, now without its name.
    SFileIdentity held;
    if (placing.pExpected != nullptr && placing.fdLock >= 0 && ReadOpenFileIdentity(placing.fdLock, held) &&
        IsSameFile(held, *placing.pExpected))
        CarryAppended(placing.fdLock, placing.pExpected->nSize, placing, bCarried);
    return {COMMIT_WRITTEN, 0, {}, {}};
}

// A step of the overwrite failed (nError why): the journal's old contents
// go back into the target. Where they cannot, the journal stays, named.
SOutcome RollBack(const std::string& strTarget, const std::string& strJournal, int nError)
{
    if (RestoreFromJournal(strTarget, strJournal))
        return Failed(nError);
    return {COMMIT_FAILED_BACKUP_KEPT, nError, strJournal, {}};
}

// Overwrites the target, open as to, with the copy's contents: room for
// them reserved and the old contents journaled first, then written from the
// start, cut to the new length and synced, and read back. Any step that
// fails from the first write on has the old contents written back.
SOutcome Overwrite(CFile& to, const STemporary& temp, const SPlacing& placing)
{
    const SFileIdentity& target = placing.now.identity;
    CFile from(OpenFile(temp.path, O_RDONLY));
    struct stat st {};
    if (!from.IsOpen() || Sys().Fstat(from.Get(), &st) != 0)
        return Failed(errno);
    // A full disk is found here, before the file is touched.
    const bool bRoom = st.st_size <= target.nSize || Sys().Reserve(to.Get(), st.st_size) == 0 ||
                       !IsOneOf(errno, kNoRoom);
    const std::string strJournal = PathBeside(placing.strTarget, true, JournalSuffix(target.nInode));
    if (!bRoom || !MakeJournal(to.Get(), target.nSize, placing.strTarget, strJournal))
        return Failed(errno);

    bool bOk = WriteWhole(from.Get(), to.Get(), placing.pBuffer);
    int nError = errno;
    SFileIdentity written;
    const bool bWrittenKnown = bOk && ReadOpenFileIdentity(to.Get(), written);
    from.Close();
    if (!to.Close() && bOk) {
        nError = errno;
        bOk = false;
    }
    if (bOk && !SameContents(placing.strTarget, temp.path)) {
        nError = errno;
        bOk = false;
    }
    // Once the journal is gone the save is done.
    if (bOk && Sys().Unlink(strJournal.c_str()) != 0) {
        nError = errno;
        bOk = false;
    }
    if (!bOk)
        return RollBack(placing.strTarget, strJournal, nError);
    SyncDirectory(DirectoryOf(placing.strTarget));
    return {COMMIT_WRITTEN, 0, {}, bWrittenKnown ? written : SFileIdentity{}};
}

// The copy holds the complete new contents, synced. The target is opened,
// found to be still the file just checked, and overwritten.
SOutcome OverwriteInPlace(const STemporary& temp, const SPlacing& placing)
{
    CFile to(OpenFile(placing.strTarget, O_RDWR));
    if (!to.IsOpen())
        return Failed(errno);
    // Opening does not change a file: the one opened must still be the one
    // just checked, else it is left alone.
    SFileIdentity opened;
    if (!ReadOpenFileIdentity(to.Get(), opened))
        return Failed(errno);
    if (!(opened == placing.now.identity))
        return {COMMIT_CHANGED, 0, {}, {}};
    return Overwrite(to, temp, placing);
}

}  // namespace

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

bool CloseFile(int fd)
{
    return Sys().Close(fd) == 0;
}

void RemoveFile(const std::string& path)
{
    Sys().Unlink(path.c_str());
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

RecoveryResult RecoverLocked(const std::string& strTarget, std::string& strJournal)
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

// A target whose owner or group this user may not give keeps them only when
// it is overwritten in place; the copy then stays this user's own, readable
// by nobody else (as mkstemp made it), and gets neither its bits nor its
// attributes. Metadata calls leave the modification time alone: the copy's
// identity is read after them.
bool FinishCopy(STemporary& temp, const std::string& strTarget, SFinished& finished)
{
    struct stat before {};
    const bool bExisted = Sys().Stat(strTarget.c_str(), &before) == 0;
    if (!bExisted && errno != ENOENT)
        return false;  // there, but it cannot be examined
    const OwnerKept owner = bExisted ? KeepOwner(temp.fd, before) : OWNER_KEPT;
    if (owner == OWNER_FAILED)
        return false;
    finished.bOwnerNeedsInPlace = owner == OWNER_NOT_KEPT;
    if (!finished.bOwnerNeedsInPlace &&
        (!KeepMode(temp.fd, bExisted ? &before : nullptr) || (bExisted && !CopyAttributes(strTarget, temp.fd))))
        return false;
    if (Sys().Fsync(temp.fd) != 0 || (temp.bUnnamed && !NameUnnamed(temp, strTarget)))
        return false;
    ReadOpenFileIdentity(temp.fd, finished.written);
    return CloseFile(std::exchange(temp.fd, -1));  // false: a delayed write error
}

bool LookAtTarget(const std::string& strTarget, STargetNow& now)
{
    struct stat st {};
    now.bExists = Sys().Stat(strTarget.c_str(), &st) == 0;
    if (!now.bExists)
        return errno == ENOENT;
    now.identity = IdentityOf(st);
    now.bSeveralNames = st.st_nlink > 1;
    return true;
}

// A rename would cut a file with several names off from the others, or
// pass a file to this user: such a file is overwritten in place.
SOutcome PutInPlace(STemporary& temp, const SPlacing& placing)
{
    if (placing.now.bExists && (placing.now.bSeveralNames || placing.finished.bOwnerNeedsInPlace))
        return OverwriteInPlace(temp, placing);
    bool bCarried = false;
    SOutcome outcome = Replace(temp, placing, bCarried);
    if (outcome.result != COMMIT_WRITTEN)
        return outcome;
    // Makes the rename itself durable. The target has been replaced whatever
    // happens here, so a failure cannot be reported as a failed save.
    SyncDirectory(DirectoryOf(placing.strTarget));
    if (bCarried)
        ReadFileIdentity(placing.strTarget, outcome.written);
    else
        outcome.written = placing.finished.written;
    return outcome;
}

CopyResult AppendFrom(int fdSource, long long& nAt, long long nLength, int fdTo, char* pBuffer)
{
    constexpr CopyResult kResults[] = {COPY_DONE, COPY_DONE, COPY_READ_FAILED, COPY_WRITE_FAILED};
    off_t nOffset = static_cast<off_t>(nAt);
    const Copy copied = CopyRange(fdSource, nOffset, nLength, fdTo, pBuffer);
    nAt = nOffset;
    return kResults[static_cast<int>(copied)];
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

// Asked without waiting.
bool IsLockHeldByAnother(const std::string& path)
{
    CFile file(OpenToLock(path));
    // A lock taken here ends with the descriptor.
    return file.IsOpen() && WaitForLock(file.Get(), std::chrono::steady_clock::now()) == LOCK_TIMED_OUT;
}

bool ReadFileIdentity(const std::string& path, SFileIdentity& out)
{
    return ReadIdentity(out, [&](struct stat* p) { return Sys().Stat(path.c_str(), p); });
}

bool ReadOpenFileIdentity(int fd, SFileIdentity& out)
{
    return ReadIdentity(out, [&](struct stat* p) { return Sys().Fstat(fd, p); });
}
