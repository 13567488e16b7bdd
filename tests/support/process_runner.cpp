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

// What execve needs, prepared before the fork: the child only makes system
// calls.
class CExecImage {
public:
    CExecImage(const std::string& strProgram, const std::vector<std::string>& args,
               const std::vector<std::string>& extraEnvironment)
        : m_strProgram(strProgram), m_args(args), m_environment(ChildEnvironment(extraEnvironment))
    {
        m_argv.push_back(const_cast<char*>(m_strProgram.c_str()));
        for (const std::string& a : m_args)
            m_argv.push_back(const_cast<char*>(a.c_str()));
        m_argv.push_back(nullptr);
        for (const std::string& e : m_environment)
            m_envp.push_back(const_cast<char*>(e.c_str()));
        m_envp.push_back(nullptr);
    }

    // In the child, once its streams are in place: runs the program as from
    // a terminal, whatever this test's runner ignores or blocks (a shell's
    // background job ignores SIGINT).
    [[noreturn]] void Exec(const std::string& strWorkDir) const
    {
        for (const int nSignal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT})
            signal(nSignal, SIG_DFL);
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        if (!strWorkDir.empty() && chdir(strWorkDir.c_str()) != 0)
            _exit(127);
        execve(m_strProgram.c_str(), m_argv.data(), m_envp.data());
        _exit(127);
    }

private:
    std::string m_strProgram;
    std::vector<std::string> m_args;
    std::vector<std::string> m_environment;
    std::vector<char*> m_argv;
    std::vector<char*> m_envp;
};

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
        usleep(5000);
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

SStartedProcess StartProcess(const std::string& strProgram, const std::vector<std::string>& args,
                             const std::string& strWorkDir, const std::vector<std::string>& extraEnvironment)
{
    SStartedProcess process;
    char szTemplate[] = "/tmp/quillmark-run-XXXXXX";
    const char* pszDir = mkdtemp(szTemplate);
    if (pszDir == nullptr)
        return process;
    process.strDir = pszDir;
    const std::filesystem::path dir(pszDir);
    const std::string strOut = (dir / "out").string();
    const std::string strErr = (dir / "err").string();
    const CExecImage image(strProgram, args, extraEnvironment);

    process.pid = fork();
    if (process.pid == 0) {
        const int fdOut = open(strOut.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int fdErr = open(strErr.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int fdIn = open("/dev/null", O_RDONLY);
        if (fdOut < 0 || fdErr < 0 || fdIn < 0 || dup2(fdOut, 1) < 0 || dup2(fdErr, 2) < 0 || dup2(fdIn, 0) < 0)
            _exit(127);
        image.Exec(strWorkDir);
    }
    return process;
}

SProcessResult WaitProcess(SStartedProcess& process, int nTimeoutSeconds)
{
    SProcessResult result;
    if (process.pid > 0)
        AwaitExit(process.pid, nTimeoutSeconds * 1000LL, result.nExitStatus, result.nSignal);
    process.pid = -1;
    if (!process.strDir.empty()) {
        const std::filesystem::path dir(process.strDir);
        result.strOut = ReadWholeFile((dir / "out").string());
        result.strErr = ReadWholeFile((dir / "err").string());
        std::filesystem::remove_all(dir);
        process.strDir.clear();
    }
    return result;
}

SProcessResult RunProcess(const std::string& strProgram, const std::vector<std::string>& args,
                          const std::string& strWorkDir, const std::vector<std::string>& extraEnvironment,
                          int nTimeoutSeconds)
{
    SStartedProcess process = StartProcess(strProgram, args, strWorkDir, extraEnvironment);
    return WaitProcess(process, nTimeoutSeconds);
}

SPipeResult RunProcessThroughPipe(const std::string& strProgram, const std::vector<std::string>& args,
                                  const std::vector<std::string>& extraEnvironment, int nTimeoutSeconds)
{
    SPipeResult result;
    int fds[2];
    if (pipe(fds) != 0)
        return result;
    const CExecImage image(strProgram, args, extraEnvironment);
    const pid_t pid = fork();
    if (pid == 0) {
        const int fdIn = open("/dev/null", O_RDONLY);
        if (fdIn < 0 || dup2(fdIn, 0) < 0 || dup2(fds[1], 1) < 0 || dup2(fds[1], 2) < 0)
            _exit(127);
        close(fds[0]);
        close(fds[1]);
        image.Exec(std::string());
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

std::string FindOnPath(const std::string& name)
{
    const char* path = std::getenv("PATH");
    std::stringstream dirs(path != nullptr ? path : "");
    for (std::string dir; std::getline(dirs, dir, ':');) {
        const std::filesystem::path candidate = std::filesystem::path(dir) / name;
        std::error_code ec;
        if (!dir.empty() && std::filesystem::is_regular_file(candidate, ec))
            return candidate.string();
    }
    return std::string();
}
