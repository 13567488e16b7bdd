// The safe file writer's steps that differ by system, written once for
// POSIX (safe_file_writer_posix.cpp) and once for Windows
// (safe_file_writer_windows.cpp). The writer itself (Begin, Write, Commit,
// Abandon, the order of their steps and what each failure makes of the
// attempt) is written once, in safe_file_writer.cpp, and calls down into
// these; they never call back up into it. What they need of the writer
// they are handed (the temporary file, SPlacing), and what came of them
// they return (errno, SOutcome).
#pragma once

#include <algorithm>
#include <cstddef>
#include <filesystem>
#include <string>

#include "interrupted_save.h"
#include "safe_file_writer.h"

namespace safe_file {

// The size of the buffer a save writes through.
inline constexpr std::size_t kBufferSize = 1 << 16;

// A temporary file is named after its target: ".NAME.qm-XXXXXX". Where that
// passes the file system's limit on a name, NAME is cut to this many bytes.
inline constexpr std::size_t kShortName = 32;
inline constexpr const char* kTemporaryMark = ".qm-";

// The folder a file stands in ("." for a bare name).
inline std::string DirectoryOf(const std::string& strTarget)
{
    const std::filesystem::path directory = std::filesystem::path(strTarget).parent_path();
    return directory.empty() ? std::string(".") : directory.string();
}

// The target's name as its temporary files and journal carry it: cut where
// the whole name would pass the file system's limit.
inline std::string NameBeside(const std::string& strTarget, bool bShort)
{
    const std::string strName = std::filesystem::path(strTarget).filename().string();
    return bShort ? strName.substr(0, std::min(strName.size(), kShortName)) : strName;
}

// A file beside the target: "." NAME strSuffix, NAME cut when bShort.
inline std::string PathBeside(const std::string& strTarget, bool bShort, const std::string& strSuffix)
{
    return (std::filesystem::path(DirectoryOf(strTarget)) / ("." + NameBeside(strTarget, bShort) + strSuffix)).string();
}

// The temporary file holds only a copy in the making: a signal removes it.
inline void Register(STemporary& temp)
{
    RegisterTemporaryFile(temp.path);
    temp.bRegistered = true;
}

// It no longer does: a signal must leave it alone.
inline void Forget(STemporary& temp)
{
    if (temp.bRegistered)
        ForgetTemporaryFile();
    temp.bRegistered = false;
}

inline SOutcome Failed(int nError)
{
    return {COMMIT_FAILED, nError, {}, {}};
}

// The file a name finally stands for: links followed as far as they lead.
bool ResolveLinks(const std::string& target, std::string& out);
// Creates the file the template names (its last six characters XXXXXX made
// unique) and opens it for writing; -1 with errno set where it cannot.
int MakeTemporary(std::string& strTemplate);
// Creates a file without a name in the folder, where the file system can;
// -1 elsewhere.
int MakeUnnamed(const std::string& strDirectory);
// Writes all n bytes; false on an error (errno set).
bool WriteAll(int fd, const char* p, std::size_t n);
bool CloseFile(int fd);
void RemoveFile(const std::string& path);

enum LockResult {
    LOCK_HELD,
    LOCK_NONE,       // nothing to lock, or no lock to be had here: the identity checks still apply
    LOCK_TIMED_OUT,  // another process held it too long
};

// Takes the lock of the file path names, held through fdLock until it is
// closed; waits a while for another Quillmark process's save of it to end.
LockResult LockFile(const std::string& path, int& fdLock);

// RecoverInterruptedSave with the file's lock held.
RecoveryResult RecoverLocked(const std::string& strTarget, std::string& strJournal);

// The copy, its data written, made whole: it gets the target's owner, bits
// and attributes where this user may give them (bOwnerNeedsInPlace where
// only an overwrite in place keeps them), is synced, named and closed;
// written is its identity. False with errno set; temp.fd then stays open.
struct SFinished {
    bool bOwnerNeedsInPlace = false;
    SFileIdentity written;
};
bool FinishCopy(STemporary& temp, const std::string& strTarget, SFinished& finished);

// The target as it is just before it is replaced. False with errno set
// when it is there but cannot be examined.
struct STargetNow {
    bool bExists = false;
    bool bSeveralNames = false;
    SFileIdentity identity;
};
bool LookAtTarget(const std::string& strTarget, STargetNow& now);

// What putting the finished copy in the target's place needs to know.
struct SPlacing {
    const std::string& strTarget;
    const SFileIdentity* pExpected;  // checked just before; nullptr: nothing to check
    int fdLock;                      // the target as it was locked; -1 when not
    char* pBuffer;                   // kBufferSize bytes
    SFinished finished;
    STargetNow now;
};

// Puts the finished copy in the target's place: renamed (or exchanged) over
// it, or the target overwritten in place where a rename would not keep what
// it must. A temporary name it leaves in temp.path is the caller's to remove.
SOutcome PutInPlace(STemporary& temp, const SPlacing& placing);

#if !defined(_WIN32)
// Copies from fdSource at nAt to the end of fdTo: nLength bytes, or up to
// its end when nLength is negative; nAt moves on past what was copied.
// errno tells why after a failure.
CopyResult AppendFrom(int fdSource, long long& nAt, long long nLength, int fdTo, char* pBuffer);
#endif

}  // namespace safe_file
