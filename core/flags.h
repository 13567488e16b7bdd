// The run's flags, set by start-up from the command line. The application
// object owns them (app/run_context.h); the messages read them.
#pragma once

#include <string>

struct CProcessFlags {
    int m_bDebug = 0;             // -d:1:LOG: messages go to the log, OK is pressed by itself
    int m_bStrictTable = 0;       // -fps4: the descriptor classifier reads the strict table
    int m_bCommandLineError = 0;  // the command line was rejected
    std::string m_strDebugLog;    // the debug log's file name; empty unless in debug mode
    int m_bNoDisplay = 0;         // the run draws off screen for want of a display: nothing
                                  // is shown to a user, so no help viewer is started
    // The echo of the messages on standard error: on, every message shown or
    // logged is also written there as one line that names the source file as
    // the command line gave it, and the message's line or else the
    // statement's first line (the line asked for until the statement is
    // located; 0 for none).
    int m_bEchoMessages = 0;
    std::string m_strSourceFile;
    long long m_nStatementLine = 0;
    // The line asked for as its word gave it (its digits), until the
    // statement is located: the echo names a line beyond any count as given.
    std::string m_strGivenLine;
};
