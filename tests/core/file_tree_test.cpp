#include "core/file_tree.h"
#include "tests/support/temp_tree.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace fotarel;
using fotarel::test::TempTree;

TEST(FileTree, DeletesAWholeTreeButKeepsReadOnlyFilesAndTheirFolders)
{
    TempTree t;
    t.write("a/b/c/file.bmp", "x");
    t.write("a/b/other.rar", "y");
    t.write("a/keep/ro.bmp", "z");
    t.write("a/.hidden", "h");
    QFile::setPermissions(t.path("a/keep/ro.bmp"), QFileDevice::ReadOwner);

    deleteTree(t.path("a"));
    EXPECT_TRUE(t.exists("a/keep/ro.bmp"));
    EXPECT_TRUE(t.exists("a/keep"));
    EXPECT_FALSE(t.exists("a/b"));
    EXPECT_FALSE(t.exists("a/.hidden"));
    QFile::setPermissions(t.path("a/keep/ro.bmp"), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    deleteTree(t.path("a"));
    EXPECT_FALSE(t.exists("a"));
}

TEST(FileTree, NeverFollowsLinksOutOfTheTree)
{
    TempTree t;
    t.write("outside/precious.jpg", "photo");
    t.mkdir("tree");
    ASSERT_EQ(::symlink(t.path("outside").toLocal8Bit().constData(), t.path("tree/link").toLocal8Bit().constData()), 0);
    deleteTree(t.path("tree"));
    EXPECT_TRUE(t.exists("outside/precious.jpg"));
    EXPECT_FALSE(QFileInfo(t.path("tree/link")).isSymLink());
    deleteTree(t.path("missing")); // a missing folder is no error
}

TEST(FileTree, CopiesATreeAndStopsAtAFileItCannotWrite)
{
    TempTree t;
    t.write("from/a.swf", "movie");
    t.write("from/deep/er/b.ini", "ini");
    t.write("from/.hidden", "h");
    ASSERT_TRUE(copyTree(t.path("from"), t.path("to")));
    EXPECT_TRUE(t.exists("to/a.swf"));
    EXPECT_TRUE(t.exists("to/deep/er/b.ini"));
    EXPECT_TRUE(t.exists("to/.hidden"));
    EXPECT_FALSE(copyTree(t.path("from"), t.path("to"))) << "existing targets are not overwritten silently";
}

TEST(FileTree, RecreateMakesParentsAndGivesUpWhenImpossible)
{
    TempTree t;
    EXPECT_TRUE(recreateFolder(t.path("x/y/z/")));
    EXPECT_TRUE(QFileInfo(t.path("x/y/z")).isDir());

    // A file standing where a parent folder must go can never become a folder.
    t.write("blocked", "file");
    int pumps = 0;
    EXPECT_FALSE(recreateFolder(t.path("blocked/sub/"), [&] { ++pumps; }, std::chrono::milliseconds(100)));
    EXPECT_GT(pumps, 0);
}
