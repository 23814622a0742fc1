#include <gtest/gtest.h>

#include <algorithm>
#include <istream>
#include <random>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include "varnholt/console/script_reader.h"

using namespace varnholt;

namespace {
using Lines = std::vector<std::string>;

Lines lines_of(std::istream& in)
{
    ScriptReader reader(in);
    Lines lines;
    while (const char* line = reader.next_line())
        lines.emplace_back(line);
    return lines;
}

// The format, said plainly: pieces between line feeds, each cut to 1023
// characters and then at its first zero; a last piece without a line feed
// counts unless it is empty.
Lines expected_lines(const std::string& text)
{
    Lines lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t feed = std::min(text.find('\n', start), text.size());
        lines.emplace_back(text.substr(start, std::min<std::size_t>(feed - start, 1023)).c_str());
        start = feed + 1;
    }
    return lines;
}

// Hands out its text in pieces of the given sizes, like a pipe whose writer
// is slow: nothing is available before each piece is asked for.
class PieceBuffer : public std::streambuf {
public:
    PieceBuffer(std::string text, std::vector<std::size_t> sizes) : text(std::move(text)), sizes(std::move(sizes)) {}

protected:
    std::streamsize showmanyc() override { return 0; }
    int_type underflow() override
    {
        if (at == text.size())
            return traits_type::eof();
        const std::size_t size = std::min(sizes[piece++ % sizes.size()], text.size() - at);
        char* const begin = &text[at];
        setg(begin, begin, begin + size);
        at += size;
        return traits_type::to_int_type(*begin);
    }

private:
    std::string text;
    std::vector<std::size_t> sizes;
    std::size_t at = 0;
    std::size_t piece = 0;
};

// Lines of every kind, long enough to cross the reader's blocks.
std::string generated_script(unsigned seed)
{
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> kind(0, 9);
    std::string text;
    while (text.size() < 300000) {
        switch (kind(random)) {
        case 0:
            text += std::string(1022 + random() % 3, 'e') + "\n";  // either side of the limit
            break;
        case 1:
            text += std::string(70000, 'o') + "\n";  // longer than a block
            break;
        case 2:
            text += "\n";
            break;
        case 3:
            text += std::string("a\0b\n", 4);
            break;
        default:
            text += "echo line " + std::to_string(random() % 100000) + "\r\n";
        }
    }
    return text + "last";
}
}

TEST(ScriptReader, SplitsLinesAndCutsOverlongOnes)
{
    const std::string limit(1023, 'x');
    for (const std::string& text : {std::string(), std::string("a\nb"), std::string("a\nb\n"),
                                    std::string("\n\n"), limit + "\ny", limit + "z\ny", limit + "zz",
                                    std::string(5000, 'l') + "\nnext", std::string("a\0b\nc", 5)}) {
        std::istringstream in(text);
        EXPECT_EQ(lines_of(in), expected_lines(text)) << text.size();
    }
}

TEST(ScriptReader, LinesCrossingBlocksAndPiecesComeOutWhole)
{
    for (unsigned seed = 1; seed <= 3; ++seed) {
        const std::string text = generated_script(seed);
        std::istringstream whole(text);
        EXPECT_EQ(lines_of(whole), expected_lines(text)) << seed;
        PieceBuffer pieces(text, {1, 7, 1023, 1024, 4096, 65536, 70001});
        std::istream piecewise(&pieces);
        EXPECT_EQ(lines_of(piecewise), expected_lines(text)) << seed;
    }
}

TEST(ScriptReader, ALineIsHandedOutBeforeMoreIsAskedFor)
{
    // The second piece never comes: asking for it fails the test.
    struct OnePieceThenFail : PieceBuffer {
        OnePieceThenFail() : PieceBuffer("echo a\necho b\nhalf", {100}) {}
        int_type underflow() override
        {
            EXPECT_LT(calls++, 1) << "read past the lines already there";
            return PieceBuffer::underflow();
        }
        int calls = 0;
    } buffer;
    std::istream in(&buffer);
    ScriptReader reader(in);
    EXPECT_STREQ(reader.next_line(), "echo a");
    EXPECT_STREQ(reader.next_line(), "echo b");
}
