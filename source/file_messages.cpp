#include "file_messages.h"

#include <system_error>

#include "safe_file_writer.h"
#include "string_table.h"

std::string SystemReason(int nError)
{
    return std::generic_category().message(nError);
}

SMessage CannotOpenFile(const std::string& path, int nError)
{
    if (nError == kNotRegularFile)
        return Message(IDS_CANNOT_OPEN_NOT_REGULAR, path);
    return nError != 0 ? Message(IDS_CANNOT_OPEN_FILE_BECAUSE, path, SystemReason(nError))
                       : Message(IDS_CANNOT_OPEN_FILE, path);
}

SMessage CannotWriteFile(const std::string& path, int nError)
{
    return nError != 0 ? Message(IDS_CANNOT_WRITE_BECAUSE, path, SystemReason(nError))
                       : Message(IDS_CANNOT_WRITE, path);
}

std::vector<SMessage> RecoveryNotes(const SSaveRecovery& recovery, const std::string& path)
{
    std::vector<SMessage> notes;
    if (recovery.bRestored)
        notes.push_back(Message(IDS_INTERRUPTED_SAVE_PUT_BACK, path, recovery.strJournal));
    for (const std::string& removed : recovery.arrRemoved)
        notes.push_back(Message(IDS_INTERRUPTED_SAVE_REMOVED, removed, path));
    return notes;
}

CResult RecoveryFailure(const SSaveRecovery& recovery, const std::string& path)
{
    if (recovery.strJournal.empty() || recovery.bRestored)
        return CResult();
    return CResult(Message(IDS_INTERRUPTED_SAVE_NOT_PUT_BACK, path, SystemReason(recovery.nError), recovery.strJournal));
}
