// Replaces a file safely: the new contents go into a temporary file beside
// the target, every write is checked, the data is synced, and one atomic
// rename puts it in place. At every instant the target holds either its old
// or its new contents; a failed attempt leaves no temporary file behind.
#pragma once

#include <memory>
#include <string>

class CSafeFileWriter {
public:
    CSafeFileWriter() = default;
    ~CSafeFileWriter();
    CSafeFileWriter(const CSafeFileWriter&) = delete;
    CSafeFileWriter& operator=(const CSafeFileWriter&) = delete;

    // Starts a replacement of target. A symbolic link is followed: the file
    // it points to is replaced, in its own directory. False when no
    // temporary file can be created there.
    bool Begin(const std::string& target);

    // Appends data; false once any write has failed.
    bool Write(const char* pData, std::size_t nSize);
    bool Write(const std::string& s) { return Write(s.data(), s.size()); }

    // Flushes, syncs, gives the temporary file the target's permission bits
    // (or the usual ones for a new file), and renames it over the target.
    // False when any step failed; the temporary file is then removed.
    bool Commit();

    // Removes the temporary file; the target stays as it was.
    void Abandon();

    // The file that is being replaced, links resolved.
    const std::string& ResolvedTarget() const { return m_strTarget; }
    const std::string& TemporaryPath() const { return m_strTemporary; }

private:
    bool Flush();

    int m_fd = -1;
    bool m_bFailed = false;
    std::string m_strTarget;
    std::string m_strTemporary;
    std::unique_ptr<char[]> m_pBuffer;
    std::size_t m_nBuffered = 0;
};
