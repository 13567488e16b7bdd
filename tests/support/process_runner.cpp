#include "process_runner.h"

#include "temp_dir.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

extern char** environ;

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

    const pid_t pid = fork();
    if (pid == 0) {
        const int fdOut = open(strOut.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int fdErr = open(strErr.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int fdIn = open("/dev/null", O_RDONLY);
        if (fdOut < 0 || fdErr < 0 || fdIn < 0 || dup2(fdOut, 1) < 0 || dup2(fdErr, 2) < 0 || dup2(fdIn, 0) < 0)
            _exit(127);
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
    // A process that outlives the time allowed is killed, so that a hang
    // fails the test instead of stopping the suite.
    int nStatus = 0;
    pid_t nWaited = 0;
    for (int nTenths = 0; pid > 0 && nWaited == 0; ++nTenths) {
        nWaited = waitpid(pid, &nStatus, WNOHANG);
        if (nWaited == 0 && nTenths >= nTimeoutSeconds * 10) {
            kill(pid, SIGKILL);
            nWaited = waitpid(pid, &nStatus, 0);
        } else if (nWaited == 0) {
            usleep(100000);
        }
    }
    if (pid > 0 && nWaited == pid) {
        if (WIFEXITED(nStatus))
            result.nExitStatus = WEXITSTATUS(nStatus);
        else if (WIFSIGNALED(nStatus))
            result.nSignal = WTERMSIG(nStatus);
    }
    result.strOut = ReadWholeFile(strOut);
    result.strErr = ReadWholeFile(strErr);
    std::filesystem::remove_all(dir);
    return result;
}
