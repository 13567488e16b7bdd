#include "lock_probe.h"

#if defined(_WIN32)

bool IsLockHeldByAnother(const std::string&)
{
    return false;
}

#else

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

bool IsLockHeldByAnother(const std::string& path)
{
    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0 && errno == EACCES)
        fd = open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return false;
    int nResult = 0;
    do
        nResult = flock(fd, LOCK_EX | LOCK_NB);
    while (nResult != 0 && errno == EINTR);
    const bool bHeld = nResult != 0 && errno == EWOULDBLOCK;
    close(fd);  // a lock taken here ends with the descriptor
    return bHeld;
}

#endif
