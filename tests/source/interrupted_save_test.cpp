// A save interrupted by a signal: the handler removes the temporary file the
// writer registered and ends the process with the signal. Each case runs in
// a child process, which the signal ends.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <string>

#include "faulty_system_calls.h"
#include "interrupted_save.h"
#include "safe_file_writer.h"
#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;

// Runs body in a child process; its wait status.
int InChild(const std::function<void()>& body)
{
    const pid_t pid = fork();
    if (pid == 0) {
        body();
        _exit(0);
    }
    int nStatus = 0;
    EXPECT_EQ(waitpid(pid, &nStatus, 0), pid);
    return nStatus;
}

bool EndedBy(int nStatus, int nSignal)
{
    return WIFSIGNALED(nStatus) && WTERMSIG(nStatus) == nSignal;
}

TEST(InterruptedSave, EachSignalRemovesTheRegisteredFileAndEndsTheProcess)
{
    for (const int nSignal : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(nSignal);
        CTempDir dir;
        const std::string strTemporary = dir.Write(".t.for.abcdef", "half a copy");
        const int nStatus = InChild([&] {
            RemoveTemporaryFileOnSignals();
            RegisterTemporaryFile(strTemporary);
            raise(nSignal);
        });
        EXPECT_TRUE(EndedBy(nStatus, nSignal)) << "status " << nStatus;
        EXPECT_FALSE(fs::exists(strTemporary));
    }
}

TEST(InterruptedSave, AFileForgottenIsLeftAlone)
{
    CTempDir dir;
    const std::string strKept = dir.Write("kept.for", "the user's");
    const int nStatus = InChild([&] {
        RemoveTemporaryFileOnSignals();
        RegisterTemporaryFile(strKept);
        ForgetTemporaryFile();
        raise(SIGTERM);
    });
    EXPECT_TRUE(EndedBy(nStatus, SIGTERM));
    EXPECT_TRUE(fs::exists(strKept));
}

// nohup, or a background job of a shell: the signal was ignored before the
// program started, and stays so.
TEST(InterruptedSave, ASignalIgnoredAtStartStaysIgnored)
{
    CTempDir dir;
    const std::string strTemporary = dir.Write(".t.for.abcdef", "half a copy");
    const int nStatus = InChild([&] {
        std::signal(SIGHUP, SIG_IGN);
        RemoveTemporaryFileOnSignals();
        RegisterTemporaryFile(strTemporary);
        raise(SIGHUP);
    });
    EXPECT_TRUE(WIFEXITED(nStatus) && WEXITSTATUS(nStatus) == 0) << "status " << nStatus;
    EXPECT_TRUE(fs::exists(strTemporary));
}

// The writer registers its temporary file while it holds a copy in the
// making, and forgets it once the file has taken the target's place, has
// been removed, or has become the only complete copy (the backup of a file
// overwritten in place).
TEST(InterruptedSave, TheWriterRegistersTheCopyOnlyWhileItIsAMereCopy)
{
    for (const bool bTwoNames : {false, true}) {
        SCOPED_TRACE(bTwoNames ? "overwritten in place" : "renamed over");
        CTempDir dir;
        const std::string strTarget = dir.Write("t.for", "old\n");
        if (bTwoNames)
            fs::create_hard_link(strTarget, dir.File("u.for"));
        CFaultySystemCalls calls(strTarget);
        CSystemCallsInstalled installed(&calls);
        std::string strWhileReplaced = "(not seen)";
        calls.Watch(bTwoNames ? Call::Write : Call::Rename, bTwoNames ? Role::Target : Role::Temporary,
                    [&] { strWhileReplaced = RegisteredTemporaryFile(); });
        {
            CSafeFileWriter writer;
            ASSERT_TRUE(writer.Begin(strTarget));
            EXPECT_EQ(RegisteredTemporaryFile(), writer.TemporaryPath());
            ASSERT_TRUE(writer.Write("new\n"));
            ASSERT_EQ(writer.Commit(nullptr), COMMIT_WRITTEN);
            EXPECT_EQ(RegisteredTemporaryFile(), "");
        }
        if (bTwoNames)
            EXPECT_EQ(strWhileReplaced, "") << "the backup must outlive a signal while the file is overwritten";
        else
            EXPECT_NE(strWhileReplaced, "") << "until renamed, the copy is only a copy";
    }
    CTempDir dir;
    CSafeFileWriter writer;
    ASSERT_TRUE(writer.Begin(dir.File("n.for")));
    writer.Abandon();
    EXPECT_EQ(RegisteredTemporaryFile(), "");
}

}  // namespace
