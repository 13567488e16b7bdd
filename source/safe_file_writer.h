// Replaces a file safely: the new contents go into a temporary file beside
// the target, every write is checked, the data is synced, and one atomic
// rename puts it in place. At every instant the target holds either its old
// or its new contents; a failed attempt leaves no temporary file behind.
//
// Just before the target is replaced, it is checked to be still the file
// that was read (device, inode, size, modification time): a file another
// program changed meanwhile is left as that program left it. Where the file
// system can exchange two names (Linux), the new file is exchanged with the
// target rather than renamed over it, and what was exchanged out is checked
// once more: a change made between the check and the exchange is found, the
// two are exchanged back and the target is left as the other program left it.
//
// Saves of one file by several Quillmark processes are serialised: from
// Begin to the end of Commit (or Abandon) the writer holds an advisory lock
// (flock) on the target, so that a save that reads the file under the lock
// sees every save before it, and its check finds them.
//
// A target with more than one name (hard links) cannot be renamed over
// without cutting it off from its other names, nor can a target whose owner
// or group this user may not give to a new file (a group member saving a
// file owned by another user) be replaced without passing it to this user.
// Such a target is overwritten in place instead, after the complete new
// contents have been written and synced into the temporary file. Before
// its first byte is touched, room for the new size is reserved (a full disk
// then leaves it untouched), and its old contents are copied into a journal
// beside it, ".NAME.qm-old-INODE", synced together with its name. Should
// any step of the overwrite fail, the old contents are written back from
// the journal; should the process die meanwhile (SIGKILL, a power loss),
// the next save of the file, or RecoverInterruptedSave, writes them back.
// The journal is removed once the file has been read back equal to the new
// contents.
//
// While the temporary file holds only a copy in the making, its name is kept
// where a signal handler can remove it (interrupted_save.h). Where the file
// system can (Linux, O_TMPFILE), the temporary file has no name at all
// until Commit gives it one just before it takes the target's place, so
// that a process killed while writing it leaves nothing behind; a
// temporary file that a killed process left (".NAME.qm-XXXXXX") is removed
// by the next save of that file. From the start of Commit to its end, a signal only
// waits for the save to finish (CSignalsDeferred).
//
// Lines that another program appends to the old file while it is being
// replaced (after it was checked for the last time) are carried over to the
// end of the new file.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "source_file.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <sys/types.h>

// Every system call the writer makes goes through this interface, so that a
// test can make any single one of them fail. Each member behaves as the
// call it is named after: -1 with errno set on failure.
class ISystemCalls {
public:
    virtual ~ISystemCalls() = default;

    virtual int Mkstemp(char* pszTemplate) = 0;
    // A new file without a name in the folder, open for reading and writing
    // (open with O_TMPFILE); -1 where the file system or the system has no
    // such files. LinkUnnamed gives it the name pszTo (linkat); -1 with
    // EEXIST when that name is taken.
    virtual int OpenUnnamed(const char* pszDirectory) = 0;
    virtual int LinkUnnamed(int fd, const char* pszTo) = 0;
    virtual int Open(const char* pszPath, int nFlags, mode_t mode) = 0;
    virtual ssize_t Read(int fd, void* pData, std::size_t nSize) = 0;
    virtual ssize_t Pread(int fd, void* pData, std::size_t nSize, off_t nOffset) = 0;
    // copy_file_range(fdIn, pOffsetIn, fdOut, nullptr, nSize, 0): copies
    // within the kernel, to fdOut's own offset; -1 with ENOSYS where the
    // system has no such call.
    virtual ssize_t CopyFileRange(int fdIn, off_t* pOffsetIn, int fdOut, std::size_t nSize) = 0;
    virtual ssize_t Write(int fd, const void* pData, std::size_t nSize) = 0;
    virtual int Ftruncate(int fd, off_t nSize) = 0;
    // Reserves room for the file's first nSize bytes without changing its
    // size (fallocate with FALLOC_FL_KEEP_SIZE); -1 with ENOTSUP where the
    // file system or the system cannot.
    virtual int Reserve(int fd, off_t nSize) = 0;
    virtual int Fsync(int fd) = 0;
    // Takes a read lease on the file open (read-only) as fd and gives it
    // back at once: 0 when taken, which only a file nobody holds open for
    // writing allows; -1 with EAGAIN when somebody does, another errno where
    // leases cannot be had (ENOTSUP off Linux).
    virtual int ReadLease(int fd) = 0;
    virtual int Close(int fd) = 0;
    virtual int Rename(const char* pszFrom, const char* pszTo) = 0;
    // renameat2(AT_FDCWD, pszFrom, AT_FDCWD, pszTo, nFlags); -1 with ENOSYS
    // where the system has no such call.
    virtual int Renameat2(const char* pszFrom, const char* pszTo, unsigned nFlags) = 0;
    virtual int Flock(int fd, int nOperation) = 0;
    virtual int Unlink(const char* pszPath) = 0;
    virtual int Fchmod(int fd, mode_t mode) = 0;
    virtual int Fchown(int fd, uid_t uid, gid_t gid) = 0;
    virtual mode_t Umask(mode_t mask) = 0;
    virtual int Stat(const char* pszPath, struct stat* pStat) = 0;
    virtual int Lstat(const char* pszPath, struct stat* pStat) = 0;
    virtual int Fstat(int fd, struct stat* pStat) = 0;
    virtual ssize_t Readlink(const char* pszPath, char* pBuffer, std::size_t nSize) = 0;
    // Extended attributes (ACLs among them): listed and read by path, links
    // followed; set on an open file. -1 with ENOTSUP where there are none.
    virtual ssize_t Listxattr(const char* pszPath, char* pList, std::size_t nSize) = 0;
    virtual ssize_t Getxattr(const char* pszPath, const char* pszName, void* pValue, std::size_t nSize) = 0;
    virtual int Fsetxattr(int fd, const char* pszName, const void* pValue, std::size_t nSize, int nFlags) = 0;
};

// The real calls.
ISystemCalls& PosixSystemCalls();

// Routes the writer's system calls (and ReadFileIdentity's) through pCalls;
// nullptr restores the real ones. The object stays the caller's.
void SetSystemCalls(ISystemCalls* pCalls);
#endif

// The identity and state of the file a path names, links followed; false
// (and out.bKnown false) when it cannot be read.
bool ReadFileIdentity(const std::string& path, SFileIdentity& out);

enum RecoveryResult : int {
    RECOVERY_NONE = 0,      // nothing was left by an interrupted save
    RECOVERY_RESTORED = 1,  // the file was found part overwritten, and holds its old contents again
    RECOVERY_FAILED = 2,    // it could not be put back: the journal (strJournal) still holds them
};

// Looks beside the file path names for what an interrupted save of it
// left: a journal of an overwrite in place, whose old contents are written
// back into the file (and the journal removed), and temporary copies, which
// are removed. Waits for another Quillmark process's save of the file to
// end first.
RecoveryResult RecoverInterruptedSave(const std::string& path, std::string& strJournal);

// True when the file the path names exists and another process holds the
// lock a save takes on it now; false otherwise (no file, no locks on this
// system, or free). Asked without waiting, so that a front end can say
// that a save will wait.
bool IsLockHeldByAnother(const std::string& path);

#ifndef _WIN32
// The same of a file open as fd.
bool ReadOpenFileIdentity(int fd, SFileIdentity& out);

enum CopyResult : int {
    COPY_DONE = 0,
    COPY_READ_FAILED = 1,   // the source could not be read (Error() tells why)
    COPY_WRITE_FAILED = 2,  // as a failed Write
};
#endif

enum CommitResult : int {
    COMMIT_WRITTEN = 0,             // the target holds the new contents
    COMMIT_FAILED = 1,              // the target is untouched, no temporary file is left
    COMMIT_CHANGED = 2,             // another program changed or replaced the target since
                                    // it was read: untouched, no temporary file is left
    COMMIT_FAILED_BACKUP_KEPT = 3,  // the target was being overwritten in place when a step
                                    // failed, and its old contents could not be written back:
                                    // BackupPath() names the journal that holds them
};

namespace safe_file {

// The writer's temporary file, as its steps pass it on: open as fd, named
// path (empty while it has no name, bUnnamed), registered for removal on
// a signal while it holds only a copy in the making (bRegistered).
struct STemporary {
    int fd = -1;
    std::string path;
    bool bUnnamed = false;
    bool bRegistered = false;
};

// What a step of Commit came to: the errno of the call that failed (0 when
// none did), the journal kept after COMMIT_FAILED_BACKUP_KEPT, the target's
// identity after COMMIT_WRITTEN.
struct SOutcome {
    CommitResult result = COMMIT_FAILED;
    int nError = 0;
    std::string strBackup;
    SFileIdentity written;
};

}  // namespace safe_file

class CSafeFileWriter {
public:
    CSafeFileWriter() = default;
    ~CSafeFileWriter();
    CSafeFileWriter(const CSafeFileWriter&) = delete;
    CSafeFileWriter& operator=(const CSafeFileWriter&) = delete;

    // Starts a replacement of target: locks it (waiting for another
    // Quillmark process's save of it to end) and creates the temporary file
    // beside it. A symbolic link is followed: the file it points to is
    // replaced, in its own directory. False when a link on the way cannot be
    // read, no temporary file can be created there, or the lock was not given
    // up in time (Error() tells).
    bool Begin(const std::string& target);

    // Appends data; false once any write has failed.
    bool Write(const char* pData, std::size_t nSize);
    bool Write(const std::string& s) { return Write(s.data(), s.size()); }

    // Flushes the data, gives the temporary file the target's owner,
    // permission bits and extended attributes (or the usual bits for a new
    // file), syncs it, checks that the target is still the file described
    // by pExpected, and puts the temporary file in the target's place; a
    // target with several names, or whose owner or group this user may not
    // give, is overwritten in place.
    // pExpected: the target as it was read; nullptr (or not bKnown) when
    // there is nothing to check, as for a file that was not read.
    [[nodiscard]] CommitResult Commit(const SFileIdentity* pExpected);

    // Removes the temporary file; the target stays as it was. A kept backup
    // is never removed.
    void Abandon();

    // The file that is being replaced, links resolved.
    const std::string& ResolvedTarget() const { return m_strTarget; }
    const std::string& TemporaryPath() const { return m_temp.path; }

    // After COMMIT_FAILED_BACKUP_KEPT: the journal beside the target that
    // holds its old contents; empty otherwise.
    const std::string& BackupPath() const { return m_strBackup; }

    // After COMMIT_WRITTEN: the target's identity as this writer left it,
    // what the next save of it expects (bKnown false if it could not be read).
    const SFileIdentity& WrittenIdentity() const { return m_written; }

    // After a failed Begin, Write or Commit: the errno of the system call
    // that failed (a full disk, a read-only folder, ...); 0 when no system
    // call failed (COMMIT_CHANGED, a copy that read back different).
    int Error() const { return m_nError; }

#ifndef _WIN32
    // Appends the bytes of the open file fdSource from offset nFrom on:
    // nLength of them, or all up to its end when nLength is negative;
    // nCopied tells how many (fewer only at the source's end). They are
    // copied within the kernel (copy_file_range) where it can, else through
    // the buffer. After a failure the writer fails as after a failed Write.
    CopyResult Append(int fdSource, long long nFrom, long long nLength, long long& nCopied);
#endif

private:
    bool Flush();
    bool CreateTemporary();
    CommitResult CommitLocked(const SFileIdentity* pExpected);
    safe_file::SOutcome CommitSteps(const SFileIdentity* pExpected);
    void Unlock();

    safe_file::STemporary m_temp;
    int m_fdLock = -1;  // the target, opened to hold its lock
    int m_nError = 0;
    bool m_bFailed = false;
    std::string m_strTarget;
    std::string m_strBackup;
    SFileIdentity m_written;
    std::unique_ptr<char[]> m_pBuffer;
    std::size_t m_nBuffered = 0;
};
