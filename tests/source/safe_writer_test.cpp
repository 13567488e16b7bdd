// CSafeFileWriter: the target holds its old or its new contents, never a
// part, and no temporary file outlives an attempt.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <map>
#include <thread>
#include <vector>

#include "safe_file_writer.h"
#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;

struct stat StatOf(const std::string& path)
{
    struct stat st {};
    EXPECT_EQ(stat(path.c_str(), &st), 0) << path;
    return st;
}

// Every extended attribute of a file (its ACLs among them), name to value.
std::map<std::string, std::string> AttributesOf(const std::string& path)
{
    std::map<std::string, std::string> attributes;
    std::vector<char> names(65536);
    const ssize_t nNames = listxattr(path.c_str(), names.data(), names.size());
    for (ssize_t nAt = 0; nAt < nNames;) {
        const std::string name(names.data() + nAt);
        nAt += static_cast<ssize_t>(name.size()) + 1;
        std::vector<char> value(65536);
        const ssize_t nValue = getxattr(path.c_str(), name.c_str(), value.data(), value.size());
        if (nValue >= 0)
            attributes[name].assign(value.data(), static_cast<std::size_t>(nValue));
    }
    return attributes;
}

TEST(SafeFileWriter, ReplacesTheTargetOnlyOnCommit)
{
    CTempDir dir;
    const std::string strTarget = dir.Write("t.for", "old\n");
    {
        CSafeFileWriter writer;
        ASSERT_TRUE(writer.Begin(strTarget));
        ASSERT_TRUE(writer.Write("new\n"));
        EXPECT_EQ(ReadWholeFile(strTarget), "old\n") << "nothing changes before the commit";
        // Made without a name where the file system can: nothing is seen
        // beside the file until the commit.
        if (writer.TemporaryPath().empty())
            EXPECT_EQ(dir.Listing(), "t.for ");
        else
            EXPECT_EQ(std::filesystem::path(writer.TemporaryPath()).parent_path(), dir.Path());
        ASSERT_EQ(writer.Commit(nullptr), COMMIT_WRITTEN);
    }
    EXPECT_EQ(ReadWholeFile(strTarget), "new\n");
    EXPECT_EQ(dir.Listing(), "t.for ");
}

TEST(SafeFileWriter, AnAttemptGivenUpLeavesNothingBehind)
{
    CTempDir dir;
    const std::string strTarget = dir.Write("t.for", "old\n");
    {
        CSafeFileWriter writer;
        ASSERT_TRUE(writer.Begin(strTarget));
        ASSERT_TRUE(writer.Write(std::string(200000, 'x')));
    }  // destroyed without a commit
    {
        CSafeFileWriter writer;
        ASSERT_TRUE(writer.Begin(strTarget));
        writer.Abandon();
        EXPECT_FALSE(writer.Write("late"));
        EXPECT_EQ(writer.Commit(nullptr), COMMIT_FAILED);
        EXPECT_NE(writer.Commit(nullptr), COMMIT_WRITTEN);
    }
    EXPECT_EQ(ReadWholeFile(strTarget), "old\n");
    EXPECT_EQ(dir.Listing(), "t.for ");
}

TEST(SafeFileWriter, WritesLargeContentsExactly)
{
    CTempDir dir;
    std::string strContents;
    for (int i = 0; i < 100000; ++i)
        strContents += std::to_string(i) + (i % 7 ? " " : "\n");
    CSafeFileWriter writer;
    ASSERT_TRUE(writer.Begin(dir.File("big.txt")));
    for (std::size_t i = 0; i < strContents.size(); i += 777)
        ASSERT_TRUE(writer.Write(strContents.data() + i, std::min<std::size_t>(777, strContents.size() - i)));
    ASSERT_EQ(writer.Commit(nullptr), COMMIT_WRITTEN);
    EXPECT_EQ(ReadWholeFile(dir.File("big.txt")), strContents);
}

TEST(SafeFileWriter, ANewFileGetsTheUsualPermissions)
{
    CTempDir dir;
    const mode_t oldMask = umask(022);
    CSafeFileWriter writer;
    ASSERT_TRUE(writer.Begin(dir.File("new.for")));
    ASSERT_TRUE(writer.Write("x\n"));
    ASSERT_EQ(writer.Commit(nullptr), COMMIT_WRITTEN);
    umask(oldMask);
    struct stat st {};
    ASSERT_EQ(stat(dir.File("new.for").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);
}

TEST(SafeFileWriter, NoTemporaryFileWhereThereIsNoFolder)
{
    CTempDir dir;
    CSafeFileWriter writer;
    EXPECT_FALSE(writer.Begin(dir.File("missing/t.for")));
    EXPECT_EQ(writer.Commit(nullptr), COMMIT_FAILED);
}

TEST(SafeFileWriter, FollowsAChainOfLinks)
{
    CTempDir dir;
    std::filesystem::create_directory(dir.Path() / "sub");
    dir.Write("sub/real.for", "old\n");
    std::filesystem::create_symlink("sub/real.for", dir.Path() / "a.for");
    std::filesystem::create_symlink("a.for", dir.Path() / "b.for");
    CSafeFileWriter writer;
    ASSERT_TRUE(writer.Begin(dir.File("b.for")));
    EXPECT_EQ(writer.ResolvedTarget(), dir.File("sub/real.for"));
    ASSERT_TRUE(writer.Write("new\n"));
    ASSERT_EQ(writer.Commit(nullptr), COMMIT_WRITTEN);
    EXPECT_EQ(ReadWholeFile(dir.File("sub/real.for")), "new\n");
    EXPECT_TRUE(std::filesystem::is_symlink(dir.Path() / "b.for"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.Path() / "a.for"));
}

TEST(SafeFileWriter, ReadFileIdentityDescribesTheFileALinkStandsFor)
{
    CTempDir dir;
    const std::string strFile = dir.Write("t.for", "12345\n");
    fs::create_symlink("t.for", dir.Path() / "l.for");
    struct timespec times[2] = {{0, UTIME_OMIT}, {1700000000, 123456789}};
    ASSERT_EQ(utimensat(AT_FDCWD, strFile.c_str(), times, 0), 0);
    const struct stat st = StatOf(strFile);

    SFileIdentity identity;
    ASSERT_TRUE(ReadFileIdentity(dir.File("l.for"), identity));
    EXPECT_TRUE(identity.bKnown);
    EXPECT_EQ(identity.nDevice, static_cast<unsigned long long>(st.st_dev));
    EXPECT_EQ(identity.nInode, static_cast<unsigned long long>(st.st_ino));
    EXPECT_EQ(identity.nSize, 6);
    EXPECT_EQ(identity.nModifiedNs, 1700000000123456789LL);

    EXPECT_FALSE(ReadFileIdentity(dir.File("missing.for"), identity));
    EXPECT_FALSE(identity.bKnown) << "what failed to be read is not known";
}

// Another program changes the file between the moment it was read and the
// commit: the file is left exactly as that program left it, and nothing is
// left beside it.
struct SOtherChange {
    const char* pszWhat;
    bool bTwoNames;  // the file has a second name, so it would be overwritten in place
    std::function<void(const CTempDir&)> change;
};

TEST(SafeFileWriter, AFileChangedByAnotherProgramIsLeftAsItWasLeft)
{
    const auto append = [](const CTempDir& dir) {
        std::ofstream(dir.File("t.for"), std::ios::app) << "      CALL OTHER\n";
    };
    const auto replace = [](const CTempDir& dir) {
        dir.Write("other.tmp", "      PROGRAM OTHER\n");
        ASSERT_EQ(std::rename(dir.File("other.tmp").c_str(), dir.File("t.for").c_str()), 0);
    };
    const auto remove = [](const CTempDir& dir) { ASSERT_TRUE(fs::remove(dir.File("t.for"))); };
    // Same size, same inode: only the modification time tells, by one nanosecond.
    const auto touch = [](const CTempDir& dir) {
        struct stat st = StatOf(dir.File("t.for"));
        st.st_mtim.tv_nsec = (st.st_mtim.tv_nsec + 1) % 1000000000;
        const struct timespec times[2] = {{0, UTIME_OMIT}, st.st_mtim};
        ASSERT_EQ(utimensat(AT_FDCWD, dir.File("t.for").c_str(), times, 0), 0);
    };
    const SOtherChange changes[] = {
        {"a line appended", false, append},
        {"replaced by another file with rename", false, replace},
        {"removed", false, remove},
        {"touched one nanosecond later", false, touch},
        {"a line appended to a file with two names", true, append},
        {"replaced by rename while it had two names", true, replace},
    };
    for (const SOtherChange& change : changes) {
        SCOPED_TRACE(change.pszWhat);
        CTempDir dir;
        const std::string strTarget = dir.Write("t.for", "      PROGRAM P\n 100  FORMAT (I5)\n      END\n");
        if (change.bTwoNames)
            fs::create_hard_link(strTarget, dir.File("u.for"));
        SFileIdentity asRead;
        ASSERT_TRUE(ReadFileIdentity(strTarget, asRead));

        CSafeFileWriter writer;
        ASSERT_TRUE(writer.Begin(strTarget));
        ASSERT_TRUE(writer.Write("      PROGRAM NEW\n"));
        const std::string strTemporary = fs::path(writer.TemporaryPath()).filename().string();
        change.change(dir);
        const bool bExists = fs::exists(strTarget);
        const std::string strLeft = ReadWholeFile(strTarget);
        std::string strListing = dir.Listing();
        if (!strTemporary.empty())
            strListing.erase(strListing.find(strTemporary + " "), strTemporary.size() + 1);

        EXPECT_EQ(writer.Commit(&asRead), COMMIT_CHANGED);
        EXPECT_EQ(fs::exists(strTarget), bExists);
        EXPECT_EQ(ReadWholeFile(strTarget), strLeft);
        EXPECT_EQ(dir.Listing(), strListing) << "no temporary file is left";
        EXPECT_EQ(writer.BackupPath(), "");
    }
}

TEST(SafeFileWriter, AnUnchangedFileIsSavedAgainAndAgain)
{
    for (const bool bTwoNames : {false, true}) {
        SCOPED_TRACE(bTwoNames ? "two names" : "one name");
        CTempDir dir;
        const std::string strTarget = dir.Write("t.for", "old\n");
        if (bTwoNames)
            fs::create_hard_link(strTarget, dir.File("u.for"));
        SFileIdentity expected;
        ASSERT_TRUE(ReadFileIdentity(strTarget, expected));
        for (int nSave = 0; nSave < 3; ++nSave) {
            CSafeFileWriter writer;
            ASSERT_TRUE(writer.Begin(strTarget));
            const std::string strNew = "save " + std::to_string(nSave) + "\n";
            ASSERT_TRUE(writer.Write(strNew));
            ASSERT_EQ(writer.Commit(&expected), COMMIT_WRITTEN) << "save " << nSave;
            EXPECT_EQ(ReadWholeFile(strTarget), strNew);
            // What this save left is what the next one expects.
            SFileIdentity now;
            ASSERT_TRUE(ReadFileIdentity(strTarget, now));
            EXPECT_EQ(writer.WrittenIdentity(), now);
            expected = writer.WrittenIdentity();
        }
        EXPECT_EQ(dir.Listing(), bTwoNames ? "t.for u.for " : "t.for ");
    }
}

TEST(SafeFileWriter, AnIdentityNotKnownIsNotChecked)
{
    CTempDir dir;
    const std::string strTarget = dir.Write("t.for", "old\n");
    const SFileIdentity unknown;
    CSafeFileWriter writer;
    ASSERT_TRUE(writer.Begin(strTarget));
    ASSERT_TRUE(writer.Write("new\n"));
    dir.Write("t.for", "changed meanwhile\n");
    EXPECT_EQ(writer.Commit(&unknown), COMMIT_WRITTEN);
    EXPECT_EQ(ReadWholeFile(strTarget), "new\n");
}

// The replacement is a new file: it must carry the old one's extended
// attributes, ACLs among them, and its permission bits.
TEST(SafeFileWriter, KeepsExtendedAttributesAndAcls)
{
    CTempDir dir;
    const std::string strTarget = dir.Write("t.for", "old\n");
    ASSERT_EQ(chmod(strTarget.c_str(), 0640), 0);
    if (setxattr(strTarget.c_str(), "user.quillmark.note", "kept\0with a NUL", 15, 0) != 0)
        GTEST_SKIP() << "this file system keeps no extended attributes";
    if (std::system(("setfacl -m u:nobody:r '" + strTarget + "' 2>/dev/null").c_str()) != 0)
        GTEST_SKIP() << "setfacl is missing or this file system keeps no ACLs";
    const std::map<std::string, std::string> before = AttributesOf(strTarget);
    ASSERT_EQ(before.count("system.posix_acl_access"), 1u);
    ASSERT_EQ(before.count("user.quillmark.note"), 1u);
    const struct stat stBefore = StatOf(strTarget);

    CSafeFileWriter writer;
    ASSERT_TRUE(writer.Begin(strTarget));
    ASSERT_TRUE(writer.Write("new\n"));
    ASSERT_EQ(writer.Commit(nullptr), COMMIT_WRITTEN);

    const struct stat stAfter = StatOf(strTarget);
    EXPECT_NE(stAfter.st_ino, stBefore.st_ino) << "replaced by a new file";
    EXPECT_EQ(ReadWholeFile(strTarget), "new\n");
    EXPECT_EQ(AttributesOf(strTarget), before);
    EXPECT_EQ(stAfter.st_mode & 07777, stBefore.st_mode & 07777);
}

// Only a privileged process may give a file to another owner; the set-group-ID
// bit, which a change of owner clears, survives too.
TEST(SafeFileWriter, KeepsTheOwnerWhereItMaySetIt)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "giving a file to another owner needs privileges";
    CTempDir dir;
    const std::string strTarget = dir.Write("t.for", "old\n");
    ASSERT_EQ(chown(strTarget.c_str(), 65534, 65534), 0);
    ASSERT_EQ(chmod(strTarget.c_str(), 02750), 0);
    CSafeFileWriter writer;
    ASSERT_TRUE(writer.Begin(strTarget));
    ASSERT_TRUE(writer.Write("new\n"));
    ASSERT_EQ(writer.Commit(nullptr), COMMIT_WRITTEN);
    const struct stat st = StatOf(strTarget);
    EXPECT_EQ(st.st_uid, 65534u);
    EXPECT_EQ(st.st_gid, 65534u);
    EXPECT_EQ(st.st_mode & 07777, 02750u);
}

// A file with several names is overwritten in place: every name shows the
// new contents, whether they are longer, shorter or empty.
TEST(SafeFileWriter, AFileWithTwoNamesKeepsBoth)
{
    std::string strLong;
    for (int i = 0; strLong.size() < 150000; ++i)
        strLong += "      X = " + std::to_string(i) + "\n";
    const std::pair<std::string, std::string> cases[] = {
        {"old\n", strLong},
        {strLong, "short\n"},
        {"old\n", ""},
    };
    for (const auto& [strOld, strNew] : cases) {
        SCOPED_TRACE(strNew.size());
        CTempDir dir;
        const std::string strTarget = dir.Write("t.for", strOld);
        fs::create_hard_link(strTarget, dir.File("u.for"));
        ASSERT_EQ(chmod(strTarget.c_str(), 0604), 0);
        const ino_t inode = StatOf(strTarget).st_ino;

        CSafeFileWriter writer;
        ASSERT_TRUE(writer.Begin(strTarget));
        ASSERT_TRUE(writer.Write(strNew));
        ASSERT_EQ(writer.Commit(nullptr), COMMIT_WRITTEN);

        EXPECT_EQ(ReadWholeFile(strTarget), strNew);
        EXPECT_EQ(ReadWholeFile(dir.File("u.for")), strNew);
        const struct stat st = StatOf(strTarget);
        EXPECT_EQ(st.st_ino, inode);
        EXPECT_EQ(st.st_nlink, 2u);
        EXPECT_EQ(st.st_mode & 07777, 0604u);
        EXPECT_EQ(dir.Listing(), "t.for u.for ") << "the backup is removed";
        EXPECT_EQ(writer.BackupPath(), "");
    }
}

// Another Quillmark process's save of the file holds its lock: this save
// waits until it is let go, then finds the file changed by it.
class CHeldLock {
public:
    explicit CHeldLock(const std::string& path) : m_fd(open(path.c_str(), O_RDONLY | O_CLOEXEC))
    {
        EXPECT_GE(m_fd, 0);
        EXPECT_EQ(flock(m_fd, LOCK_EX), 0);
    }
    ~CHeldLock() { Release(); }
    CHeldLock(const CHeldLock&) = delete;
    CHeldLock& operator=(const CHeldLock&) = delete;

    void Release()
    {
        if (m_fd >= 0)
            close(m_fd);
        m_fd = -1;
    }

private:
    int m_fd;
};

bool IsLocked(const std::string& path)
{
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool bLocked = flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    close(fd);
    return bLocked;
}

// A save of "t.for" (holding "old\n") in a thread of its own, as another
// Quillmark process would make it: Begin waits for the lock, and the commit
// waits for the test's word.
class SafeFileWriterLock : public ::testing::Test {
protected:
    SafeFileWriterLock() : m_strTarget(m_dir.Write("t.for", "old\n"))
    {
        EXPECT_TRUE(ReadFileIdentity(m_strTarget, m_expected));
    }
    ~SafeFileWriterLock() override { Finish(); }

    void StartSave(const std::string& strText)
    {
        m_save = std::thread([this, strText] {
            CSafeFileWriter writer;
            if (!writer.Begin(m_strTarget))
                return;
            m_bBegun = true;
            while (!m_bMayCommit)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            if (writer.Write(strText))
                m_result = writer.Commit(&m_expected);
        });
    }
    // Lets the save commit and waits for it to end.
    void Finish()
    {
        m_bMayCommit = true;
        if (m_save.joinable())
            m_save.join();
    }

    CTempDir m_dir;
    std::string m_strTarget;
    SFileIdentity m_expected;
    std::thread m_save;
    std::atomic<bool> m_bBegun{false};
    std::atomic<bool> m_bMayCommit{false};
    std::atomic<CommitResult> m_result{COMMIT_FAILED};
};

TEST_F(SafeFileWriterLock, ASaveWaitsWhileAnotherHoldsTheLock)
{
    using namespace std::chrono_literals;
    CHeldLock other(m_strTarget);
    m_bMayCommit = true;
    StartSave("new\n");
    std::this_thread::sleep_for(300ms);
    EXPECT_FALSE(m_bBegun.load()) << "the save went on under another's lock";
    EXPECT_EQ(m_dir.Listing(), "t.for ") << "no temporary file while waiting";
    other.Release();
    Finish();
    EXPECT_TRUE(m_bBegun.load());
    EXPECT_EQ(m_result.load(), COMMIT_WRITTEN);
    EXPECT_EQ(ReadWholeFile(m_strTarget), "new\n");
    EXPECT_FALSE(IsLocked(m_strTarget)) << "the lock is let go";
}

// The holder replaces the file (as a save does) and lets go: the waiting
// save locks the file now in its place, and its check finds the change.
TEST_F(SafeFileWriterLock, TheFilePutInPlaceMeanwhileIsTheOneLocked)
{
    using namespace std::chrono_literals;
    CHeldLock other(m_strTarget);
    StartSave("mine\n");
    std::this_thread::sleep_for(100ms);
    m_dir.Write("other.tmp", "theirs\n");
    ASSERT_EQ(std::rename(m_dir.File("other.tmp").c_str(), m_strTarget.c_str()), 0);
    other.Release();
    for (int i = 0; i < 5000 && !m_bBegun; ++i)
        std::this_thread::sleep_for(1ms);
    EXPECT_TRUE(m_bBegun.load());
    EXPECT_TRUE(IsLocked(m_strTarget)) << "the file in the name's place is locked";
    Finish();
    EXPECT_EQ(m_result.load(), COMMIT_CHANGED);
    EXPECT_EQ(ReadWholeFile(m_strTarget), "theirs\n");
    EXPECT_FALSE(IsLocked(m_strTarget));
    EXPECT_EQ(m_dir.Listing(), "t.for ");
}

// A save given up lets the lock go as well.
TEST_F(SafeFileWriterLock, AnAbandonedSaveLetsTheLockGo)
{
    CSafeFileWriter writer;
    ASSERT_TRUE(writer.Begin(m_strTarget));
    EXPECT_TRUE(IsLocked(m_strTarget));
    writer.Abandon();
    EXPECT_FALSE(IsLocked(m_strTarget));
    EXPECT_EQ(m_dir.Listing(), "t.for ");
}

}  // namespace
