#include "safe_file_writer.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "interrupted_save.h"
#include "safe_file_platform.h"

namespace fs = std::filesystem;
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
#if !defined(_WIN32)
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
#endif
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
    const fs::path directory(DirectoryOf(m_strTarget));
    m_fd = MakeUnnamed(directory.string());
    m_bUnnamed = m_fd >= 0;
    if (m_bUnnamed) {
        m_strTemporary.clear();
        return true;
    }
    const std::string strName = fs::path(m_strTarget).filename().string();
    for (const std::size_t nKeep : {strName.size(), std::min(strName.size(), kShortName)}) {
        std::string strTemplate = (directory / ("." + strName.substr(0, nKeep) + kTemporaryMark + "XXXXXX")).string();
        const CSignalsHeld held;  // until the file made is registered
        m_fd = MakeTemporary(strTemplate);
        if (m_fd >= 0) {
            m_strTemporary = strTemplate;
            RegisterTemporaryFile(m_strTemporary);
            m_bRegistered = true;
            return true;
        }
        m_nError = errno;
        if (m_nError != ENAMETOOLONG)
            break;
    }
    m_strTemporary.clear();
    return false;
}

bool CSafeFileWriter::Flush()
{
    if (!m_bFailed && m_nBuffered > 0 && !WriteAll(m_fd, m_pBuffer.get(), m_nBuffered)) {
        m_nError = errno;
        m_bFailed = true;
    }
    m_nBuffered = 0;
    return !m_bFailed;
}

bool CSafeFileWriter::Write(const char* pData, std::size_t nSize)
{
    if (m_fd < 0 || m_bFailed)
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

// The temporary file no longer holds a mere copy in the making: a signal
// must leave it alone.
void CSafeFileWriter::ForgetTemporary()
{
    if (m_bRegistered)
        ForgetTemporaryFile();
    m_bRegistered = false;
}

void CSafeFileWriter::Abandon()
{
    m_bUnnamed = false;
    if (m_fd >= 0) {
        CloseFile(m_fd);
        m_fd = -1;
    }
    if (!m_strTemporary.empty()) {
        RemoveFile(m_strTemporary);
        m_strTemporary.clear();
    }
    // Forgotten once removed: a signal in between finds nothing to remove.
    ForgetTemporary();
#if !defined(_WIN32)
    Unlock();
#endif
}
