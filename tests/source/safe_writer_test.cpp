// CSafeFileWriter: the target holds its old or its new contents, never a
// part, and no temporary file outlives an attempt.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "safe_file_writer.h"
#include "temp_dir.h"

namespace {

TEST(SafeFileWriter, ReplacesTheTargetOnlyOnCommit)
{
    CTempDir dir;
    const std::string strTarget = dir.Write("t.for", "old\n");
    {
        CSafeFileWriter writer;
        ASSERT_TRUE(writer.Begin(strTarget));
        ASSERT_TRUE(writer.Write("new\n"));
        EXPECT_EQ(ReadWholeFile(strTarget), "old\n") << "nothing changes before the commit";
        EXPECT_EQ(std::filesystem::path(writer.TemporaryPath()).parent_path(), dir.Path());
        ASSERT_TRUE(writer.Commit());
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
        EXPECT_FALSE(writer.Commit());
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
    ASSERT_TRUE(writer.Commit());
    EXPECT_EQ(ReadWholeFile(dir.File("big.txt")), strContents);
}

TEST(SafeFileWriter, ANewFileGetsTheUsualPermissions)
{
    CTempDir dir;
    const mode_t oldMask = umask(022);
    CSafeFileWriter writer;
    ASSERT_TRUE(writer.Begin(dir.File("new.for")));
    ASSERT_TRUE(writer.Write("x\n"));
    ASSERT_TRUE(writer.Commit());
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
    EXPECT_FALSE(writer.Commit());
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
    ASSERT_TRUE(writer.Commit());
    EXPECT_EQ(ReadWholeFile(dir.File("sub/real.for")), "new\n");
    EXPECT_TRUE(std::filesystem::is_symlink(dir.Path() / "b.for"));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.Path() / "a.for"));
}

}  // namespace
