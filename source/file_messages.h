// The messages that say a file could not be opened or written, with the
// system's reason where a system call gave one.
#pragma once

#include <string>

#include "result.h"

// The system's text for an errno value ("No space left on device").
std::string SystemReason(int nError);

// The reader's reason for a name that is no regular file (a device, a FIFO,
// a socket), which no errno value says.
constexpr int kNotRegularFile = -1;

// "Unable to open file": string 176 for kNotRegularFile, string 2, or string 63 with the reason when nError
// is not 0.
SMessage CannotOpenFile(const std::string& path, int nError);

// "Unable to write to file ... Press OK to save under a different name":
// string 25, or string 64 with the reason when nError is not 0.
SMessage CannotWriteFile(const std::string& path, int nError);
