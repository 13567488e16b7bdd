// System calls that pass through to the real ones, except one chosen call
// that fails once (or writes short, or reads back a changed byte, or first
// lets another program act), for the tests of CSafeFileWriter's failure
// roads. Every call is logged with the part it played: the target, its
// folder, the writer's temporary file.
#pragma once

#include <fcntl.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "safe_file_writer.h"

enum class Call {
    Mkstemp,
    OpenUnnamed,
    LinkUnnamed,
    OpenRead,
    OpenWrite,
    OpenDirectory,
    Read,
    Pread,
    CopyFileRange,  // its role is that of the file it copies to
    Write,
    Ftruncate,
    Reserve,
    ReadLease,
    Fsync,
    Close,
    Rename,
    Renameat2,
    Flock,
    Unlink,
    Fchmod,
    Fchown,
    Umask,
    Stat,
    Lstat,
    Fstat,
    Readlink,
    Listxattr,
    Getxattr,
    Fsetxattr,
};

// Journal: the file that keeps the old contents of a target overwritten in
// place (".NAME.qm-old-INODE").
enum class Role { Target, Temporary, Journal, Directory, Other };

enum class FaultKind {
    None,
    Error,        // returns -1 with the fault's errno; a close closes all the same
    ShortWrite,   // writes half of what was asked (a copy copies half)
    NoProgress,   // a copy returns 0: nothing copied, no reason given
    CorruptRead,  // reads, then changes the first byte read
    ActFirst,     // runs the fault's action (another program at work), then makes the call
};

struct SFault {
    Call call;
    Role role;
    int nth;  // 1: the first such call after arming
    FaultKind kind = FaultKind::Error;
    int nErrno = EIO;
    std::function<void()> action = nullptr;  // FaultKind::ActFirst
    int nCount = 1;                          // how many such calls in a row it strikes, from the nth on
};

class CFaultySystemCalls final : public ISystemCalls {
public:
    explicit CFaultySystemCalls(const std::string& strTarget) : m_strTarget(strTarget)
    {
        const std::filesystem::path path(strTarget);
        m_strDirectory = path.parent_path().string();
        m_strTemporaryPrefix = (path.parent_path() / ("." + path.filename().string() + ".")).string();
    }

    // The fault strikes the nth matching call from now on (and the
    // fault's nCount - 1 after it).
    void Arm(const SFault& fault)
    {
        m_fault = fault;
        m_bArmed = true;
        m_nMatched = 0;
        m_bFired = false;
    }
    bool Fired() const { return m_bFired; }

    // Runs action just before the first such call from now on, besides any
    // fault: a look at the files at that moment.
    void Watch(Call call, Role role, std::function<void()> action)
    {
        m_watch = {call, role};
        m_watchAction = std::move(action);
    }
    const std::vector<std::pair<Call, Role>>& Log() const { return m_log; }

    // Where in the log the first such call stands; -1 when never made.
    long First(Call call, Role role) const
    {
        for (std::size_t i = 0; i < m_log.size(); ++i)
            if (m_log[i] == std::make_pair(call, role))
                return static_cast<long>(i);
        return -1;
    }
    long Last(Call call, Role role) const
    {
        for (std::size_t i = m_log.size(); i-- > 0;)
            if (m_log[i] == std::make_pair(call, role))
                return static_cast<long>(i);
        return -1;
    }

    int Mkstemp(char* pszTemplate) override
    {
        if (Hit(Call::Mkstemp, RoleOf(pszTemplate)) == FaultKind::Error)
            return Fail();
        const int fd = m_real.Mkstemp(pszTemplate);
        if (fd >= 0)
            m_fds[fd] = pszTemplate;
        return fd;
    }
    // Lets the writer make its temporary file without a name where the
    // file system can; by default these calls answer that it cannot, so
    // that the temporary file is named from the start.
    void AllowUnnamed() { m_bUnnamed = true; }

    int OpenUnnamed(const char* pszDirectory) override
    {
        const FaultKind kind = Hit(Call::OpenUnnamed, Role::Temporary);
        if (!m_bUnnamed) {
            errno = EOPNOTSUPP;
            return -1;
        }
        if (kind == FaultKind::Error)
            return Fail();
        const int fd = m_real.OpenUnnamed(pszDirectory);
        if (fd >= 0)
            m_fds[fd] = m_strTemporaryPrefix + "qm-unnamed";
        return fd;
    }
    int LinkUnnamed(int fd, const char* pszTo) override
    {
        if (Hit(Call::LinkUnnamed, RoleOf(fd)) == FaultKind::Error)
            return Fail();
        const int nResult = m_real.LinkUnnamed(fd, pszTo);
        if (nResult == 0)
            m_fds[fd] = pszTo;
        return nResult;
    }
    int Open(const char* pszPath, int nFlags, mode_t mode) override
    {
        const Call call = (nFlags & O_DIRECTORY) != 0        ? Call::OpenDirectory
                          : (nFlags & O_ACCMODE) == O_RDONLY ? Call::OpenRead
                                                             : Call::OpenWrite;
        if (Hit(call, RoleOf(pszPath)) == FaultKind::Error)
            return Fail();
        const int fd = m_real.Open(pszPath, nFlags, mode);
        if (fd >= 0)
            m_fds[fd] = pszPath;
        return fd;
    }
    ssize_t Read(int fd, void* pData, std::size_t nSize) override
    {
        const FaultKind kind = Hit(Call::Read, RoleOf(fd));
        if (kind == FaultKind::Error)
            return Fail();
        const ssize_t n = m_real.Read(fd, pData, nSize);
        if (kind == FaultKind::CorruptRead && n > 0)
            static_cast<char*>(pData)[0] ^= 0x20;
        return n;
    }
    ssize_t Pread(int fd, void* pData, std::size_t nSize, off_t nOffset) override
    {
        return Hit(Call::Pread, RoleOf(fd)) == FaultKind::Error ? Fail() : m_real.Pread(fd, pData, nSize, nOffset);
    }
    ssize_t CopyFileRange(int fdIn, off_t* pOffsetIn, int fdOut, std::size_t nSize) override
    {
        const FaultKind kind = Hit(Call::CopyFileRange, RoleOf(fdOut));
        if (kind == FaultKind::Error)
            return Fail();
        if (kind == FaultKind::NoProgress)
            return 0;
        if (kind == FaultKind::ShortWrite && nSize > 1)
            nSize /= 2;
        return m_real.CopyFileRange(fdIn, pOffsetIn, fdOut, nSize);
    }
    ssize_t Write(int fd, const void* pData, std::size_t nSize) override
    {
        const FaultKind kind = Hit(Call::Write, RoleOf(fd));
        if (kind == FaultKind::Error)
            return Fail();
        if (kind == FaultKind::ShortWrite && nSize > 1)
            nSize /= 2;
        return m_real.Write(fd, pData, nSize);
    }
    int Ftruncate(int fd, off_t nSize) override
    {
        return Hit(Call::Ftruncate, RoleOf(fd)) == FaultKind::Error ? Fail() : m_real.Ftruncate(fd, nSize);
    }
    int ReadLease(int fd) override
    {
        return Hit(Call::ReadLease, RoleOf(fd)) == FaultKind::Error ? Fail() : m_real.ReadLease(fd);
    }
    int Reserve(int fd, off_t nSize) override
    {
        return Hit(Call::Reserve, RoleOf(fd)) == FaultKind::Error ? Fail() : m_real.Reserve(fd, nSize);
    }
    int Fsync(int fd) override { return Hit(Call::Fsync, RoleOf(fd)) == FaultKind::Error ? Fail() : m_real.Fsync(fd); }
    int Close(int fd) override
    {
        const FaultKind kind = Hit(Call::Close, RoleOf(fd));
        m_fds.erase(fd);
        const int nResult = m_real.Close(fd);
        return kind == FaultKind::Error ? Fail() : nResult;
    }
    int Rename(const char* pszFrom, const char* pszTo) override
    {
        return Hit(Call::Rename, RoleOf(pszFrom)) == FaultKind::Error ? Fail() : m_real.Rename(pszFrom, pszTo);
    }
    int Renameat2(const char* pszFrom, const char* pszTo, unsigned nFlags) override
    {
        return Hit(Call::Renameat2, RoleOf(pszFrom)) == FaultKind::Error ? Fail()
                                                                         : m_real.Renameat2(pszFrom, pszTo, nFlags);
    }
    int Flock(int fd, int nOperation) override
    {
        return Hit(Call::Flock, RoleOf(fd)) == FaultKind::Error ? Fail() : m_real.Flock(fd, nOperation);
    }
    int Unlink(const char* pszPath) override
    {
        return Hit(Call::Unlink, RoleOf(pszPath)) == FaultKind::Error ? Fail() : m_real.Unlink(pszPath);
    }
    int Fchmod(int fd, mode_t mode) override
    {
        return Hit(Call::Fchmod, RoleOf(fd)) == FaultKind::Error ? Fail() : m_real.Fchmod(fd, mode);
    }
    int Fchown(int fd, uid_t uid, gid_t gid) override
    {
        return Hit(Call::Fchown, RoleOf(fd)) == FaultKind::Error ? Fail() : m_real.Fchown(fd, uid, gid);
    }
    mode_t Umask(mode_t mask) override
    {
        Hit(Call::Umask, Role::Other);
        return m_real.Umask(mask);
    }
    int Stat(const char* pszPath, struct stat* pStat) override
    {
        return Hit(Call::Stat, RoleOf(pszPath)) == FaultKind::Error ? Fail() : m_real.Stat(pszPath, pStat);
    }
    int Lstat(const char* pszPath, struct stat* pStat) override
    {
        return Hit(Call::Lstat, RoleOf(pszPath)) == FaultKind::Error ? Fail() : m_real.Lstat(pszPath, pStat);
    }
    int Fstat(int fd, struct stat* pStat) override
    {
        return Hit(Call::Fstat, RoleOf(fd)) == FaultKind::Error ? Fail() : m_real.Fstat(fd, pStat);
    }
    ssize_t Readlink(const char* pszPath, char* pBuffer, std::size_t nSize) override
    {
        return Hit(Call::Readlink, RoleOf(pszPath)) == FaultKind::Error ? Fail()
                                                                        : m_real.Readlink(pszPath, pBuffer, nSize);
    }
    ssize_t Listxattr(const char* pszPath, char* pList, std::size_t nSize) override
    {
        return Hit(Call::Listxattr, RoleOf(pszPath)) == FaultKind::Error ? Fail()
                                                                         : m_real.Listxattr(pszPath, pList, nSize);
    }
    ssize_t Getxattr(const char* pszPath, const char* pszName, void* pValue, std::size_t nSize) override
    {
        return Hit(Call::Getxattr, RoleOf(pszPath)) == FaultKind::Error
                   ? Fail()
                   : m_real.Getxattr(pszPath, pszName, pValue, nSize);
    }
    int Fsetxattr(int fd, const char* pszName, const void* pValue, std::size_t nSize, int nFlags) override
    {
        return Hit(Call::Fsetxattr, RoleOf(fd)) == FaultKind::Error
                   ? Fail()
                   : m_real.Fsetxattr(fd, pszName, pValue, nSize, nFlags);
    }

private:
    Role RoleOf(const std::string& path) const
    {
        if (path == m_strTarget)
            return Role::Target;
        if (path == m_strDirectory)
            return Role::Directory;
        if (path.compare(0, m_strTemporaryPrefix.size(), m_strTemporaryPrefix) == 0)
            return path.find(".qm-old-") != std::string::npos ? Role::Journal : Role::Temporary;
        return Role::Other;
    }
    Role RoleOf(int fd) const
    {
        const auto it = m_fds.find(fd);
        return it == m_fds.end() ? Role::Other : RoleOf(it->second);
    }

    // Logs the call; the fault's kind when this is the call it strikes,
    // after running its action for FaultKind::ActFirst.
    FaultKind Hit(Call call, Role role)
    {
        m_log.emplace_back(call, role);
        if (m_watchAction && m_watch == std::make_pair(call, role)) {
            const std::function<void()> action = std::move(m_watchAction);
            m_watchAction = nullptr;
            action();
        }
        if (!m_bArmed || call != m_fault.call || role != m_fault.role)
            return FaultKind::None;
        ++m_nMatched;
        if (m_nMatched < m_fault.nth || m_nMatched >= m_fault.nth + m_fault.nCount)
            return FaultKind::None;
        m_bFired = true;
        if (m_fault.kind == FaultKind::ActFirst && m_fault.action)
            m_fault.action();
        return m_fault.kind;
    }
    int Fail() const
    {
        errno = m_fault.nErrno;
        return -1;
    }

    ISystemCalls& m_real = PosixSystemCalls();
    std::string m_strTarget;
    std::string m_strDirectory;
    std::string m_strTemporaryPrefix;
    std::map<int, std::string> m_fds;  // what each open descriptor was opened as
    SFault m_fault{Call::Mkstemp, Role::Other, 0};
    bool m_bArmed = false;
    bool m_bFired = false;
    int m_nMatched = 0;
    std::vector<std::pair<Call, Role>> m_log;
    std::pair<Call, Role> m_watch{Call::Mkstemp, Role::Other};
    std::function<void()> m_watchAction;
    bool m_bUnnamed = false;
};

// Routes the writer's calls through pCalls while it lives.
class CSystemCallsInstalled {
public:
    explicit CSystemCallsInstalled(ISystemCalls* pCalls) { SetSystemCalls(pCalls); }
    ~CSystemCallsInstalled() { SetSystemCalls(nullptr); }
    CSystemCallsInstalled(const CSystemCallsInstalled&) = delete;
    CSystemCallsInstalled& operator=(const CSystemCallsInstalled&) = delete;
};
