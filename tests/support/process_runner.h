// Runs a program as its own process and collects what it printed.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

struct SProcessResult {
    int nExitStatus = -1;  // the exit status, or -1 when the process did not exit normally
    int nSignal = 0;       // the signal that ended it, if any
    std::string strOut;
    std::string strErr;
};

// Runs program with args (no shell), in strWorkDir when not empty, with
// extra environment entries "NAME=value" added to the current environment
// (replacing an inherited entry of the same name). A process still running
// after nTimeoutSeconds is killed (nSignal tells).
SProcessResult RunProcess(const std::string& strProgram, const std::vector<std::string>& args,
                          const std::string& strWorkDir = std::string(),
                          const std::vector<std::string>& extraEnvironment = {}, int nTimeoutSeconds = 120);

// A process started and not yet waited for: several may run at once, and a
// test may signal one (kill(pid, ...)) while it runs.
struct SStartedProcess {
    pid_t pid = -1;
    std::string strDir;  // where its output is collected
};

SStartedProcess StartProcess(const std::string& strProgram, const std::vector<std::string>& args,
                             const std::string& strWorkDir = std::string(),
                             const std::vector<std::string>& extraEnvironment = {});

// Waits for a started process to end (killing it after nTimeoutSeconds) and
// collects its result.
SProcessResult WaitProcess(SStartedProcess& process, int nTimeoutSeconds = 120);
