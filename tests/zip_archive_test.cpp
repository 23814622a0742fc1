#include <gtest/gtest.h>

#include <functional>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

#include "console_capture.h"
#include "varnholt/base/limits.h"
#include "data_directory.h"
#include "pack_writer.h"
#include "temp_dir.h"
#include "varnholt/vfs/vfs.h"
#include "varnholt/vfs/vfs_stream.h"
#include "varnholt/vfs/zip_archive.h"

using namespace varnholt;

namespace {
std::string read_all(std::streambuf& buffer)
{
    return std::string(std::istreambuf_iterator<char>(&buffer), std::istreambuf_iterator<char>());
}

class Packs : public DataDirectoryTest {
protected:
    std::string run(const char* line)
    {
        console.execute(line, false);
        return capture.take();
    }

    ConsoleCapture capture;
};
}

// Stored, deflated and zip64 entries, folders, letter case, and the order of
// the search list: gamepath's pack before basepath's plain file, that
// before basepath's packs, the pack that sorts last first.
TEST_F(Packs, SearchListServesEachNameFromTheFirstMountThatHasIt)
{
    const std::string large(pack_chunk_size + 4000, 'z');  // read in two pieces
    ASSERT_TRUE(write_pack(dir.at("base/base.zip"), {{"stored.cfg", "stored\n", 0},
                                                     {"Maps/E1.cfg", "e1 base\n"},
                                                     {"big/zip64.cfg", large, 8, true},
                                                     {"empty/", ""},
                                                     {"patched.cfg", "base\n"},
                                                     {"plain.cfg", "base pack\n"}}));
    ASSERT_TRUE(write_pack(dir.at("base/Z_patch.ZIP"), {{"patched.cfg", "patch\n"}, {"plain.cfg", "patch\n"}}));
    dir.write("base/plain.cfg", "plain file\n");
    ASSERT_TRUE(write_pack(dir.at("game/game.zip"), {{"maps/e1.cfg", "e1 game\n", 0}}));
    use(dir.at("game"), dir.at("base"));

    const struct {
        const char* name;
        std::string content;  // empty: nothing opens
        std::string from;
    } cases[] = {
        {"stored.cfg", "stored\n", "base/base.zip"},
        {"MAPS/e1.CFG", "e1 game\n", "game/game.zip"},
        {"big/ZIP64.cfg", large, "base/base.zip"},
        {"patched.cfg", "patch\n", "base/Z_patch.ZIP"},
        {"plain.cfg", "plain file\n", "base"},
        {"empty", "", "base/base.zip"},
        {"../base/plain.cfg", "", ""},
        {"missing.cfg", "", ""},
    };
    for (const auto& one : cases) {
        SCOPED_TRACE(one.name);
        vfs_istream in(one.name);
        EXPECT_EQ(in.is_open(), !one.content.empty());
        if (in.is_open()) {
            EXPECT_EQ(read_all(*in.rdbuf()), one.content);
        }
        VFS_Mount::Kind kind;
        const VFS_Mount* mount = vfs_which(one.name, kind);
        EXPECT_EQ(mount ? mount->path() : "", one.from.empty() ? "" : dir.at(one.from));
    }
    EXPECT_EQ(run("vfs_path"), "directory \"" + dir.at("game") + "\"\npack \"" + dir.at("game/game.zip")
                                   + "\", 1 file\ndirectory \"" + dir.at("base") + "\"\npack \""
                                   + dir.at("base/Z_patch.ZIP") + "\", 2 files\npack \"" + dir.at("base/base.zip")
                                   + "\", 5 files\n");
    EXPECT_EQ(run("ls_files m*/e?.cfg"), "maps/e1.cfg\n1 total files\n");
    EXPECT_EQ(capture.take(), "");

    // Past 65,535 entries the archive needs zip64's end records.
    std::vector<PackFile> many;
    for (int i = 0; i <= 0x10000; ++i)
        many.push_back({"n/" + std::to_string(i), "", 0});
    many.back().content = "last\n";
    ASSERT_TRUE(write_pack(dir.at("many.zip"), many));
    const auto pack = vfs_mount_pack(pack_file_bytes(dir.at("many.zip")), "many.zip");
    ASSERT_NE(pack, nullptr);
    EXPECT_EQ(pack->file_count(), 0x10001);
    const auto last = pack->open("N/65536");
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(read_all(*last), "last\n");
}

TEST(ZipArchive, DamageCostsOnlyWhatItTouchesWithOneLineEach)
{
    TempDir dir;
    // Replaces the first `from` in the bytes by `to`, of the same length.
    const auto replace = [](std::string from, std::string to) {
        return [=](std::string& bytes) { bytes.replace(bytes.find(from), from.size(), to); };
    };
    const std::string second_record = std::string("PK\1\2");
    const struct {
        const char* damage;
        std::vector<PackFile> files;
        std::function<void(std::string&)> harm;
        std::string lines;
        std::vector<std::string> usable;  // each holds its own name
        std::vector<std::string> broken;  // open or read give nothing
    } rows[] = {
        {"not a zip", {}, [](std::string& bytes) { bytes = "PK but no zip"; },
         "Pack \"p.zip\": not a readable zip file, not mounted\n", {}, {}},
        {"central directory cut short", {{"a", "a"}},
         [](std::string& bytes) { bytes.resize(bytes.find("PK\1\2") + 20); },
         "Pack \"p.zip\": not a readable zip file, not mounted\n", {}, {}},
        {"second record damaged", {{"a", "a"}, {"b", "b"}},
         [&](std::string& bytes) { bytes[bytes.find(second_record, bytes.find(second_record) + 1) + 3] = 9; },
         "Pack \"p.zip\": central directory damaged after entry 1 of 2, the entries before it mounted\n", {"a"},
         {"b"}},
        {"unsafe names",
         {{"../up", "u"}, {"/abs", "a"}, {"back\\slash", "b"}, {"bell\a", "b"}, {"a//b", "b"}, {"ok", "ok"}},
         nullptr,
         "Pack \"p.zip\": entry \"../up\" left out: unsafe name\n"
         "Pack \"p.zip\": entry \"/abs\" left out: unsafe name\n"
         "Pack \"p.zip\": entry \"back\\slash\" left out: unsafe name\n"
         "Pack \"p.zip\": entry \"bell\a\" left out: unsafe name\n"
         "Pack \"p.zip\": entry \"a//b\" left out: unsafe name\n",
         {"ok"}, {"../up", "back\\slash"}},
        {"encrypted", {{"secret", "s", 8, false, false, "password"}, {"ok", "ok"}}, nullptr,
         "Pack \"p.zip\": entry \"secret\" left out: encrypted\n", {"ok"}, {"secret"}},
        {"unknown method", {{"bz", "bz", 0}, {"ok", "ok"}},
         [](std::string& bytes) {
             // Stored, then marked as bzip2 in its local and central headers.
             bytes[bytes.find("PK\3\4") + 8] = 12;
             bytes[bytes.find("PK\1\2") + 10] = 12;
         },
         "Pack \"p.zip\": entry \"bz\" left out: compression method 12\n", {"ok"}, {"bz"}},
        {"one name twice", {{"a", "a"}, {"A", "A"}, {"A/b", "b"}}, nullptr,
         "Pack \"p.zip\": entry \"A\" left out: the name of \"a\" too\n"
         "Pack \"p.zip\": entry \"A/b\" left out: its folder is the file \"a\"\n",
         {"a"}, {"A/b"}},
        {"CRC mismatch", {{"c", "echo run\n", 0}, {"ok", "ok", 0}}, replace("echo run", "echo ran"),
         "Pack \"p.zip\": entry \"c\" damaged: CRC mismatch\n", {"ok"}, {"c"}},
        {"bad deflate data", {{"d", "\xff\xff\xff\xff", 8, false, true}, {"ok", "ok"}}, nullptr,
         "Pack \"p.zip\": entry \"d\" damaged: bad compressed data\n", {"ok"}, {"d"}},
        {"bytes before the archive", {{"s", "s", 0}, {"d", "d"}},
         [](std::string& bytes) { bytes.insert(0, "#!/bin/sh\n"); }, "", {"s", "d"}, {}},
        {"local header damaged", {{"h", "h"}, {"ok", "ok"}}, replace("PK\3\4", "PK\3\5"),
         "Pack \"p.zip\": entry \"h\" damaged: its header cannot be read\n", {"ok"}, {"h"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.damage);
        ASSERT_TRUE(write_pack(dir.at("p.zip"), row.files));
        std::string bytes = dir.read("p.zip");
        if (row.harm)
            row.harm(bytes);
        ConsoleCapture capture;
        const auto pack = vfs_mount_pack(pack_memory_bytes(bytes), "p.zip");
        EXPECT_EQ(pack == nullptr, row.usable.empty());
        for (const std::string& name : pack ? row.usable : std::vector<std::string>()) {
            const auto buffer = pack->open(name.c_str());
            EXPECT_EQ(buffer ? read_all(*buffer) : "(not opened)", name) << name;
        }
        for (const std::string& name : pack ? row.broken : std::vector<std::string>()) {
            const auto buffer = pack->open(name.c_str());
            EXPECT_EQ(buffer ? read_all(*buffer) : "", "") << name;
        }
        EXPECT_EQ(capture.take(), row.lines);
    }
}

// While start-up may move gamepath the list is built again; what it had
// mounted stays mounted, a bad pack is reported once, and a script still
// reading from a pack of a list that is gone reads on.
TEST_F(Packs, ListBuiltAgainKeepsItsPacksAndTheirOpenStreams)
{
    ASSERT_TRUE(write_pack(dir.at("base/base.zip"), {{"long.cfg", std::string(pack_chunk_size * 2, 'x')}}));
    dir.write("base/bad.zip", "no zip");
    use(dir.at("base"), dir.at("base"));
    const std::shared_ptr<VFS_Mount> before = vfs_search_list().back();
    use(dir.at("base"), dir.at("base/."));
    EXPECT_EQ(vfs_search_list().size(), 2u);  // one directory, its pack
    vfs_istream reading("long.cfg");
    EXPECT_EQ(capture.take(), "Pack \"" + dir.at("base/bad.zip") + "\": not a readable zip file, not mounted\n");

    use(dir.at("game"), dir.at("base"));
    EXPECT_EQ(vfs_search_list().back(), before);
    vfs_forget_mounts();
    EXPECT_NE(vfs_search_list().back(), before);
    EXPECT_EQ(read_all(*reading.rdbuf()), std::string(pack_chunk_size * 2, 'x'));
    EXPECT_EQ(capture.take(), "");
}

// exec reads a pack entry as it reads a file: every line of a script
// longer than one piece runs once, across the pieces' borders.
TEST_F(Packs, ExecRunsEveryLineOfALongEntry)
{
    std::string script, expected;
    for (int i = 0; expected.size() < pack_chunk_size * 2; ++i) {
        script += "echo line" + std::to_string(i) + "\n";
        expected += "line" + std::to_string(i) + " \n";
    }
    ASSERT_TRUE(write_pack(dir.at("stored.zip"), {{"long.cfg", script, 0}}));
    EXPECT_EQ(run("exec long.cfg"), expected);
}

TEST_F(Packs, LsFilesMatchesWildcardsIgnoringCase)
{
    ASSERT_TRUE(write_pack(dir.at("p.zip"), {{"maps/e1m1.cfg", ""}, {"maps/E1M2.cfg", ""}, {"maps/e2m1.bsp", ""},
                                             {".hidden.cfg", ""}, {"a*b", ""}}));
    dir.write("maps/e3m1.cfg", "");
    dir.write(".git/config", "");
    // A link to a folder above is listed as a folder and not entered.
    ASSERT_EQ(symlink("..", dir.at("maps/up").c_str()), 0);
    const struct {
        const char* line;
        const char* output;
    } cases[] = {
        {"ls_files MAPS/E1M?.cfg", "maps/e1m1.cfg\nmaps/E1M2.cfg\n2 total files\n"},
        {"ls_files *m1*", "maps/e1m1.cfg\nmaps/e2m1.bsp\nmaps/e3m1.cfg\n3 total files\n"},
        {"ls_files *.*.*", "0 total files\n"},
        {"ls_files a*b", "a*b\n1 total files\n"},
        {"ls_files ?", "0 total files\n"},
        {"ls_files a b", "Usage: ls_files [pattern]\n"},
        {"ls_files", "a*b\nmaps/e1m1.cfg\nmaps/E1M2.cfg\nmaps/e2m1.bsp\nmaps/e3m1.cfg\np.zip\n6 total files\n"},
    };
    for (const auto& one : cases)
        EXPECT_EQ(run(one.line), one.output) << one.line;
}
