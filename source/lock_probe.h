// Whether another program holds the lock a save takes on a file, asked
// without waiting, so that a front end can say that a save will wait.
#pragma once

#include <string>

// True when the file the path names exists and another process holds its
// lock now; false otherwise (no file, no locks on this system, or free).
bool IsLockHeldByAnother(const std::string& path);
