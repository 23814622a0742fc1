#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <sys/stat.h>

#include "console_capture.h"
#include "data_directory.h"
#include "temp_dir.h"
#include "varnholt/vfs/archive.h"
#include "varnholt/vfs/save_file.h"
#include "varnholt/vfs/vfs.h"
#include "varnholt/vfs/vfs_stream.h"

using namespace varnholt;

namespace {
class DataDirectories : public DataDirectoryTest {
protected:
    std::string first_line(vfs_istream& in)
    {
        std::string line;
        std::getline(in, line);
        return line;
    }
};
}

TEST(Archive, DirectoryMountOpensOnlyFilesUnderItsDirectory)
{
    TempDir dir;
    dir.write("present.txt", "x");
    dir.write("folder/inner.txt", "y");
    const auto mount = vfs_mount_directory(dir.path());
    EXPECT_NE(mount->open("present.txt"), nullptr);
    EXPECT_EQ(mount->open("absent.txt"), nullptr);
    EXPECT_EQ(mount->open("folder"), nullptr);
    EXPECT_EQ(mount->kind("folder"), VFS_Mount::Kind::folder);

    VFS_BaseArchive base;
    VFS_MountList mounts;
    base.mount(dir.path(), mounts, mounts);
    EXPECT_TRUE(mounts.empty());
}

TEST(Archive, InitListsRegisteredFormatsUntilTheyAreDestroyed)
{
    ConsoleCapture capture;
    auto extra = std::make_unique<VFS_BaseArchive>("extra format");
    vfs_init();
    EXPECT_EQ(capture.take(),
              "File System Init:\n   archive formats:\n      provides access to normal files\n"
              "      provides access to zip packs\n      extra format\n");
    extra.reset();
    vfs_init();
    EXPECT_EQ(capture.take(), "File System Init:\n   archive formats:\n      provides access to normal files\n"
                              "      provides access to zip packs\n");
    vfs_close();
    EXPECT_EQ(capture.take(), "Closing file system...\n");
}

TEST_F(DataDirectories, ReadsFromGamepathFirstThenBasepath)
{
    dir.write("game/both.cfg", "game\n");
    dir.write("base/both.cfg", "base\n");
    dir.write("base/only.cfg", "only\n");
    use(dir.at("game"), dir.at("base"));
    vfs_istream both("both.cfg");
    EXPECT_EQ(first_line(both), "game");
    vfs_istream only("only.cfg");
    EXPECT_EQ(first_line(only), "only");
    vfs_istream none("none.cfg");
    EXPECT_FALSE(none.is_open());
    EXPECT_TRUE(none.fail());
}

TEST_F(DataDirectories, EmptyGamepathLooksAtTheRoot)
{
    use("", dir.path());
    vfs_istream root("etc/hostname");
    EXPECT_EQ(root.is_open(), std::filesystem::exists("/etc/hostname"));
}

TEST_F(DataDirectories, WritesUnderBasepathWhenGamepathIsMissingAndTruncates)
{
    use(dir.at("missing"), dir.path());
    {
        vfs_ostream out("out.cfg");
        out << "long first content";
    }
    {
        vfs_ostream out("out.cfg");
        out << "short";
    }
    EXPECT_EQ(dir.read("out.cfg"), "short");
}

TEST_F(DataDirectories, CreatedFilesGetPermissions0664LessTheMask)
{
    use(dir.path(), dir.path());
    const mode_t old_mask = umask(0);
    {
        vfs_ostream out("perm.cfg");
    }
    umask(old_mask);
    struct stat info {};
    ASSERT_EQ(stat(dir.at("perm.cfg").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0664u);
}

TEST_F(DataDirectories, CloseReportsFailedWrites)
{
    use("/dev", "/dev");
    vfs_ostream out("full");
    ASSERT_TRUE(out.is_open());
    out << std::string(100000, 'x');
    out.close();
    EXPECT_TRUE(out.fail());
}

TEST_F(DataDirectories, SavingWhatTheFileHoldsLeavesItAlone)
{
    const auto inode = [&] {
        struct stat status;
        return stat(dir.at("saved.cfg").c_str(), &status) == 0 ? status.st_ino : 0;
    };
    ASSERT_TRUE(vfs_save_file("saved.cfg", "set a \"1\"\n"));
    const auto first = inode();
    ASSERT_TRUE(vfs_save_file("saved.cfg", "set a \"1\"\n"));
    EXPECT_EQ(inode(), first);
    // A longer and a shorter text that begin alike, and one of the same size,
    // replace it: with a new file, made while the old one still holds its
    // number.
    for (const std::string content : {"set a \"1\"\nset b \"2\"\n", "set a \"1\"", "set a \"2\""}) {
        const auto before = inode();
        ASSERT_TRUE(vfs_save_file("saved.cfg", content));
        EXPECT_EQ(dir.read("saved.cfg"), content);
        EXPECT_NE(inode(), before);
    }
}
