// <windows.h> as the project includes it: without the min and max macros,
// which would break std::min and std::max, and without the rarely used
// parts of the API. Includes nothing elsewhere.
#pragma once

#if defined(_WIN32)
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#endif
