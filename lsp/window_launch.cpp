#include "window_launch.h"

#include <cerrno>
#include <cstring>

#ifdef _WIN32
#include <process.h>

#include "windows_api.h"
#else
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

std::vector<char*> ArgumentVector(const std::string& strProgram, const std::vector<std::string>& args)
{
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(strProgram.c_str()));
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    return argv;
}

}  // namespace

std::string QuotedArgument(const std::string& arg)
{
    if (!arg.empty() && arg.find_first_of(" \t\n\v\"") == std::string::npos)
        return arg;
    // Backslashes are doubled only before a quote (and before the closing
    // one); a quote is escaped with one more.
    std::string quoted = "\"";
    std::size_t nBackslashes = 0;
    for (const char c : arg) {
        if (c == '\\') {
            ++nBackslashes;
            continue;
        }
        quoted.append(c == '"' ? 2 * nBackslashes + 1 : nBackslashes, '\\');
        quoted += c;
        nBackslashes = 0;
    }
    quoted.append(2 * nBackslashes, '\\');
    return quoted + '"';
}

#ifdef _WIN32

// _spawnvp joins the words with spaces, as they stand: each is quoted first.
// The program would inherit the handles of standard input and output, the
// protocol's: the editor's messages must not be read by the window, nor
// what the window writes reach the editor, so they are not handed down.
bool StartDetached(const std::string& strProgram, const std::vector<std::string>& args, std::string& strWhy)
{
    for (const DWORD nHandle : {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE})
        SetHandleInformation(GetStdHandle(nHandle), HANDLE_FLAG_INHERIT, 0);
    std::vector<std::string> quoted;
    for (const std::string& arg : args)
        quoted.push_back(QuotedArgument(arg));
    const std::string program = QuotedArgument(strProgram);
    std::vector<char*> argv = ArgumentVector(program, quoted);
    if (_spawnvp(_P_DETACH, strProgram.c_str(), argv.data()) != -1)
        return true;
    strWhy = std::strerror(errno);
    return false;
}

#else

// The grandchild runs the program; the child it was forked from ends at
// once and is waited for, so the program belongs to init, not to the
// server. A pipe closed on exec tells whether exec failed, and why.
bool StartDetached(const std::string& strProgram, const std::vector<std::string>& args, std::string& strWhy)
{
    std::vector<char*> argv = ArgumentVector(strProgram, args);
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        strWhy = std::strerror(errno);
        return false;
    }
    const pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        setsid();
        if (fork() == 0) {
            // the editor's messages must not be read by the window: standard
            // input and output are the protocol's
            const int null = open("/dev/null", O_RDWR);
            dup2(null, 0);
            dup2(null, 1);
            execvp(argv[0], argv.data());
            const int nError = errno;
            [[maybe_unused]] const auto n = write(fds[1], &nError, sizeof nError);
            _exit(127);
        }
        _exit(0);
    }
    close(fds[1]);
    int nError = child < 0 ? errno : 0;
    if (child > 0) {
        waitpid(child, nullptr, 0);
        if (read(fds[0], &nError, sizeof nError) != sizeof nError)
            nError = 0;  // exec closed the pipe: the program runs
    }
    close(fds[0]);
    if (nError == 0)
        return true;
    strWhy = std::strerror(nError);
    return false;
}

#endif
