// A save interrupted by a signal: the handler removes the temporary file the
// writer registered and ends the process with the signal. Each case runs in
// a child process, which the signal ends.
#include <gtest/gtest.h>
#include <pthread.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
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
// making, and forgets it once the file has taken the target's place or has
// been removed. A file overwritten in place has its old contents in the
// journal beside it, on disk, before its first byte is written.
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
        bool bJournalThere = false;
        calls.Watch(bTwoNames ? Call::Write : Call::Rename, bTwoNames ? Role::Target : Role::Temporary, [&] {
            strWhileReplaced = RegisteredTemporaryFile();
            for (const auto& entry : fs::directory_iterator(dir.Path()))
                bJournalThere = bJournalThere || entry.path().filename().string().find(".qm-old-") != std::string::npos;
        });
        {
            CSafeFileWriter writer;
            ASSERT_TRUE(writer.Begin(strTarget));
            EXPECT_EQ(RegisteredTemporaryFile(), writer.TemporaryPath());
            ASSERT_TRUE(writer.Write("new\n"));
            ASSERT_EQ(writer.Commit(nullptr), COMMIT_WRITTEN);
            EXPECT_EQ(RegisteredTemporaryFile(), "");
        }
        if (bTwoNames)
            EXPECT_TRUE(bJournalThere) << "the old contents must outlive the process while the file is overwritten";
        else
            EXPECT_NE(strWhileReplaced, "") << "until renamed, the copy is only a copy";
    }
    CTempDir dir;
    CSafeFileWriter writer;
    ASSERT_TRUE(writer.Begin(dir.File("n.for")));
    writer.Abandon();
    EXPECT_EQ(RegisteredTemporaryFile(), "");
}

// Contents large enough that a save writes them in several pieces.
std::string LargeContents(const char* pszLine)
{
    std::string s;
    for (int i = 0; s.size() < 300000; ++i)
        s += std::string(pszLine) + std::to_string(i) + "\n";
    return s;
}

// A save of t.for (a second name u.for when bTwoNames) in a child process
// with the signal handlers installed, in which fault strikes; the child
// exits 0 when the save says it wrote the file and a signal was put off
// until it had, 1 otherwise, unless something ends it first.
// A file t.for of old contents (and u.for, a second name of it, when
// bTwoNames) in dir, and the new contents a save is to give it.
struct SSavedFile {
    std::string strOld = LargeContents("old ");
    std::string strNew = LargeContents("new ");
    std::string strTarget;

    SSavedFile(CTempDir& dir, bool bTwoNames) : strTarget(dir.Write("t.for", strOld))
    {
        if (bTwoNames)
            fs::create_hard_link(strTarget, dir.File("u.for"));
    }
};

int SaveInChild(const std::string& strTarget, const SFault& fault, const std::string& strNew, int nExpectedSignal,
                bool bUnnamed = false)
{
    return InChild([&] {
        RemoveTemporaryFileOnSignals();
        CFaultySystemCalls calls(strTarget);
        if (bUnnamed)
            calls.AllowUnnamed();
        CSystemCallsInstalled installed(&calls);
        CSafeFileWriter writer;
        if (!writer.Begin(strTarget) || !writer.Write(strNew))
            _exit(1);
        calls.Arm(fault);
        const CommitResult result = writer.Commit(nullptr);
        _exit(calls.Fired() && result == COMMIT_WRITTEN && TakeDeferredSignal() == nExpectedSignal ? 0 : 1);
    });
}

// A signal that comes while the file is being put in place (overwritten in
// place, or just after the exchange) waits until the save has finished: the
// file holds the new contents and the save says so.
TEST(InterruptedSave, ASignalWhileTheFileIsPutInPlaceWaitsForTheSave)
{
    const int kSignals[] = {SIGTERM, SIGHUP, SIGINT};
    for (const bool bTwoNames : {true, false}) {
        for (const int nSignal : kSignals) {
            SCOPED_TRACE(std::string(bTwoNames ? "in place, " : "exchanged, ") + strsignal(nSignal));
            CTempDir dir;
            const SSavedFile file(dir, bTwoNames);
            const std::string& strNew = file.strNew;
            const std::string& strTarget = file.strTarget;
            const auto signal = [nSignal] { raise(nSignal); };
            // The second write into the file, or the sync of the folder after the exchange.
            const SFault fault = bTwoNames ? SFault{Call::Write, Role::Target, 2, FaultKind::ActFirst, 0, signal}
                                           : SFault{Call::Fsync, Role::Directory, 1, FaultKind::ActFirst, 0, signal};
            const int nStatus = SaveInChild(strTarget, fault, strNew, nSignal);
            EXPECT_TRUE(WIFEXITED(nStatus) && WEXITSTATUS(nStatus) == 0) << "status " << nStatus;
            EXPECT_EQ(ReadWholeFile(strTarget), strNew);
            EXPECT_EQ(dir.Listing(), bTwoNames ? "t.for u.for " : "t.for ");
        }
    }
}

// SIGKILL cannot wait: a process killed while it overwrites a file in place
// leaves the file part written, and the journal, which a later run on either
// name of the file writes back. A process killed just before it renames its
// copy over the file leaves the copy, which the next save removes.
TEST(InterruptedSave, WhatAKilledSaveLeftIsPutRightByTheNextRun)
{
    for (const bool bTwoNames : {true, false}) {
        SCOPED_TRACE(bTwoNames ? "in place" : "exchanged");
        CTempDir dir;
        const SSavedFile file(dir, bTwoNames);
        const std::string& strOld = file.strOld;
        const std::string& strNew = file.strNew;
        const std::string& strTarget = file.strTarget;
        const auto kill = [] { raise(SIGKILL); };
        const SFault fault = bTwoNames ? SFault{Call::Write, Role::Target, 2, FaultKind::ActFirst, 0, kill}
                                       : SFault{Call::Rename, Role::Temporary, 1, FaultKind::ActFirst, 0, kill};
        EXPECT_TRUE(EndedBy(SaveInChild(strTarget, fault, strNew, 0), SIGKILL));
        std::string strJournal;
        if (bTwoNames) {
            EXPECT_NE(ReadWholeFile(strTarget), strOld) << "the kill came in the middle of the overwrite";
            EXPECT_EQ(RecoverInterruptedSave(dir.File("u.for"), strJournal), RECOVERY_RESTORED);
            EXPECT_NE(strJournal, "");
            EXPECT_EQ(ReadWholeFile(strTarget), strOld);
            EXPECT_EQ(ReadWholeFile(dir.File("u.for")), strOld);
            EXPECT_EQ(RecoverInterruptedSave(strTarget, strJournal), RECOVERY_NONE);
            EXPECT_EQ(dir.Listing(), "t.for u.for ") << "a run on t.for removes the copy named after it";
        } else {
            EXPECT_EQ(ReadWholeFile(strTarget), strOld);
            EXPECT_NE(dir.Listing(), "t.for ") << "the full copy is left under its temporary name";
            CSafeFileWriter writer;
            ASSERT_TRUE(writer.Begin(strTarget));
            writer.Abandon();
            EXPECT_EQ(dir.Listing(), "t.for ") << "the next save removes it";
        }
        EXPECT_EQ(RecoverInterruptedSave(strTarget, strJournal), RECOVERY_NONE) << "nothing is left to put back";
    }
}

// Where the file system makes files without a name, a process killed while
// it writes its copy leaves nothing at all beside the file; a copy that
// cannot be given its name is not put in place, and leaves nothing either.
TEST(InterruptedSave, ACopyWithoutANameLeavesNothingBehind)
{
    CTempDir dir;
    const std::string strOld = LargeContents("old ");
    const std::string strTarget = dir.Write("t.for", strOld);
    {
        CFaultySystemCalls calls(strTarget);
        calls.AllowUnnamed();
        CSystemCallsInstalled installed(&calls);
        CSafeFileWriter writer;
        ASSERT_TRUE(writer.Begin(strTarget));
        if (writer.TemporaryPath() != "")
            GTEST_SKIP() << "this file system makes no files without a name";
    }
    const auto kill = [] { raise(SIGKILL); };
    EXPECT_TRUE(EndedBy(SaveInChild(strTarget, {Call::Write, Role::Temporary, 1, FaultKind::ActFirst, 0, kill},
                                    LargeContents("new "), 0, true),
                        SIGKILL));
    EXPECT_EQ(dir.Listing(), "t.for ") << "nothing is left, without a later run";
    EXPECT_EQ(ReadWholeFile(strTarget), strOld);

    CFaultySystemCalls calls(strTarget);
    calls.AllowUnnamed();
    CSystemCallsInstalled installed(&calls);
    CSafeFileWriter writer;
    ASSERT_TRUE(writer.Begin(strTarget));
    ASSERT_TRUE(writer.Write("new\n"));
    calls.Arm({Call::LinkUnnamed, Role::Temporary, 1, FaultKind::Error, EIO});
    EXPECT_EQ(writer.Commit(nullptr), COMMIT_FAILED);
    EXPECT_EQ(writer.Error(), EIO);
    EXPECT_TRUE(calls.Fired());
    EXPECT_EQ(dir.Listing(), "t.for ");
    EXPECT_EQ(ReadWholeFile(strTarget), strOld);
}

// Only the writer's own leftovers go: a file of the user's with a name
// like them, but not made as the writer makes its own, stays.
TEST(InterruptedSave, TheNextRunRemovesOnlyTheWritersOwnLeftovers)
{
    CTempDir dir;
    const std::string strTarget = dir.Write("t.for", "old\n");
    dir.Write(".t.for.backup", "the user's");
    dir.Write(".t.for.qm-abc", "the user's");
    dir.Write(".t.for.qm-Ab3dE9", "a killed save's copy");
    dir.Write(".u.for.qm-Ab3dE9", "another file's");
    std::string strJournal;
    EXPECT_EQ(RecoverInterruptedSave(strTarget, strJournal), RECOVERY_NONE);
    EXPECT_EQ(dir.Listing(), ".t.for.backup .t.for.qm-abc .u.for.qm-Ab3dE9 t.for ");
}

}  // namespace
