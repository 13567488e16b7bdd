// Replaces a file safely: the new contents go into a temporary file beside
// the target, every write is checked, the data is synced, and one atomic
// rename puts it in place. At every instant the target holds either its old
// or its new contents; a failed attempt leaves no temporary file behind.
//
// Just before the target is replaced, it is checked to be still the file
// that was read (device, inode, size, modification time): a file another
// program changed meanwhile is left as that program left it.
//
// A target with more than one name (hard links) cannot be renamed over
// without cutting it off from its other names. It is overwritten in place
// instead, after the complete new contents have been written and synced into
// the temporary file, which serves as the backup until the target has been
// read back and found equal to it.
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
    virtual int Open(const char* pszPath, int nFlags, mode_t mode) = 0;
    virtual ssize_t Read(int fd, void* pData, std::size_t nSize) = 0;
    virtual ssize_t Write(int fd, const void* pData, std::size_t nSize) = 0;
    virtual int Ftruncate(int fd, off_t nSize) = 0;
    virtual int Fsync(int fd) = 0;
    virtual int Close(int fd) = 0;
    virtual int Rename(const char* pszFrom, const char* pszTo) = 0;
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

enum CommitResult : int {
    COMMIT_WRITTEN = 0,             // the target holds the new contents
    COMMIT_FAILED = 1,              // the target is untouched, no temporary file is left
    COMMIT_CHANGED = 2,             // another program changed or replaced the target since
                                    // it was read: untouched, no temporary file is left
    COMMIT_FAILED_BACKUP_KEPT = 3,  // the target was being overwritten in place when a step
                                    // failed: it may hold a part of the new contents;
                                    // BackupPath() names the file that holds all of them
};

class CSafeFileWriter {
public:
    CSafeFileWriter() = default;
    ~CSafeFileWriter();
    CSafeFileWriter(const CSafeFileWriter&) = delete;
    CSafeFileWriter& operator=(const CSafeFileWriter&) = delete;

    // Starts a replacement of target. A symbolic link is followed: the file
    // it points to is replaced, in its own directory. False when a link on
    // the way cannot be read or no temporary file can be created there.
    bool Begin(const std::string& target);

    // Appends data; false once any write has failed.
    bool Write(const char* pData, std::size_t nSize);
    bool Write(const std::string& s) { return Write(s.data(), s.size()); }

    // Flushes the data, gives the temporary file the target's owner (where
    // this user may set it), permission bits and extended attributes (or the
    // usual bits for a new file), syncs it, checks that the target is still
    // the file described by pExpected, and renames the temporary file over
    // the target, or overwrites a target with several names in place.
    // pExpected: the target as it was read; nullptr (or not bKnown) when
    // there is nothing to check, as for a file that was not read.
    [[nodiscard]] CommitResult Commit(const SFileIdentity* pExpected);

    // Removes the temporary file; the target stays as it was. A kept backup
    // is never removed.
    void Abandon();

    // The file that is being replaced, links resolved.
    const std::string& ResolvedTarget() const { return m_strTarget; }
    const std::string& TemporaryPath() const { return m_strTemporary; }

    // After COMMIT_FAILED_BACKUP_KEPT: the file beside the target that holds
    // the complete new contents; empty otherwise.
    const std::string& BackupPath() const { return m_strBackup; }

    // After COMMIT_WRITTEN: the target's identity as this writer left it,
    // what the next save of it expects (bKnown false if it could not be read).
    const SFileIdentity& WrittenIdentity() const { return m_written; }

private:
    bool Flush();
#ifndef _WIN32
    CommitResult OverwriteInPlace(const struct stat& target);
#endif

    int m_fd = -1;
    bool m_bFailed = false;
    std::string m_strTarget;
    std::string m_strTemporary;
    std::string m_strBackup;
    SFileIdentity m_written;
    std::unique_ptr<char[]> m_pBuffer;
    std::size_t m_nBuffered = 0;
};
