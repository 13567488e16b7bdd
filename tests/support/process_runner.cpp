#include "process_runner.h"

#include "temp_dir.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

extern char** environ;

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

    // An extra entry replaces the inherited one of the same name.
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
    // Prepared before the fork: the child only makes system calls.
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(strProgram.c_str()));
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (const std::string& e : environment)
        envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);

    process.pid = fork();
    if (process.pid == 0) {
        // The program starts as from a terminal, whatever this test's
        // runner ignores or blocks (a shell's background job ignores SIGINT).
        for (const int nSignal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT})
            signal(nSignal, SIG_DFL);
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        const int fdOut = open(strOut.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int fdErr = open(strErr.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int fdIn = open("/dev/null", O_RDONLY);
        if (fdOut < 0 || fdErr < 0 || fdIn < 0 || dup2(fdOut, 1) < 0 || dup2(fdErr, 2) < 0 || dup2(fdIn, 0) < 0)
            _exit(127);
        if (!strWorkDir.empty() && chdir(strWorkDir.c_str()) != 0)
            _exit(127);
        execve(strProgram.c_str(), argv.data(), envp.data());
        _exit(127);
    }
    return process;
}

SProcessResult WaitProcess(SStartedProcess& process, int nTimeoutSeconds)
{
    SProcessResult result;
    const pid_t pid = process.pid;
    // A process that outlives the time allowed is killed, so that a hang
    // fails the test instead of stopping the suite.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(nTimeoutSeconds);
    int nStatus = 0;
    pid_t nWaited = 0;
    while (pid > 0 && nWaited == 0) {
        nWaited = waitpid(pid, &nStatus, WNOHANG);
        if (nWaited == 0 && std::chrono::steady_clock::now() >= deadline) {
            kill(pid, SIGKILL);
            nWaited = waitpid(pid, &nStatus, 0);
        } else if (nWaited == 0) {
            usleep(5000);
        }
    }
    if (pid > 0 && nWaited == pid) {
        if (WIFEXITED(nStatus))
            result.nExitStatus = WEXITSTATUS(nStatus);
        else if (WIFSIGNALED(nStatus))
            result.nSignal = WTERMSIG(nStatus);
    }
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
