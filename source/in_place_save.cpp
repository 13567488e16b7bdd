// Overwriting a file in place, and putting back one whose overwriting was
// cut short.
//
// A file with several names, or one whose owner this user may not give to a
// new file, cannot be replaced by a rename: its bytes are overwritten. Before
// the first of them is touched, the old contents are copied to a journal
// beside the file, ".NAME.old-INODE", complete and synced, and the space the
// new contents need is reserved. Ctrl-C, SIGTERM and SIGHUP are held until
// the file is whole again. Should a write fail, the old contents are put
// back from the journal at once; should the process be killed or the
// machine stop, the journal stays, and the next Quillmark process to open or
// save the file puts the old contents back before it reads a byte. Either
// way the file holds its old or its new contents.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <vector>

#include "interrupted_save.h"
#include "safe_file_platform.h"
#include "safe_file_writer.h"

namespace fs = std::filesystem;
using namespace safe_file;

namespace {

// Reserves room for nSize bytes of the file before any is written, so that a
// full disk stops the save before it begins rather than half way. The file's
// size is left alone where the system can reserve beyond the end (Linux).
// A file system that reserves nothing says so: the journal still protects.
bool Reserve(int fd, off_t nSize)
{
    if (nSize <= 0 || Sys().Fallocate(fd, 0, nSize) == 0)
        return true;
    return IsNotSupported(errno) || errno == EINVAL || errno == ENOSYS;
}

// Writes all of fdFrom, read from its start, into fdTo from fdTo's start
// (freshly opened): room reserved first, then the bytes, then cut to their
// length and synced.
bool FillFrom(int fdFrom, int fdTo, char* pBuffer)
{
    struct stat from {};
    if (Sys().Fstat(fdFrom, &from) != 0 || !Reserve(fdTo, from.st_size))
        return false;
    off_t nAt = 0;
    for (;;) {
        const ssize_t n = Sys().Pread(fdFrom, pBuffer, kBufferSize, nAt);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            break;
        if (!WriteAll(fdTo, pBuffer, static_cast<std::size_t>(n)))
            return false;
        nAt += n;
    }
    return Sys().Ftruncate(fdTo, nAt) == 0 && Sys().Fsync(fdTo) == 0;
}

// FillFrom with the source named; errno kept from the step that failed.
bool FillFromFile(const std::string& from, int fdTo, char* pBuffer)
{
    const int fdFrom = OpenFile(from, O_RDONLY);
    if (fdFrom < 0)
        return false;
    const bool bOk = FillFrom(fdFrom, fdTo, pBuffer);
    const int nError = errno;
    CloseFile(fdFrom);
    errno = nError;
    return bOk;
}

// Puts the journal's contents back into the file the path names, in place.
bool PutBack(const std::string& strJournal, const std::string& strTarget, char* pBuffer)
{
    const int fdTo = OpenFile(strTarget, O_WRONLY);
    if (fdTo < 0)
        return false;
    bool bOk = FillFromFile(strJournal, fdTo, pBuffer);
    const int nError = errno;
    bOk = CloseFile(fdTo) && bOk;
    if (bOk)
        bOk = Sys().Unlink(strJournal.c_str()) == 0;
    errno = bOk ? 0 : nError;
    return bOk;
}

// The names a save's own files beside the target begin with: ".NAME.", and
// ".SHORT." where the writer had to shorten a long name.
std::vector<std::string> PrefixesOf(const std::string& strTarget)
{
    const std::string strName = fs::path(strTarget).filename().string();
    std::vector<std::string> prefixes{"." + strName + "."};
    if (strName.size() > kShortName)
        prefixes.push_back("." + strName.substr(0, kShortName) + ".");
    return prefixes;
}

// What mkstemp made of "XXXXXX".
bool IsUniqueTail(const std::string& tail)
{
    return tail.size() == 6 &&
           std::all_of(tail.begin(), tail.end(), [](char c) { return std::isalnum(static_cast<unsigned char>(c)); });
}

// A save's temporary file (".NAME.XXXXXX"), or a journal it was still
// writing (".NAME.oldXXXXXX"): only a copy, never the only one.
bool IsTemporaryTail(const std::string& tail)
{
    return IsUniqueTail(tail) || (tail.size() == 9 && tail.compare(0, 3, "old") == 0 && IsUniqueTail(tail.substr(3)));
}

// What a save of strTarget can have left beside it: its temporary files and
// journals (".NAME.old-INODE"), by name. A backup of new contents that a
// message named (".NAME.new-XXXXXX") is neither.
void ListLeftovers(const std::string& strTarget, std::vector<std::string>& temporaries,
                   std::vector<std::string>& journals)
{
    const std::string strDirectory = DirectoryOf(strTarget);
    DIR* pDirectory = opendir(strDirectory.c_str());
    if (pDirectory == nullptr)
        return;
    const std::vector<std::string> prefixes = PrefixesOf(strTarget);
    while (const dirent* pEntry = readdir(pDirectory)) {
        const std::string name = pEntry->d_name;
        for (const std::string& prefix : prefixes) {
            if (name.compare(0, prefix.size(), prefix) != 0)
                continue;
            const std::string tail = name.substr(prefix.size());
            const std::string path = (fs::path(strDirectory) / name).string();
            if (IsTemporaryTail(tail))
                temporaries.push_back(path);
            else if (tail.compare(0, 4, "old-") == 0)
                journals.push_back(path);
        }
    }
    closedir(pDirectory);
}

}  // namespace

std::string JournalPath(const std::string& strTarget, unsigned long long nInode)
{
    const std::string strName = fs::path(strTarget).filename().string();
    const std::string strShort = strName.size() > kShortName ? strName.substr(0, kShortName) : strName;
    return (fs::path(DirectoryOf(strTarget)) / ("." + strShort + ".old-" + std::to_string(nInode))).string();
}

SSaveRecovery safe_file::RecoverLockedTarget(const std::string& strTarget)
{
    SSaveRecovery recovery;
    struct stat target {};
    if (Sys().Stat(strTarget.c_str(), &target) != 0)
        return recovery;
    std::vector<std::string> temporaries, journals;
    ListLeftovers(strTarget, temporaries, journals);
    const std::string strOwn = JournalPath(strTarget, static_cast<unsigned long long>(target.st_ino));
    for (const std::string& journal : journals) {
        if (journal != strOwn) {
            recovery.arrOtherJournals.push_back(journal);
            continue;
        }
        const auto pBuffer = std::make_unique<char[]>(kBufferSize);
        const CSignalsHeld held;
        recovery.strJournal = journal;
        recovery.bRestored = PutBack(journal, strTarget, pBuffer.get());
        recovery.nError = errno;
        if (recovery.bRestored)
            SyncDirectory(DirectoryOf(strTarget));
    }
    for (const std::string& temporary : temporaries)
        if (Sys().Unlink(temporary.c_str()) == 0)
            recovery.arrRemoved.push_back(temporary);
    return recovery;
}

SSaveRecovery RecoverInterruptedSave(const std::string& path)
{
    std::string strTarget;
    int fdLock = -1;
    // Only a file whose lock this process holds: another process's save of
    // it (which holds the lock) has its own journal and files beside it.
    if (!ResolveLinks(path, strTarget) || TryLockFile(strTarget, fdLock) != LOCK_HELD)
        return SSaveRecovery{};
    SSaveRecovery recovery = RecoverLockedTarget(strTarget);
    CloseFile(fdLock);
    return recovery;
}

// The old contents, copied from the open target into a journal beside it
// and synced, name and all. False (errno set) when they could not be: the
// target is then untouched and nothing is left beside it.
bool CSafeFileWriter::KeepOldContents(int fdTarget, const struct stat& target, std::string& strJournal)
{
    std::string strTemplate = m_strTemporary.substr(0, m_strTemporary.size() - 6) + "oldXXXXXX";
    const int fd = MakeTemporary(strTemplate);
    if (fd < 0)
        return false;
    bool bOk = FillFrom(fdTarget, fd, m_pBuffer.get());
    int nError = errno;
    bOk = CloseFile(fd) && bOk;
    strJournal = JournalPath(m_strTarget, static_cast<unsigned long long>(target.st_ino));
    if (bOk && Sys().Rename(strTemplate.c_str(), strJournal.c_str()) == 0) {
        if (SyncDirectory(DirectoryOf(m_strTarget)) != DIRECTORY_FAILED)
            return true;
        nError = errno;
        RemoveFile(strJournal);
    } else if (bOk) {
        nError = errno;
    }
    RemoveFile(strTemplate);
    errno = nError;
    return false;
}

// The temporary file holds the complete new contents, synced. The old ones
// go to a journal; then the target is overwritten from its start, cut to
// the new length and synced, with the signals held, and the journal goes.
// The temporary file is removed once the target has been read back equal
// to it; until then it is the backup of the new contents.
CommitResult CSafeFileWriter::OverwriteInPlace(const struct stat& target)
{
    // Held from before the journal is made until the target is whole: a
    // signal then finds either no journal or the old or the new file.
    const CSignalsHeld held;
    if (SyncDirectory(DirectoryOf(m_strTarget)) == DIRECTORY_FAILED)
        return SystemFailure();
    const int fdTo = OpenFile(m_strTarget, O_RDWR);
    if (fdTo < 0)
        return SystemFailure();
    // Opening does not change a file: the one opened must still be the one
    // just checked, else it is left alone.
    struct stat opened {};
    const bool bOpenedKnown = Sys().Fstat(fdTo, &opened) == 0;
    m_nError = errno;
    std::string strJournal;
    if (!bOpenedKnown || !(IdentityOf(opened) == IdentityOf(target)) || !KeepOldContents(fdTo, target, strJournal)) {
        const bool bChanged = bOpenedKnown && !(IdentityOf(opened) == IdentityOf(target));
        if (bOpenedKnown && !bChanged)
            m_nError = errno;
        CloseFile(fdTo);
        return Fail(bChanged ? COMMIT_CHANGED : COMMIT_FAILED);
    }
    ForgetTemporary();
    return WriteOverJournalled(fdTo, strJournal);
}

// The journal holds the old contents: the new ones are written over the
// target, opened as fdTo; a failure puts the old ones back.
CommitResult CSafeFileWriter::WriteOverJournalled(int fdTo, const std::string& strJournal)
{
    bool bOk = FillFromFile(m_strTemporary, fdTo, m_pBuffer.get());
    if (!bOk)
        m_nError = errno;
    struct stat written {};
    const bool bWrittenKnown = bOk && Sys().Fstat(fdTo, &written) == 0;
    if (!CloseFile(fdTo) && bOk) {
        m_nError = errno;
        bOk = false;
    }
    if (!bOk) {
        if (PutBack(strJournal, m_strTarget, m_pBuffer.get()))
            return Fail(COMMIT_FAILED);  // the old contents, whole again
        return KeepBackup();  // the journal stays for the next process
    }
    RemoveFile(strJournal);
    if (!SameContents(m_strTarget, m_strTemporary) || Sys().Unlink(m_strTemporary.c_str()) != 0) {
        return KeepBackup();
    }
    m_strTemporary.clear();
    if (bWrittenKnown)
        m_written = IdentityOf(written);
    return COMMIT_WRITTEN;
}

// The temporary file holds the only complete copy of the new contents: it is
// kept, under a name (".NAME.new-XXXXXX") that a later save leaves alone.
CommitResult CSafeFileWriter::KeepBackup()
{
    const std::size_t nStem = m_strTemporary.size() - 6;
    const std::string strKept = m_strTemporary.substr(0, nStem) + "new-" + m_strTemporary.substr(nStem);
    const bool bRenamed = Sys().Rename(m_strTemporary.c_str(), strKept.c_str()) == 0;
    m_strBackup = bRenamed ? strKept : m_strTemporary;
    m_strTemporary.clear();
    return COMMIT_FAILED_BACKUP_KEPT;
}
