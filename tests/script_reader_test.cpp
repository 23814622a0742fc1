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

// Has no get area and gives at most seven bytes a read, as a decompressing
// stream may: what it holds is never known in advance.
struct ShortReads : std::streambuf {
    explicit ShortReads(std::string text) : text(std::move(text)) {}
    int_type underflow() override { return at == text.size() ? traits_type::eof() : traits_type::to_int_type(text[at]); }
    std::streamsize xsgetn(char* into, std::streamsize size) override
    {
        const std::size_t count = text.copy(into, std::min<std::size_t>(size, 7), at);
        at += count;
        return static_cast<std::streamsize>(count);
    }
    std::string text;
    std::size_t at = 0;
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
    // A last line without a line feed, longer or shorter than what precedes it.
    const std::string firsts[] = {"", "\n", "a\n", "// my settings\n", limit + "\n"};
    for (const std::string& first : firsts) {
        for (const std::size_t length : {1, 2, 3, 17, 18, 100, 1022, 1023, 1024, 70000}) {
            std::string text = first;
            for (std::size_t i = 0; i < length; ++i)
                text += static_cast<char>('a' + i % 26);
            std::istringstream in(text);
            EXPECT_EQ(lines_of(in), expected_lines(text)) << first.size() << " then " << length;
        }
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
        ShortReads short_reads(text);
        std::istream in_short_reads(&short_reads);
        EXPECT_EQ(lines_of(in_short_reads), expected_lines(text)) << seed;
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

TEST(ScriptReader, SkippingALongLineEndsAtTheLimitOrAStopRequest)
{
    // Zero bytes without end and without a line feed, counted.
    struct Endless : std::streambuf {
        int_type underflow() override
        {
            given += sizeof zeros;
            setg(zeros, zeros, zeros + sizeof zeros);
            return 0;
        }
        char zeros[4096] = {};
        std::size_t given = 0;
    };
    static int asked;
    for (const int stop_at : {4, 0}) {
        Endless endless;
        std::istream in(&endless);
        asked = stop_at;
        ScriptReader reader(in, [] { return --asked == 0; });
        EXPECT_STREQ(reader.next_line(), "");
        EXPECT_EQ(reader.next_line(), nullptr);
        // A stop request is seen while skipping, or the line is given up.
        EXPECT_EQ(reader.gave_up_on_line(), stop_at == 0);
        EXPECT_LE(endless.given, stop_at == 0 ? longest_script_line + 65536 : 65536 * 3);
    }
    std::istringstream longest(std::string(longest_script_line, 'z') + "\nnext");
    EXPECT_EQ(lines_of(longest), (Lines {std::string(1023, 'z'), "next"}));
}
