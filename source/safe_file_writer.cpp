#include "safe_file_writer.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "interrupted_save.h"
#include "safe_file_platform.h"

using namespace safe_file;

CSafeFileWriter::~CSafeFileWriter()
{
    Abandon();
}

bool CSafeFileWriter::Begin(const std::string& target)
{
    Abandon();
    m_strBackup.clear();
    m_written = SFileIdentity{};
    m_nError = 0;
    m_strTarget = target;
    if (!ResolveLinks(target, m_strTarget)) {
        m_nError = errno;
        return false;
    }
    // Held from before the target is read until it has been replaced.
    const LockResult lock = LockFile(m_strTarget, m_fdLock);
    if (lock == LOCK_TIMED_OUT) {
        m_nError = EWOULDBLOCK;
        return false;
    }
    // Only under the lock: without it, what lies beside the file may be
    // another save's work in progress.
    if (lock == LOCK_HELD && RecoverLocked(m_strTarget, m_strBackup) == RECOVERY_FAILED) {
        m_nError = errno;
        Abandon();
        return false;
    }
    m_strBackup.clear();
    if (!CreateTemporary()) {
        Abandon();
        return false;
    }
    m_bFailed = false;
    m_nBuffered = 0;
    if (!m_pBuffer)
        m_pBuffer = std::make_unique<char[]>(kBufferSize);
    return true;
}

// Creates the temporary file beside the target, under a shorter name where
// the full one is too long for the file system.
bool CSafeFileWriter::CreateTemporary()
{
    m_temp.fd = MakeUnnamed(DirectoryOf(m_strTarget));
    m_temp.bUnnamed = m_temp.fd >= 0;
    if (m_temp.bUnnamed) {
        m_temp.path.clear();
        return true;
    }
    for (const bool bShort : {false, true}) {
        std::string strTemplate = PathBeside(m_strTarget, bShort, std::string(kTemporaryMark) + "XXXXXX");
        const CSignalsHeld held;  // until the file made is registered
        m_temp.fd = MakeTemporary(strTemplate);
        if (m_temp.fd >= 0) {
            m_temp.path = strTemplate;
            Register(m_temp);
            return true;
        }
        m_nError = errno;
        if (m_nError != ENAMETOOLONG)
            break;
    }
    m_temp.path.clear();
    return false;
}

bool CSafeFileWriter::Flush()
{
    if (!m_bFailed && m_nBuffered > 0 && !WriteAll(m_temp.fd, m_pBuffer.get(), m_nBuffered)) {
        m_nError = errno;
        m_bFailed = true;
    }
    m_nBuffered = 0;
    return !m_bFailed;
}

bool CSafeFileWriter::Write(const char* pData, std::size_t nSize)
{
    if (m_temp.fd < 0 || m_bFailed)
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

void CSafeFileWriter::Abandon()
{
    m_temp.bUnnamed = false;
    if (m_temp.fd >= 0) {
        CloseFile(m_temp.fd);
        m_temp.fd = -1;
    }
    if (!m_temp.path.empty()) {
        RemoveFile(m_temp.path);
        m_temp.path.clear();
    }
    // Forgotten once removed: a signal in between finds nothing to remove.
    Forget(m_temp);
    Unlock();
}

void CSafeFileWriter::Unlock()
{
    if (m_fdLock >= 0) {
        CloseFile(m_fdLock);  // closing lets the lock go
        m_fdLock = -1;
    }
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

// Whatever came of the steps, the temporary file goes (unless it took the
// target's place) and the lock is let go; Error() tells the errno recorded
// where the failing call was made.
CommitResult CSafeFileWriter::CommitLocked(const SFileIdentity* pExpected)
{
    m_written = SFileIdentity{};
    if (m_temp.fd < 0)
        return COMMIT_FAILED;
    SOutcome outcome = CommitSteps(pExpected);
    m_nError = outcome.nError;
    m_strBackup = std::move(outcome.strBackup);
    m_written = outcome.written;
    Abandon();
    return outcome.result;
}

SOutcome CSafeFileWriter::CommitSteps(const SFileIdentity* pExpected)
{
    if (!Flush())
        return Failed(m_nError);
    SFinished finished;
    if (!FinishCopy(m_temp, m_strTarget, finished))
        return Failed(errno);
    // The last look at the target before it is replaced: still the file that
    // was read? Another program's changes are never overwritten. Another
    // Quillmark process's save waits for the lock this writer holds.
    STargetNow now;
    if (!LookAtTarget(m_strTarget, now))
        return Failed(errno);
    const bool bCheck = pExpected != nullptr && pExpected->bKnown;
    if (bCheck && (!now.bExists || !(now.identity == *pExpected)))
        return {COMMIT_CHANGED, 0, {}, {}};
    return PutInPlace(m_temp, {m_strTarget, bCheck ? pExpected : nullptr, m_fdLock, m_pBuffer.get(), finished, now});
}

#if !defined(_WIN32)
CopyResult CSafeFileWriter::Append(int fdSource, long long nFrom, long long nLength, long long& nCopied)
{
    nCopied = 0;
    if (m_temp.fd < 0 || !Flush())
        return COPY_WRITE_FAILED;
    long long nAt = nFrom;
    const CopyResult result = AppendFrom(fdSource, nAt, nLength, m_temp.fd, m_pBuffer.get());
    if (result != COPY_DONE) {
        m_nError = errno;
        m_bFailed = true;
    }
    nCopied = nAt - nFrom;
    return result;
}
#endif

RecoveryResult RecoverInterruptedSave(const std::string& path, std::string& strJournal)
{
    strJournal.clear();
    std::string strTarget;
    if (!ResolveLinks(path, strTarget))
        return RECOVERY_NONE;
    int fdLock = -1;
    if (LockFile(strTarget, fdLock) != LOCK_HELD)
        return RECOVERY_NONE;  // a save in progress (or no locks here): its journal is not a leftover
    const RecoveryResult result = RecoverLocked(strTarget, strJournal);
    const int nError = errno;
    CloseFile(fdLock);
    errno = nError;
    return result;
}
