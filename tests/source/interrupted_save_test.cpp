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
#include <vector>

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

// A file with a second name is overwritten in place. A signal that comes
// while it is half written waits until the file is whole: the save ends as
// saved, with status 0 and a note. A SIGKILL there cannot wait: the file is
// left half written with its old contents in the journal, and the next
// program to open it puts them back and removes the temporary file.
TEST(InterruptedSave, AFileOverwrittenInPlaceIsOldOrNewWhateverEndsTheSave)
{
    const std::string strOld = "      PROGRAM P\n 100  FORMAT (I5)\n      END\n";
    std::string strNew;
    for (int i = 0; strNew.size() < 300000; ++i)
        strNew += " 100  FORMAT (I5, A" + std::to_string(i) + ")\n";
    for (const int nSignal : {SIGTERM, SIGHUP, SIGINT, SIGKILL}) {
        SCOPED_TRACE(nSignal);
        CTempDir dir;
        const std::string strTarget = dir.Write("t.for", strOld);
        fs::create_hard_link(strTarget, dir.File("u.for"));
        const int nStatus = InChild([&] {
            RemoveTemporaryFileOnSignals();
            SetSavedNote("%s saved\n");
            CFaultySystemCalls calls(strTarget);
            CSystemCallsInstalled installed(&calls);
            // The second write into the file: the first is on disk already.
            calls.Arm({Call::Write, Role::Target, 2, FaultKind::ActFirst, 0, [nSignal] { raise(nSignal); }});
            CSafeFileWriter writer;
            if (!writer.Begin(strTarget) || !writer.Write(strNew))
                _exit(3);
            _exit(writer.Commit(nullptr) == COMMIT_WRITTEN ? 4 : 5);
        });
        if (nSignal == SIGKILL) {
            ASSERT_TRUE(EndedBy(nStatus, SIGKILL)) << "status " << nStatus;
            const std::string strHalf = ReadWholeFile(strTarget);
            EXPECT_TRUE(strHalf != strOld && strHalf != strNew) << "killed while the file was half written";
            const SSaveRecovery recovery = RecoverInterruptedSave(strTarget);
            EXPECT_TRUE(recovery.bRestored);
            EXPECT_EQ(recovery.arrRemoved.size(), 1u) << "the temporary file with the new contents";
            EXPECT_TRUE(ReadWholeFile(strTarget) == strOld) << "the old contents are back";
        } else {
            EXPECT_TRUE(WIFEXITED(nStatus) && WEXITSTATUS(nStatus) == 0) << "status " << nStatus;
            EXPECT_TRUE(ReadWholeFile(strTarget) == strNew);
        }
        EXPECT_EQ(dir.Listing(), "t.for u.for ") << "nothing is left beside the file";
        EXPECT_TRUE(RecoverInterruptedSave(strTarget).Empty()) << "nothing is left to put right";
    }
}

// What a later save finds beside the file: temporary files of one that was
// cut short go; the backup a message named, and the journal of another
// file of that name (since replaced), stay.
TEST(InterruptedSave, ALaterSaveRemovesOnlyWhatAnInterruptedOneLeft)
{
    CTempDir dir;
    const std::string strTarget = dir.Write("t.for", "old\n");
    dir.Write(".t.for.Ab3dE9", "a copy in the making");
    dir.Write(".t.for.oldQ1w2E3", "a journal in the making");
    dir.Write(".t.for.new-Zz9Yy8", "new contents a message named");
    dir.Write(".t.for.old-1", "the journal of another file");
    dir.Write(".t.for.notes", "the user's own");
    CSafeFileWriter writer;
    ASSERT_TRUE(writer.Begin(strTarget));
    EXPECT_EQ(writer.Recovery().arrRemoved.size(), 2u);
    EXPECT_EQ(writer.Recovery().arrOtherJournals, std::vector<std::string>{dir.File(".t.for.old-1")});
    EXPECT_FALSE(writer.Recovery().bRestored);
    ASSERT_TRUE(writer.Write("new\n"));
    ASSERT_EQ(writer.Commit(nullptr), COMMIT_WRITTEN);
    EXPECT_EQ(dir.Listing(), ".t.for.new-Zz9Yy8 .t.for.notes .t.for.old-1 t.for ");
}

// A signal that comes once the file has taken the new contents' place:
// the program ends as saved, not as interrupted.
TEST(InterruptedSave, ASignalAfterTheFileIsReplacedEndsTheProgramAsSaved)
{
    CTempDir dir;
    const std::string strTarget = dir.Write("t.for", "old\n");
    int fdNote[2];
    ASSERT_EQ(pipe(fdNote), 0);
    const int nStatus = InChild([&] {
        dup2(fdNote[1], STDERR_FILENO);
        RemoveTemporaryFileOnSignals();
        SetSavedNote("quillmark-text: %s was saved\n");
        CFaultySystemCalls calls(strTarget);
        CSystemCallsInstalled installed(&calls);
        calls.Arm({Call::Unlink, Role::Temporary, 1, FaultKind::ActFirst, 0, [] { raise(SIGTERM); }});
        SFileIdentity expected;
        ReadFileIdentity(strTarget, expected);
        CSafeFileWriter writer;
        if (!writer.Begin(strTarget) || !writer.Write("new\n"))
            _exit(3);
        const CommitResult result = writer.Commit(&expected);
        _exit(result == COMMIT_WRITTEN ? 4 : 5);
    });
    close(fdNote[1]);
    char szNote[256] = {};
    const ssize_t n = read(fdNote[0], szNote, sizeof szNote - 1);
    close(fdNote[0]);
    EXPECT_TRUE(WIFEXITED(nStatus) && WEXITSTATUS(nStatus) == 0) << "status " << nStatus;
    EXPECT_EQ(ReadWholeFile(strTarget), "new\n");
    EXPECT_EQ(std::string(szNote, n > 0 ? static_cast<std::size_t>(n) : 0),
              "quillmark-text: " + strTarget + " was saved\n");
    EXPECT_EQ(dir.Listing(), "t.for ");
}

}  // namespace
