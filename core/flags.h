// Process-wide flags, set once by start-up from the command line.
#pragma once

#include <string>

struct CProcessFlags {
    int m_bDebug = 0;             // -d:1:LOG: messages go to the log, OK is pressed by itself
    int m_bStrictTable = 0;       // -fps4: the descriptor classifier reads the strict table
    int m_bCommandLineError = 0;  // the command line was rejected
    std::string m_strDebugLog;    // the debug log's file name; empty unless in debug mode
};

// The one instance for the whole run.
CProcessFlags& ProcessFlags();
