// CSafeFileWriter when a system call fails: each call the writer makes is
// made to fail once, and the file must come out either untouched with no
// temporary file left, or (for a file with several names that was being
// overwritten in place, when its old contents cannot be written back) with
// the journal beside it holding them, which the next run puts back.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/xattr.h>

#include <unistd.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <string>
#include <thread>

#include "faulty_system_calls.h"
#include "safe_file_writer.h"
#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;

enum class Outcome {
    BeginFails,  // no temporary file could be made
    NotWritten,  // COMMIT_FAILED: the file untouched, nothing left beside it
    Written,     // COMMIT_WRITTEN: the fault was got over
    InPlace,     // COMMIT_WRITTEN, but into the file itself rather than by a rename
    BackupKept,  // COMMIT_FAILED_BACKUP_KEPT: the journal holds the old contents
};

struct SFaultCase {
    const char* pszName;
    SFault fault;
    bool bAtCommit;         // the nth call is counted from Commit on, not from Begin
    bool bNeedsAttributes;  // the target must carry an extended attribute
    Outcome expected;
};

// Shown instead of the case's bytes when a case fails.
void PrintTo(const SFaultCase& c, std::ostream* pStream)
{
    *pStream << c.pszName;
}

std::string PrintName(const ::testing::TestParamInfo<SFaultCase>& info)
{
    return info.param.pszName;
}

const std::string kOld = "      PROGRAM P\n 100  FORMAT (I5, F7.2)\n      END\n";

// More than three buffers' worth, so that the writer writes several times
// (three times while the data is appended, once more in Commit).
std::string NewContents()
{
    std::string s;
    for (int i = 0; s.size() < 200000; ++i)
        s += " 100  FORMAT (I5, F7.2, A" + std::to_string(i) + ")\n";
    return s;
}

ino_t InodeOf(const std::string& path)
{
    struct stat st {};
    return stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

class SafeWriterFault : public ::testing::TestWithParam<SFaultCase> {
protected:
    // Writes t.for (and u.for, a second name of it, when bHardLinked), saves
    // new contents over it with the parameter's fault, and checks what is left.
    void Run(bool bHardLinked)
    {
        const SFaultCase& c = GetParam();
        CTempDir dir;
        const std::string strTarget = dir.Write("t.for", kOld);
        std::string strNames = "t.for ";
        if (bHardLinked) {
            fs::create_hard_link(strTarget, dir.File("u.for"));
            strNames = "t.for u.for ";
        }
        const bool bAttributes = setxattr(strTarget.c_str(), "user.quillmark", "kept", 4, 0) == 0;
        if (c.bNeedsAttributes && !bAttributes)
            GTEST_SKIP() << "this file system keeps no extended attributes";
        const ino_t inode = InodeOf(strTarget);
        const std::string strNew = NewContents();

        CFaultySystemCalls calls(strTarget);
        CSystemCallsInstalled installed(&calls);
        CommitResult result = COMMIT_FAILED;
        std::string strBackup;
        bool bBegun = false;
        {
            CSafeFileWriter writer;
            if (!c.bAtCommit)
                calls.Arm(c.fault);
            bBegun = writer.Begin(strTarget);
            if (bBegun) {
                static_cast<void>(writer.Write(strNew));
                if (c.bAtCommit)
                    calls.Arm(c.fault);
                result = writer.Commit(nullptr);
                strBackup = writer.BackupPath();
            }
        }  // the writer is gone: a kept backup must outlive it

        EXPECT_TRUE(calls.Fired()) << "the writer never made the call that was to fail";
        EXPECT_EQ(InodeOf(strTarget) == inode, bHardLinked || c.expected != Outcome::Written)
            << "a file written in place keeps its inode; another is replaced by a new one";
        switch (c.expected) {
        case Outcome::BeginFails:
            EXPECT_FALSE(bBegun);
            EXPECT_EQ(ReadWholeFile(strTarget), kOld);
            EXPECT_EQ(dir.Listing(), strNames);
            break;
        case Outcome::NotWritten:
            ASSERT_TRUE(bBegun);
            EXPECT_EQ(result, COMMIT_FAILED);
            EXPECT_EQ(ReadWholeFile(strTarget), kOld);
            EXPECT_EQ(dir.Listing(), strNames) << "no temporary file is left";
            EXPECT_EQ(strBackup, "");
            break;
        case Outcome::Written:
        case Outcome::InPlace:
            ASSERT_TRUE(bBegun);
            EXPECT_EQ(result, COMMIT_WRITTEN);
            EXPECT_EQ(ReadWholeFile(strTarget), strNew);
            EXPECT_EQ(dir.Listing(), strNames);
            EXPECT_EQ(strBackup, "");
            break;
        case Outcome::BackupKept: {
            ASSERT_TRUE(bBegun);
            EXPECT_EQ(result, COMMIT_FAILED_BACKUP_KEPT);
            ASSERT_NE(strBackup, "");
            EXPECT_EQ(fs::path(strBackup).parent_path(), dir.Path()) << "the journal lies beside the file";
            EXPECT_EQ(ReadWholeFile(strBackup), kOld) << "the journal holds the complete old contents";
            EXPECT_EQ(dir.Listing(), fs::path(strBackup).filename().string() + " " + strNames)
                << "the journal is the only file left beside the file";
            SetSystemCalls(nullptr);
            std::string strJournal;
            EXPECT_EQ(RecoverInterruptedSave(dir.File("u.for"), strJournal), RECOVERY_RESTORED)
                << "a later run on either name finds the journal";
            EXPECT_EQ(strJournal, strBackup);
            EXPECT_EQ(ReadWholeFile(strTarget), kOld);
            EXPECT_EQ(dir.Listing(), strNames);
            break;
        }
        }
        if (bHardLinked) {
            EXPECT_EQ(ReadWholeFile(dir.File("u.for")), ReadWholeFile(strTarget)) << "both names show one file";
        }
    }
};

// A target with one name: the temporary file is renamed over it.
class SafeWriterRenameFault : public SafeWriterFault {};

TEST_P(SafeWriterRenameFault, LeavesTheFileWholeAndNothingBeside)
{
    Run(false);
}

constexpr Role kTarget = Role::Target;
constexpr Role kTemporary = Role::Temporary;
constexpr Role kDirectory = Role::Directory;
constexpr Role kJournal = Role::Journal;

INSTANTIATE_TEST_SUITE_P(
    EachCall, SafeWriterRenameFault,
    ::testing::Values(
        SFaultCase{"CreatingTheTemporaryFile",
                   {Call::Mkstemp, kTemporary, 1, FaultKind::Error, EACCES},
                   false,
                   false,
                   Outcome::BeginFails},
        // A name too long with the temporary file's dot and suffix: a
        // shorter temporary name does.
        SFaultCase{"TemporaryNameTooLong",
                   {Call::Mkstemp, kTemporary, 1, FaultKind::Error, ENAMETOOLONG},
                   false,
                   false,
                   Outcome::Written},
        // The lock serialises Quillmark's own saves; where it cannot be had,
        // the identity checks still stand guard.
        SFaultCase{"OpeningTheFileToLockItIsNotFatal",
                   {Call::OpenRead, kTarget, 1, FaultKind::Error, EMFILE},
                   false,
                   false,
                   Outcome::Written},
        SFaultCase{"NoLocksOnThisFileSystem",
                   {Call::Flock, kTarget, 1, FaultKind::Error, ENOLCK},
                   false,
                   false,
                   Outcome::Written},
        SFaultCase{"LockInterruptedIsTakenAgain",
                   {Call::Flock, kTarget, 1, FaultKind::Error, EINTR},
                   false,
                   false,
                   Outcome::Written},
        SFaultCase{
            "FirstWrite", {Call::Write, kTemporary, 1, FaultKind::Error, ENOSPC}, false, false, Outcome::NotWritten},
        SFaultCase{
            "WriteInTheMiddle", {Call::Write, kTemporary, 2, FaultKind::Error, EIO}, false, false, Outcome::NotWritten},
        SFaultCase{"LastWriteMadeByCommit",
                   {Call::Write, kTemporary, 1, FaultKind::Error, EFBIG},
                   true,
                   false,
                   Outcome::NotWritten},
        SFaultCase{"ShortWriteIsContinued",
                   {Call::Write, kTemporary, 2, FaultKind::ShortWrite},
                   false,
                   false,
                   Outcome::Written},
        SFaultCase{"InterruptedWriteIsRepeated",
                   {Call::Write, kTemporary, 1, FaultKind::Error, EINTR},
                   false,
                   false,
                   Outcome::Written},
        SFaultCase{
            "ExaminingTheTarget", {Call::Stat, kTarget, 1, FaultKind::Error, EIO}, true, false, Outcome::NotWritten},
        SFaultCase{
            "GivingTheOwner", {Call::Fchown, kTemporary, 1, FaultKind::Error, EIO}, false, false, Outcome::NotWritten},
        // A file this user may not give to its owner (or its group) is
        // written in place, so that it stays theirs.
        SFaultCase{"OwnerThisUserMayNotGive",
                   {Call::Fchown, kTemporary, 1, FaultKind::Error, EPERM},
                   false,
                   false,
                   Outcome::InPlace},
        SFaultCase{"OwnerWithoutANumberHere",
                   {Call::Fchown, kTemporary, 1, FaultKind::Error, EINVAL},
                   false,
                   false,
                   Outcome::InPlace},
        SFaultCase{"GivingThePermissionBits",
                   {Call::Fchmod, kTemporary, 1, FaultKind::Error, EIO},
                   false,
                   false,
                   Outcome::NotWritten},
        SFaultCase{"ListingAttributesIsNotFatal",
                   {Call::Listxattr, kTarget, 1, FaultKind::Error, EIO},
                   false,
                   false,
                   Outcome::Written},
        SFaultCase{"ReadingAnAttributeIsNotFatal",
                   {Call::Getxattr, kTarget, 1, FaultKind::Error, EIO},
                   false,
                   true,
                   Outcome::Written},
        SFaultCase{"AttributeRefused",
                   {Call::Fsetxattr, kTemporary, 1, FaultKind::Error, EPERM},
                   false,
                   true,
                   Outcome::Written},
        SFaultCase{"SettingAnAttribute",
                   {Call::Fsetxattr, kTemporary, 1, FaultKind::Error, ENOSPC},
                   false,
                   true,
                   Outcome::NotWritten},
        SFaultCase{
            "SyncingTheCopy", {Call::Fsync, kTemporary, 1, FaultKind::Error, EIO}, false, false, Outcome::NotWritten},
        SFaultCase{"ExaminingTheCopyIsNotFatal",
                   {Call::Fstat, kTemporary, 1, FaultKind::Error, EIO},
                   false,
                   false,
                   Outcome::Written},
        SFaultCase{
            "ClosingTheCopy", {Call::Close, kTemporary, 1, FaultKind::Error, EIO}, false, false, Outcome::NotWritten},
        SFaultCase{"ExaminingTheTargetJustBeforeTheRename",
                   {Call::Stat, kTarget, 2, FaultKind::Error, EIO},
                   true,
                   false,
                   Outcome::NotWritten},
        SFaultCase{"Rename", {Call::Rename, kTemporary, 1, FaultKind::Error, EXDEV}, false, false, Outcome::NotWritten},
        // After the rename the file has been replaced: syncing its folder
        // only hurries the rename to the disk, and cannot undo it.
        SFaultCase{"OpeningTheFolderAfterTheRename",
                   {Call::OpenDirectory, kDirectory, 1, FaultKind::Error, EMFILE},
                   false,
                   false,
                   Outcome::Written},
        SFaultCase{"SyncingTheFolderAfterTheRename",
                   {Call::Fsync, kDirectory, 1, FaultKind::Error, EIO},
                   false,
                   false,
                   Outcome::Written}),
    PrintName);

// A target with a second name: overwritten in place, its old contents kept
// in the journal until the new ones have been read back.
class SafeWriterInPlaceFault : public SafeWriterFault {};

TEST_P(SafeWriterInPlaceFault, LeavesTheFileWholeOrTheBackupNamed)
{
    Run(true);
}

INSTANTIATE_TEST_SUITE_P(
    EachCall, SafeWriterInPlaceFault,
    ::testing::Values(
        SFaultCase{"WritingTheBackup",
                   {Call::Write, kTemporary, 2, FaultKind::Error, ENOSPC},
                   false,
                   false,
                   Outcome::NotWritten},
        SFaultCase{"GivingTheBackupTheBits",
                   {Call::Fchmod, kTemporary, 1, FaultKind::Error, EIO},
                   false,
                   false,
                   Outcome::NotWritten},
        SFaultCase{
            "SyncingTheBackup", {Call::Fsync, kTemporary, 1, FaultKind::Error, EIO}, false, false, Outcome::NotWritten},
        SFaultCase{
            "ClosingTheBackup", {Call::Close, kTemporary, 1, FaultKind::Error, EIO}, false, false, Outcome::NotWritten},
        SFaultCase{"ExaminingTheTargetJustBeforeOverwriting",
                   {Call::Stat, kTarget, 2, FaultKind::Error, EIO},
                   true,
                   false,
                   Outcome::NotWritten},
        // Here the folder must be synced before the file is touched, so that
        // the backup's name survives a crash in the middle of the overwrite.
        SFaultCase{
            "SyncingTheFolder", {Call::Fsync, kDirectory, 1, FaultKind::Error, EIO}, false, false, Outcome::NotWritten},
        SFaultCase{"OpeningTheFolder",
                   {Call::OpenDirectory, kDirectory, 1, FaultKind::Error, EMFILE},
                   false,
                   false,
                   Outcome::NotWritten},
        SFaultCase{"FolderThisUserMayNotRead",
                   {Call::OpenDirectory, kDirectory, 1, FaultKind::Error, EACCES},
                   false,
                   false,
                   Outcome::Written},
        SFaultCase{"FolderTheFileSystemCannotSync",
                   {Call::Fsync, kDirectory, 1, FaultKind::Error, EINVAL},
                   false,
                   false,
                   Outcome::Written},
        SFaultCase{"OpeningTheBackupToCopyIt",
                   {Call::OpenRead, kTemporary, 1, FaultKind::Error, EMFILE},
                   false,
                   false,
                   Outcome::NotWritten},
        SFaultCase{"OpeningTheFileForWriting",
                   {Call::OpenWrite, kTarget, 1, FaultKind::Error, EACCES},
                   false,
                   false,
                   Outcome::NotWritten},
        SFaultCase{"ExaminingTheOpenedFile",
                   {Call::Fstat, kTarget, 1, FaultKind::Error, EIO},
                   true,
                   false,
                   Outcome::NotWritten},
        SFaultCase{"FirstReadOfTheBackup",
                   {Call::Read, kTemporary, 1, FaultKind::Error, EIO},
                   false,
                   false,
                   Outcome::NotWritten},
        SFaultCase{"LaterReadOfTheBackup",
                   {Call::Read, kTemporary, 2, FaultKind::Error, EIO},
                   false,
                   false,
                   Outcome::NotWritten},
        SFaultCase{"FirstWriteIntoTheFile",
                   {Call::Write, kTarget, 1, FaultKind::Error, EIO},
                   false,
                   false,
                   Outcome::NotWritten},
        SFaultCase{"LaterWriteIntoTheFile",
                   {Call::Write, kTarget, 3, FaultKind::Error, ENOSPC},
                   false,
                   false,
                   Outcome::NotWritten},
        SFaultCase{"ShortWriteIntoTheFileIsContinued",
                   {Call::Write, kTarget, 2, FaultKind::ShortWrite},
                   false,
                   false,
                   Outcome::Written},
        SFaultCase{"CuttingTheFileToLength",
                   {Call::Ftruncate, kTarget, 1, FaultKind::Error, EIO},
                   false,
                   false,
                   Outcome::NotWritten},
        SFaultCase{
            "SyncingTheFile", {Call::Fsync, kTarget, 1, FaultKind::Error, EIO}, false, false, Outcome::NotWritten},
        SFaultCase{
            "ClosingTheFile", {Call::Close, kTarget, 1, FaultKind::Error, EIO}, false, false, Outcome::NotWritten},
        SFaultCase{"OpeningTheFileToReadItBack",
                   {Call::OpenRead, kTarget, 1, FaultKind::Error, EIO},
                   true,
                   false,
                   Outcome::NotWritten},
        SFaultCase{
            "ReadingTheFileBack", {Call::Read, kTarget, 2, FaultKind::Error, EIO}, false, false, Outcome::NotWritten},
        SFaultCase{"FileReadsBackDifferent",
                   {Call::Read, kTarget, 3, FaultKind::CorruptRead},
                   false,
                   false,
                   Outcome::NotWritten},
        // The journal goes last: a journal that cannot be removed would
        // have the next run put the old contents back, so they go back now.
        SFaultCase{"RemovingTheJournal",
                   {Call::Unlink, kJournal, 1, FaultKind::Error, EIO},
                   false,
                   false,
                   Outcome::NotWritten},
        // Room for the new size is reserved before the file is touched.
        SFaultCase{"DiskFullWhenReserving",
                   {Call::Reserve, kTarget, 1, FaultKind::Error, ENOSPC},
                   false,
                   false,
                   Outcome::NotWritten},
        SFaultCase{"NoReservationOnThisFileSystem",
                   {Call::Reserve, kTarget, 1, FaultKind::Error, EOPNOTSUPP},
                   false,
                   false,
                   Outcome::InPlace},
        SFaultCase{"CopyingTheOldContentsIntoTheJournal",
                   {Call::CopyFileRange, kTemporary, 1, FaultKind::Error, ENOSPC},
                   true,
                   false,
                   Outcome::NotWritten},
        SFaultCase{"SyncingTheJournal",
                   {Call::Fsync, kTemporary, 2, FaultKind::Error, EIO},
                   false,
                   false,
                   Outcome::NotWritten},
        SFaultCase{"NamingTheJournal",
                   {Call::Rename, kTemporary, 1, FaultKind::Error, EIO},
                   false,
                   false,
                   Outcome::NotWritten},
        // Cutting the file to length fails, and again when the old contents
        // are put back: the journal stays, and is named.
        SFaultCase{"OldContentsCannotBeWrittenBack",
                   {Call::Ftruncate, kTarget, 1, FaultKind::Error, EIO, nullptr, 2},
                   false,
                   false,
                   Outcome::BackupKept}),
    PrintName);

// The order of the steps that the results above cannot show: syncs that
// make the earlier steps durable must come after them.
TEST(SafeWriterOrder, TheCopyIsSyncedBeforeTheRenameAndTheFolderAfterIt)
{
    CTempDir dir;
    const std::string strTarget = dir.Write("t.for", kOld);
    CFaultySystemCalls calls(strTarget);
    CSystemCallsInstalled installed(&calls);
    CSafeFileWriter writer;
    ASSERT_TRUE(writer.Begin(strTarget));
    ASSERT_TRUE(writer.Write(NewContents()));
    ASSERT_EQ(writer.Commit(nullptr), COMMIT_WRITTEN);

    const long nRename = calls.First(Call::Rename, kTemporary);
    ASSERT_GE(nRename, 0);
    EXPECT_LT(calls.Last(Call::Write, kTemporary), calls.First(Call::Fsync, kTemporary));
    EXPECT_LT(calls.Last(Call::Fchmod, kTemporary), calls.First(Call::Fsync, kTemporary))
        << "the permission bits are synced with the data";
    EXPECT_LT(calls.Last(Call::Fsync, kTemporary), nRename);
    EXPECT_LT(calls.Last(Call::Stat, kTarget), nRename) << "the target is examined last just before the rename";
    EXPECT_GT(calls.First(Call::Fsync, kDirectory), nRename) << "the folder is synced to keep the rename";
}

TEST(SafeWriterOrder, TheJournalAndItsNameAreOnDiskBeforeTheFileIsWritten)
{
    CTempDir dir;
    const std::string strTarget = dir.Write("t.for", kOld);
    fs::create_hard_link(strTarget, dir.File("u.for"));
    CFaultySystemCalls calls(strTarget);
    CSystemCallsInstalled installed(&calls);
    CSafeFileWriter writer;
    ASSERT_TRUE(writer.Begin(strTarget));
    ASSERT_TRUE(writer.Write(NewContents()));
    std::string strJournalSeen;
    calls.Watch(Call::Write, kTarget, [&] {
        for (const auto& entry : fs::directory_iterator(dir.Path()))
            if (entry.path().filename().string().find(".qm-old-") != std::string::npos)
                strJournalSeen = ReadWholeFile(entry.path().string());
    });
    ASSERT_EQ(writer.Commit(nullptr), COMMIT_WRITTEN);

    const long nWrite = calls.First(Call::Write, kTarget);
    ASSERT_GE(nWrite, 0);
    EXPECT_EQ(strJournalSeen, kOld) << "the journal holds the old contents when the file is first written";
    EXPECT_EQ(calls.First(Call::Renameat2, kTemporary), -1) << "a file with two names is never renamed over";
    const long nNamed = calls.First(Call::Rename, kTemporary);
    EXPECT_LT(calls.Last(Call::Fsync, kTemporary), nNamed) << "the journal is complete once named";
    EXPECT_LT(nNamed, calls.First(Call::Fsync, kDirectory));
    EXPECT_LT(calls.First(Call::Fsync, kDirectory), nWrite) << "and its name is on disk";
    EXPECT_LT(calls.First(Call::Reserve, kTarget), nWrite) << "room is reserved first";
    const long nSync = calls.Last(Call::Fsync, kTarget);
    EXPECT_LT(calls.Last(Call::Write, kTarget), nSync);
    EXPECT_LT(calls.First(Call::Ftruncate, kTarget), nSync);
    EXPECT_LT(nSync, calls.Last(Call::OpenRead, kTarget)) << "what is read back is what was synced";
    EXPECT_GT(calls.First(Call::Unlink, kJournal), calls.Last(Call::Read, kTarget))
        << "the journal is removed only after the file has been read back";
    EXPECT_EQ(dir.Listing(), "t.for u.for ");
}

TEST(SafeWriterOrder, TheFileIsLockedFromBeforeTheCopyUntilAfterItIsReplaced)
{
    for (const bool bTwoNames : {false, true}) {
        SCOPED_TRACE(bTwoNames ? "overwritten in place" : "renamed over");
        CTempDir dir;
        const std::string strTarget = dir.Write("t.for", kOld);
        if (bTwoNames)
            fs::create_hard_link(strTarget, dir.File("u.for"));
        SFileIdentity expected;
        ASSERT_TRUE(ReadFileIdentity(strTarget, expected));
        CFaultySystemCalls calls(strTarget);
        CSystemCallsInstalled installed(&calls);
        CSafeFileWriter writer;
        ASSERT_TRUE(writer.Begin(strTarget));
        ASSERT_TRUE(writer.Write(NewContents()));
        ASSERT_EQ(writer.Commit(&expected), COMMIT_WRITTEN);

        const long nLock = calls.First(Call::Flock, kTarget);
        ASSERT_GE(nLock, 0) << "the file is locked";
        EXPECT_LT(nLock, calls.First(Call::Mkstemp, kTemporary));
        EXPECT_LT(nLock, calls.Last(Call::Stat, kTarget)) << "the last check is made under the lock";
        const long nReplaced = bTwoNames ? calls.Last(Call::Unlink, kJournal)
                                         : calls.First(Call::Renameat2, kTemporary);
        ASSERT_GE(nReplaced, 0);
        EXPECT_GT(calls.Last(Call::Close, kTarget), nReplaced) << "the lock is let go once the file is replaced";
        if (!bTwoNames) {
            EXPECT_EQ(calls.First(Call::Rename, kTemporary), -1) << "exchanged with the file, not renamed over it";
        }
    }
}

// How a save of "t.for" (holding kOld, made in dir) ended, with one fault
// armed after its new contents were written and before its commit, checked
// against the file as it was read.
struct SCommitRun {
    CommitResult result = COMMIT_FAILED;
    int nError = 0;
    bool bFired = false;
};

SCommitRun CommitWithFault(const CTempDir& dir, const SFault& fault)
{
    SCommitRun run;
    const std::string strTarget = dir.Write("t.for", kOld);
    SFileIdentity expected;
    EXPECT_TRUE(ReadFileIdentity(strTarget, expected));
    CFaultySystemCalls calls(strTarget);
    CSystemCallsInstalled installed(&calls);
    CSafeFileWriter writer;
    if (!writer.Begin(strTarget) || !writer.Write(NewContents())) {
        ADD_FAILURE() << "the save could not begin";
        return run;
    }
    calls.Arm(fault);
    run.result = writer.Commit(&expected);
    run.nError = writer.Error();
    run.bFired = calls.Fired();
    return run;
}

// Another program changes the file between the last check and the
// exchange: what comes out of the exchange is not the file that was
// checked, so it goes back, and the other program's work stays.
struct SLateChange {
    const char* pszName;
    std::function<void(const CTempDir&)> change;
};

void PrintTo(const SLateChange& c, std::ostream* pStream)
{
    *pStream << c.pszName;
}

class SafeWriterLateChange : public ::testing::TestWithParam<SLateChange> {};

TEST_P(SafeWriterLateChange, IsFoundAfterTheExchangeAndKept)
{
    CTempDir dir;
    SFault fault{Call::Renameat2, kTemporary, 1, FaultKind::ActFirst};
    fault.action = [&] { GetParam().change(dir); };
    const SCommitRun run = CommitWithFault(dir, fault);
    ASSERT_TRUE(run.bFired) << "the file was put in place without an exchange";
    const std::string strLeft = ReadWholeFile(dir.File("t.for"));
    EXPECT_EQ(run.result, COMMIT_CHANGED);
    EXPECT_EQ(run.nError, 0);
    EXPECT_NE(strLeft, NewContents());
    EXPECT_NE(strLeft, kOld) << "the other program's change is there";
    EXPECT_EQ(dir.Listing(), "t.for ") << "no temporary file, and the other program's file in place";
}

INSTANTIATE_TEST_SUITE_P(Changes, SafeWriterLateChange,
                         ::testing::Values(SLateChange{"ReplacedByRename",
                                                       [](const CTempDir& dir) {
                                                           dir.Write("other.tmp", "      PROGRAM OTHER\n");
                                                           fs::rename(dir.File("other.tmp"), dir.File("t.for"));
                                                       }},
                                           SLateChange{"AppendedTo",
                                                       [](const CTempDir& dir) {
                                                           std::ofstream(dir.File("t.for"), std::ios::app)
                                                               << "      CALL OTHER\n";
                                                       }}),
                         [](const ::testing::TestParamInfo<SLateChange>& info) {
                             return std::string(info.param.pszName);
                         });

// The exchange and what follows it, when a call fails: the file holds its
// old contents or the new ones, and nothing is left beside it.
TEST(SafeWriterExchange, EachFailureLeavesTheFileWholeAndNothingBeside)
{
    struct SCase {
        const char* pszName;
        SFault fault;
        CommitResult expected;
        int nError;
    };
    const SCase cases[] = {
        // A file system that cannot exchange two names: renamed over, as
        // the lock still keeps Quillmark's own saves apart.
        {"ExchangeNotSupported", {Call::Renameat2, kTemporary, 1, FaultKind::Error, EINVAL}, COMMIT_WRITTEN, 0},
        {"NoSuchCall", {Call::Renameat2, kTemporary, 1, FaultKind::Error, ENOSYS}, COMMIT_WRITTEN, 0},
        {"ExchangeFails", {Call::Renameat2, kTemporary, 1, FaultKind::Error, EIO}, COMMIT_FAILED, EIO},
        // What came out cannot be examined: it goes back, unknown.
        {"ExaminingWhatCameOut", {Call::Lstat, kTemporary, 1, FaultKind::Error, EIO}, COMMIT_FAILED, EIO},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.pszName);
        CTempDir dir;
        const SCommitRun run = CommitWithFault(dir, c.fault);
        EXPECT_EQ(run.result, c.expected);
        EXPECT_TRUE(run.bFired);
        EXPECT_EQ(run.nError, c.nError);
        EXPECT_EQ(ReadWholeFile(dir.File("t.for")), c.expected == COMMIT_WRITTEN ? NewContents() : kOld);
        EXPECT_EQ(dir.Listing(), "t.for ");
    }
}

// A group member saves a file another user owns: the owner cannot be given
// to a new file, so the file is written in place and keeps its owner, group,
// bits and inode. The backup meanwhile is this user's alone.
TEST(SafeWriterOwner, AFileThisUserMayNotGiveAwayIsWrittenInPlace)
{
    CTempDir dir;
    const std::string strTarget = dir.Write("t.for", kOld);
    const bool bPrivileged = geteuid() == 0;
    if (bPrivileged) {
        ASSERT_EQ(chown(strTarget.c_str(), 65534, 65534), 0);
    }
    ASSERT_EQ(chmod(strTarget.c_str(), 0664), 0);
    struct stat before {};
    ASSERT_EQ(stat(strTarget.c_str(), &before), 0);
    SFileIdentity expected;
    ASSERT_TRUE(ReadFileIdentity(strTarget, expected));

    CFaultySystemCalls calls(strTarget);
    CSystemCallsInstalled installed(&calls);
    CSafeFileWriter writer;
    ASSERT_TRUE(writer.Begin(strTarget));
    ASSERT_TRUE(writer.Write(NewContents()));
    const std::string strBackup = writer.TemporaryPath();
    calls.Arm({Call::Fchown, kTemporary, 1, FaultKind::Error, EPERM});
    struct stat backup {};
    bool bBackupSeen = false;
    calls.Watch(Call::OpenWrite, kTarget, [&] { bBackupSeen = stat(strBackup.c_str(), &backup) == 0; });
    ASSERT_EQ(writer.Commit(&expected), COMMIT_WRITTEN);
    EXPECT_TRUE(calls.Fired());
    EXPECT_GE(calls.First(Call::OpenWrite, kTarget), 0) << "written in place";
    EXPECT_EQ(calls.First(Call::Renameat2, kTemporary), -1);
    EXPECT_EQ(calls.First(Call::Fchmod, kTemporary), -1) << "the backup keeps its private bits";
    EXPECT_EQ(calls.First(Call::Fsetxattr, kTemporary), -1) << "and gets none of the file's attributes";
    ASSERT_TRUE(bBackupSeen) << "the backup is there when the file is opened for writing";
    EXPECT_EQ(backup.st_mode & 07777, 0600u);
    EXPECT_EQ(backup.st_uid, geteuid());

    struct stat after {};
    ASSERT_EQ(stat(strTarget.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_gid, before.st_gid);
    EXPECT_EQ(after.st_mode & 07777, 0664u);
    EXPECT_EQ(ReadWholeFile(strTarget), NewContents());
    EXPECT_EQ(dir.Listing(), "t.for ") << "the backup " << strBackup << " is removed";
}

// A file written in place that reads back other than what was written: no
// call failed, the data did, and that is the reason given (EIO), never the
// errno some earlier call left behind. The old contents are back.
TEST(SafeWriterInPlace, AFileThatReadsBackDifferentFailsWithAnInputOutputError)
{
    CTempDir dir;
    const std::string strTarget = dir.Write("t.for", kOld);
    fs::create_hard_link(strTarget, dir.File("u.for"));
    CFaultySystemCalls calls(strTarget);
    CSystemCallsInstalled installed(&calls);
    CSafeFileWriter writer;
    ASSERT_TRUE(writer.Begin(strTarget));
    ASSERT_TRUE(writer.Write(NewContents()));
    for (const int nLeft : {EPERM, EAGAIN}) {
        calls.Arm({Call::Read, kTarget, 3, FaultKind::CorruptRead});
        // What an earlier call may have left, just before the file is read back.
        calls.Watch(Call::OpenRead, kTarget, [nLeft] { errno = nLeft; });
        ASSERT_EQ(writer.Commit(nullptr), COMMIT_FAILED);
        EXPECT_TRUE(calls.Fired());
        EXPECT_EQ(writer.Error(), EIO) << "left: " << nLeft;
        EXPECT_EQ(ReadWholeFile(strTarget), kOld);
        EXPECT_EQ(dir.Listing(), "t.for u.for ");
        ASSERT_TRUE(writer.Begin(strTarget));
        ASSERT_TRUE(writer.Write(NewContents()));
    }
}

// A link that cannot be read is not taken for the file: renaming over it
// would cut it off from the file it stands for.
TEST(SafeWriterOrder, ALinkThatCannotBeReadIsNotReplaced)
{
    CTempDir dir;
    const std::string strTarget = dir.Write("t.for", kOld);
    fs::create_symlink("t.for", dir.Path() / "l.for");
    CFaultySystemCalls calls(strTarget);
    CSystemCallsInstalled installed(&calls);
    calls.Arm({Call::Readlink, Role::Other, 1, FaultKind::Error, EIO});
    CSafeFileWriter writer;
    EXPECT_FALSE(writer.Begin(dir.File("l.for")));
    EXPECT_TRUE(calls.Fired());
    EXPECT_NE(writer.Commit(nullptr), COMMIT_WRITTEN);
    EXPECT_EQ(dir.Listing(), "l.for t.for ");
    EXPECT_TRUE(fs::is_symlink(dir.Path() / "l.for"));
}

}  // namespace

namespace {

// Another program appends a line to the file through a descriptor it opened
// before the save replaced it, at the moment the watched call is made, and
// a second line a while later, before it closes the file.
TEST(SafeWriterAppends, LinesAppendedWhileTheFileIsReplacedAreCarriedOver)
{
    for (const bool bExchange : {true, false}) {
        SCOPED_TRACE(bExchange ? "exchanged" : "renamed over");
        CTempDir dir;
        const std::string strTarget = dir.Write("t.for", kOld);
        SFileIdentity expected;
        ASSERT_TRUE(ReadFileIdentity(strTarget, expected));
        const int fdOther = open(strTarget.c_str(), O_WRONLY | O_APPEND);
        ASSERT_GE(fdOther, 0);
        const std::string strFirst = "C     appended by another program\n";
        const std::string strSecond = "C     and another line, later\n";
        std::thread later;
        const auto append = [&] {
            ASSERT_EQ(write(fdOther, strFirst.data(), strFirst.size()), ssize_t(strFirst.size()));
            later = std::thread([&] {
                std::this_thread::sleep_for(std::chrono::milliseconds(30));
                static_cast<void>(write(fdOther, strSecond.data(), strSecond.size()));
                close(fdOther);
            });
        };

        CFaultySystemCalls calls(strTarget);
        CSystemCallsInstalled installed(&calls);
        // After the exchange, once the file exchanged out has been checked
        // to be the one read; or, without an exchange, just before the rename.
        if (bExchange) {
            calls.Watch(Call::OpenRead, kTemporary, append);
        } else {
            calls.Arm({Call::Renameat2, kTemporary, 1, FaultKind::Error, ENOSYS});
            calls.Watch(Call::Rename, kTemporary, append);
        }
        CSafeFileWriter writer;
        ASSERT_TRUE(writer.Begin(strTarget));
        const std::string strNew = NewContents();
        ASSERT_TRUE(writer.Write(strNew));
        EXPECT_EQ(writer.Commit(&expected), COMMIT_WRITTEN);
        ASSERT_TRUE(later.joinable());
        later.join();
        const std::string strNow = ReadWholeFile(strTarget);
        EXPECT_TRUE(strNow == strNew + strFirst + strSecond)
            << "both lines are kept: " << strNow.size() << " bytes, not "
            << strNew.size() + strFirst.size() + strSecond.size();
        EXPECT_EQ(dir.Listing(), "t.for ");
        SFileIdentity now;
        ASSERT_TRUE(ReadFileIdentity(strTarget, now));
        EXPECT_EQ(writer.WrittenIdentity(), now) << "the next save expects the file with the lines";
    }
}

}  // namespace
