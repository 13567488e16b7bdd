// What the safe file writer asks of the system, written once for POSIX
// (safe_file_writer_posix.cpp) and once for Windows
// (safe_file_writer_windows.cpp). The steps that are the same on both
// (Begin, Write, Abandon) are in safe_file_writer.cpp; Commit differs and
// is written once for each: on POSIX it may overwrite a file in place under
// a journal, on Windows a file is only ever replaced whole.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

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

#if !defined(_WIN32)
enum LockResult {
    LOCK_HELD,
    LOCK_NONE,       // nothing to lock, or no lock to be had here: the identity checks still apply
    LOCK_TIMED_OUT,  // another process held it too long
};

// Takes the lock of the file path names, held through fdLock until it is
// closed; waits a while for another Quillmark process's save of it to end.
LockResult LockFile(const std::string& path, int& fdLock);

// RecoverInterruptedSave with the file's lock held.
int RecoverLocked(const std::string& strTarget, std::string& strJournal);
#endif

}  // namespace safe_file
