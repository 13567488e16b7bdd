// A save interrupted by a signal: the handler removes the temporary file the
// writer registered and ends the process with the signal. Each case runs in
// a child process, which the signal ends.
#include <gtest/gtest.h>
#include <pthread.h>
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

// A signal that comes while the signals are held is delivered once they are
// let go, and finds what was registered meanwhile.
TEST(InterruptedSave, ASignalWhileHeldComesAfterwards)
{
    CTempDir dir;
    const std::string strTemporary = dir.Write(".t.for.abcdef", "half a copy");
    const int nStatus = InChild([&] {
        RemoveTemporaryFileOnSignals();
        {
            const CSignalsHeld held;
            raise(SIGINT);
            RegisterTemporaryFile(strTemporary);
        }
        _exit(3);
    });
    EXPECT_TRUE(EndedBy(nStatus, SIGINT)) << "status " << nStatus;
    EXPECT_FALSE(fs::exists(strTemporary));
}

sigset_t InterruptSignals()
{
    sigset_t set;
    sigemptyset(&set);
    for (const int nSignal : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&set, nSignal);
    return set;
}

bool SignalsHeld()
{
    sigset_t now;
    sigemptyset(&now);
    pthread_sigmask(SIG_BLOCK, nullptr, &now);
    return sigismember(&now, SIGINT) == 1 && sigismember(&now, SIGTERM) == 1 && sigismember(&now, SIGHUP) == 1;
}

// A signal never falls between making the temporary file and registering
// it, nor between forgetting it and exchanging it with the file: the writer
// makes both steps with the signals held, and lets them go afterwards.
TEST(InterruptedSave, TheWriterHoldsTheSignalsWhileTheRegisteredNameChanges)
{
    const sigset_t interrupts = InterruptSignals();
    ASSERT_EQ(pthread_sigmask(SIG_UNBLOCK, &interrupts, nullptr), 0);
    CTempDir dir;
    const std::string strTarget = dir.Write("t.for", "old\n");
    SFileIdentity expected;
    ASSERT_TRUE(ReadFileIdentity(strTarget, expected));
    CFaultySystemCalls calls(strTarget);
    CSystemCallsInstalled installed(&calls);
    bool bHeldWhileMade = false;
    bool bHeldWhileExchanged = false;
    calls.Watch(Call::Mkstemp, Role::Temporary, [&] { bHeldWhileMade = SignalsHeld(); });
    SFault fault{Call::Renameat2, Role::Temporary, 1, FaultKind::ActFirst};
    fault.action = [&] { bHeldWhileExchanged = SignalsHeld(); };
    calls.Arm(fault);
    CSafeFileWriter writer;
    ASSERT_TRUE(writer.Begin(strTarget));
    EXPECT_TRUE(bHeldWhileMade);
    EXPECT_FALSE(SignalsHeld()) << "let go once the file is registered";
    ASSERT_TRUE(writer.Write("new\n"));
    ASSERT_EQ(writer.Commit(&expected), COMMIT_WRITTEN);
    EXPECT_TRUE(calls.Fired());
    EXPECT_TRUE(bHeldWhileExchanged);
    EXPECT_FALSE(SignalsHeld()) << "let go once exchanged";
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
