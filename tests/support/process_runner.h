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

struct SPipeResult {
    bool bEndOfOutput = false;  // the pipe reached its end within the time
    int nExitStatus = -1;       // as in SProcessResult; -1 too when it was killed
    int nSignal = 0;
    std::string strOutput;  // standard output and error, as they came
};

// Runs the program as an editor or a shell's $(...) does: its standard
// output and error on one pipe, read to the end, which comes only when every
// process holding the pipe has let it go (the program and whatever it left
// running). Reading stops after nTimeoutSeconds; the program is then killed
// if it still runs.
SPipeResult RunProcessThroughPipe(const std::string& strProgram, const std::vector<std::string>& args,
                                  const std::vector<std::string>& extraEnvironment, int nTimeoutSeconds);

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

// The program of that name on PATH; empty when there is none.
std::string FindOnPath(const std::string& name);
