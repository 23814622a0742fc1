// Golden transcripts: each file of tests/transcripts/*.txt is one test. The
// engine runs in a fresh, empty directory, and the file says what to put
// there, what to type, what the engine must print and which files it must
// leave behind.
//
// Lines up to the first section are comments. A section starts with a line
// "=== <kind> [path]"; the lines after it, up to the next section, are its
// text, each ending with a line feed (trailing blanks count: echo prints one
// after every word). Paths are relative to the test's directory.
//   === write <path>    the text becomes the file <path>
//   === copy <path>     <path> of the source tree is copied to <path>
//   === pack <zip> <entry>  the text becomes the entry <entry> (deflated) of
//                       the zip archive <zip>, after the entries earlier
//                       sections put there; an <entry> ending in "/" is a
//                       folder
//   === run             the engine runs: a line "] <typed>" sends <typed>
//                       as a line of standard input and stands for the
//                       prompt "] " in the output; every other line is
//                       output. The output must be exactly this, and the
//                       exit status 0.
//   === expect <path>   the file <path> holds exactly the text
//   === absent <path>   no file <path> exists (an absolute path is taken
//                       as it is)
// So no output line of a transcript may begin with "] " or "=== ".
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "engine_process.h"
#include "pack_writer.h"
#include "temp_dir.h"

namespace fs = std::filesystem;

namespace {
const std::string transcripts = VARNHOLT_SOURCE_DIR "/tests/transcripts";

struct Section {
    std::string kind;
    std::string path;
    std::string text;   // all lines, each with its line feed
    std::string input;  // for run: the typed lines
};

std::vector<Section> sections_of(const std::string& name)
{
    std::ifstream file(transcripts + '/' + name + ".txt");
    std::vector<Section> sections;
    for (std::string line; std::getline(file, line);) {
        if (line.rfind("=== ", 0) == 0) {
            const std::string words = line.substr(4);
            const auto blank = words.find(' ');
            Section section;
            section.kind = words.substr(0, blank);
            section.path = blank == std::string::npos ? "" : words.substr(blank + 1);
            sections.push_back(section);
        } else if (sections.empty()) {
            continue;
        } else if (sections.back().kind == "run" && line.rfind("] ", 0) == 0) {
            sections.back().text += "] ";
            sections.back().input += line.substr(2) + '\n';
        } else {
            sections.back().text += line + '\n';
        }
    }
    return sections;
}

std::vector<std::string> transcript_names()
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(transcripts)) {
        if (entry.path().extension() == ".txt")
            names.push_back(entry.path().stem().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

class Transcript : public ::testing::TestWithParam<std::string> {
protected:
    std::string path_of(const std::string& path) const { return path.rfind('/', 0) == 0 ? path : dir.at(path); }

    TempDir dir;
    std::map<std::string, std::vector<PackFile>> packs;  // by the zip's path
};
}

TEST_P(Transcript, RunsAsWritten)
{
    const std::vector<Section> sections = sections_of(GetParam());
    ASSERT_FALSE(sections.empty()) << "no sections in " << GetParam() << ".txt";
    for (const Section& section : sections) {
        SCOPED_TRACE(GetParam() + ".txt: === " + section.kind + " " + section.path);
        if (section.kind == "write") {
            dir.write(section.path, section.text);
        } else if (section.kind == "pack") {
            const auto blank = section.path.find(' ');
            const std::string zip = section.path.substr(0, blank);
            packs[zip].push_back({section.path.substr(blank + 1), section.text});
            ASSERT_TRUE(write_pack(dir.at(zip), packs[zip]));
        } else if (section.kind == "copy") {
            fs::create_directories(fs::path(dir.at(section.path)).parent_path());
            fs::copy_file(VARNHOLT_SOURCE_DIR "/" + section.path, dir.at(section.path),
                          fs::copy_options::overwrite_existing);
        } else if (section.kind == "run") {
            const EngineRun result = run_engine(dir.path(), section.input);
            EXPECT_EQ(result.output, section.text);
            EXPECT_EQ(result.status, 0);
        } else if (section.kind == "expect") {
            EXPECT_TRUE(dir.exists(section.path));
            EXPECT_EQ(dir.read(section.path), section.text);
        } else if (section.kind == "absent") {
            EXPECT_FALSE(fs::exists(path_of(section.path)));
        } else {
            ADD_FAILURE() << "unknown section";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Files, Transcript, ::testing::ValuesIn(transcript_names()),
                         [](const ::testing::TestParamInfo<std::string>& info) { return info.param; });
