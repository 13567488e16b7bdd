// CSafeFileWriter when a system call fails: each call the writer makes is
// made to fail once, and the file must come out either untouched with no
// temporary file left, or (for a file with several names that was being
// overwritten in place) with a backup beside it holding the new contents.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/xattr.h>

#include <string>

#include "faulty_system_calls.h"
#include "safe_file_writer.h"
#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;

enum class Outcome {
    BeginFails,  // no temporary file could be made
    NotWritten,  // COMMIT_FAILED: the file untouched, nothing left beside it
    Written,     // COMMIT_WRITTEN: the fault was got over
    BackupKept,  // COMMIT_FAILED_BACKUP_KEPT: the backup holds the new contents
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
            << "a file with several names keeps its inode; another is replaced by a new one";
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
            ASSERT_TRUE(bBegun);
            EXPECT_EQ(result, COMMIT_WRITTEN);
            EXPECT_EQ(ReadWholeFile(strTarget), strNew);
            EXPECT_EQ(dir.Listing(), strNames);
            EXPECT_EQ(strBackup, "");
            break;
        case Outcome::BackupKept:
            ASSERT_TRUE(bBegun);
            EXPECT_EQ(result, COMMIT_FAILED_BACKUP_KEPT);
            ASSERT_NE(strBackup, "");
            EXPECT_EQ(fs::path(strBackup).parent_path(), dir.Path()) << "the backup lies beside the file";
            EXPECT_EQ(ReadWholeFile(strBackup), strNew) << "the backup holds the complete new contents";
            EXPECT_EQ(dir.Listing(), fs::path(strBackup).filename().string() + " " + strNames)
                << "the backup is the only file left beside the file";
            break;
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

INSTANTIATE_TEST_SUITE_P(
    EachCall, SafeWriterRenameFault,
    ::testing::Values(
        SFaultCase{"CreatingTheTemporaryFile",
                   {Call::Mkstemp, kTemporary, 1, FaultKind::Error, EACCES},
                   false,
                   false,
                   Outcome::BeginFails},
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
        SFaultCase{"OwnerThisUserMayNotGive",
                   {Call::Fchown, kTemporary, 1, FaultKind::Error, EPERM},
                   false,
                   false,
                   Outcome::Written},
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

// A target with a second name: overwritten in place, the temporary file
// serving as the backup.
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
                   false,
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
                   Outcome::BackupKept},
        SFaultCase{"FirstWriteIntoTheFile",
                   {Call::Write, kTarget, 1, FaultKind::Error, EIO},
                   false,
                   false,
                   Outcome::BackupKept},
        SFaultCase{"LaterWriteIntoTheFile",
                   {Call::Write, kTarget, 3, FaultKind::Error, ENOSPC},
                   false,
                   false,
                   Outcome::BackupKept},
        SFaultCase{"ShortWriteIntoTheFileIsContinued",
                   {Call::Write, kTarget, 2, FaultKind::ShortWrite},
                   false,
                   false,
                   Outcome::Written},
        SFaultCase{"CuttingTheFileToLength",
                   {Call::Ftruncate, kTarget, 1, FaultKind::Error, EIO},
                   false,
                   false,
                   Outcome::BackupKept},
        SFaultCase{
            "SyncingTheFile", {Call::Fsync, kTarget, 1, FaultKind::Error, EIO}, false, false, Outcome::BackupKept},
        SFaultCase{
            "ClosingTheFile", {Call::Close, kTarget, 1, FaultKind::Error, EIO}, false, false, Outcome::BackupKept},
        SFaultCase{"OpeningTheFileToReadItBack",
                   {Call::OpenRead, kTarget, 1, FaultKind::Error, EIO},
                   false,
                   false,
                   Outcome::BackupKept},
        SFaultCase{
            "ReadingTheFileBack", {Call::Read, kTarget, 2, FaultKind::Error, EIO}, false, false, Outcome::BackupKept},
        SFaultCase{"FileReadsBackDifferent",
                   {Call::Read, kTarget, 3, FaultKind::CorruptRead},
                   false,
                   false,
                   Outcome::BackupKept},
        SFaultCase{"RemovingTheBackup",
                   {Call::Unlink, kTemporary, 1, FaultKind::Error, EIO},
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

TEST(SafeWriterOrder, TheBackupAndItsNameAreOnDiskBeforeTheFileIsOpenedForWriting)
{
    CTempDir dir;
    const std::string strTarget = dir.Write("t.for", kOld);
    fs::create_hard_link(strTarget, dir.File("u.for"));
    CFaultySystemCalls calls(strTarget);
    CSystemCallsInstalled installed(&calls);
    CSafeFileWriter writer;
    ASSERT_TRUE(writer.Begin(strTarget));
    ASSERT_TRUE(writer.Write(NewContents()));
    ASSERT_EQ(writer.Commit(nullptr), COMMIT_WRITTEN);

    const long nOpen = calls.First(Call::OpenWrite, kTarget);
    ASSERT_GE(nOpen, 0);
    EXPECT_EQ(calls.First(Call::Rename, kTemporary), -1) << "a file with two names is never renamed over";
    EXPECT_LT(calls.Last(Call::Fsync, kTemporary), nOpen);
    EXPECT_LT(calls.First(Call::Close, kTemporary), nOpen) << "the backup is closed (and its data written)";
    EXPECT_LT(calls.First(Call::Fsync, kDirectory), nOpen);
    EXPECT_LT(calls.Last(Call::Stat, kTarget), nOpen);
    const long nSync = calls.Last(Call::Fsync, kTarget);
    EXPECT_LT(calls.Last(Call::Write, kTarget), nSync);
    EXPECT_LT(calls.First(Call::Ftruncate, kTarget), nSync);
    EXPECT_LT(nSync, calls.First(Call::OpenRead, kTarget)) << "what is read back is what was synced";
    EXPECT_GT(calls.First(Call::Unlink, kTemporary), calls.Last(Call::Read, kTarget))
        << "the backup is removed only after the file has been read back";
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
