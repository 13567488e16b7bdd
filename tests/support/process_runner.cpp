#include "process_runner.h"

#include "temp_dir.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

extern char** environ;

namespace {

// The current environment with the extra entries; an extra entry replaces
// the inherited one of the same name.
std::vector<std::string> ChildEnvironment(const std::vector<std::string>& extraEnvironment)
{
    std::vector<std::string> environment;
    for (char** p = environ; *p != nullptr; ++p) {
        const std::string strEntry(*p);
        const std::string strName = strEntry.substr(0, strEntry.find('=') + 1);
        bool bReplaced = false;
        for (const std::string& e : extraEnvironment)
            bReplaced = bReplaced || e.compare(0, strName.size(), strName) == 0;
        if (!bReplaced)
            environment.push_back(strEntry);
    }
    environment.insert(environment.end(), extraEnvironment.begin(), extraEnvironment.end());
    return environment;
}

// In the child, once its streams are in place: runs the program.
[[noreturn]] void ExecProgram(const std::string& strProgram, const std::vector<std::string>& args,
                              const std::string& strWorkDir, const std::vector<std::string>& environment)
{
    if (!strWorkDir.empty() && chdir(strWorkDir.c_str()) != 0)
        _exit(127);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(strProgram.c_str()));
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (const std::string& e : environment)
        envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    execve(strProgram.c_str(), argv.data(), envp.data());
    _exit(127);
}

long long NowMs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// Waits for the process to end and takes its exit status or the signal that
// ended it. A process still running after nTimeoutMs is killed, so that a
// hang fails the test instead of stopping the suite.
void AwaitExit(pid_t pid, long long nTimeoutMs, int& nExitStatus, int& nSignal)
{
    const long long nDeadline = NowMs() + nTimeoutMs;
    int nStatus = 0;
    pid_t nWaited = waitpid(pid, &nStatus, WNOHANG);
    while (nWaited == 0 && NowMs() < nDeadline) {
        usleep(20000);
        nWaited = waitpid(pid, &nStatus, WNOHANG);
    }
    if (nWaited == 0) {
        kill(pid, SIGKILL);
        nWaited = waitpid(pid, &nStatus, 0);
    }
    if (nWaited != pid)
        return;
    if (WIFEXITED(nStatus))
        nExitStatus = WEXITSTATUS(nStatus);
    else if (WIFSIGNALED(nStatus))
        nSignal = WTERMSIG(nStatus);
}

}  // namespace

SProcessResult RunProcess(const std::string& strProgram, const std::vector<std::string>& args,
                          const std::string& strWorkDir, const std::vector<std::string>& extraEnvironment,
                          int nTimeoutSeconds)
{
    SProcessResult result;
    char szTemplate[] = "/tmp/quillmark-run-XXXXXX";
    const char* pszDir = mkdtemp(szTemplate);
    if (pszDir == nullptr)
        return result;
    const std::filesystem::path dir(pszDir);
    const std::string strOut = (dir / "out").string();
    const std::string strErr = (dir / "err").string();
    const std::vector<std::string> environment = ChildEnvironment(extraEnvironment);

    const pid_t pid = fork();
    if (pid == 0) {
        const int fdOut = open(strOut.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int fdErr = open(strErr.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int fdIn = open("/dev/null", O_RDONLY);
        if (fdOut < 0 || fdErr < 0 || fdIn < 0 || dup2(fdOut, 1) < 0 || dup2(fdErr, 2) < 0 || dup2(fdIn, 0) < 0)
            _exit(127);
        ExecProgram(strProgram, args, strWorkDir, environment);
    }
    if (pid > 0)
        AwaitExit(pid, nTimeoutSeconds * 1000LL, result.nExitStatus, result.nSignal);
    result.strOut = ReadWholeFile(strOut);
    result.strErr = ReadWholeFile(strErr);
    std::filesystem::remove_all(dir);
    return result;
}

SPipeResult RunProcessThroughPipe(const std::string& strProgram, const std::vector<std::string>& args,
                                  const std::vector<std::string>& extraEnvironment, int nTimeoutSeconds)
{
    SPipeResult result;
    int fds[2];
    if (pipe(fds) != 0)
        return result;
    const std::vector<std::string> environment = ChildEnvironment(extraEnvironment);
    const pid_t pid = fork();
    if (pid == 0) {
        const int fdIn = open("/dev/null", O_RDONLY);
        if (fdIn < 0 || dup2(fdIn, 0) < 0 || dup2(fds[1], 1) < 0 || dup2(fds[1], 2) < 0)
            _exit(127);
        close(fds[0]);
        close(fds[1]);
        ExecProgram(strProgram, args, std::string(), environment);
    }
    close(fds[1]);
    // Read until every holder of the write end has let it go, or time is up.
    const long long nDeadline = NowMs() + nTimeoutSeconds * 1000LL;
    for (long long nLeft = nTimeoutSeconds * 1000LL; pid > 0 && nLeft > 0; nLeft = nDeadline - NowMs()) {
        pollfd poller{fds[0], POLLIN, 0};
        if (poll(&poller, 1, static_cast<int>(nLeft)) <= 0)
            continue;
        char buffer[4096];
        const ssize_t n = read(fds[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            result.bEndOfOutput = n == 0;
            break;
        }
        result.strOutput.append(buffer, static_cast<std::size_t>(n));
    }
    close(fds[0]);
    // The pipe's end may come a moment before the program can be waited for.
    if (pid > 0)
        AwaitExit(pid, std::max(nDeadline - NowMs(), 1000LL), result.nExitStatus, result.nSignal);
    return result;
}
