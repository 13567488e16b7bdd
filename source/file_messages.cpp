#include "file_messages.h"

#include <system_error>

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
