#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

#include "varnholt/process/line_reader.h"

using namespace varnholt;

namespace {
// A reader on the read end of a pipe the test writes into.
class LineReaderTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(pipe(ends), 0); }
    void TearDown() override
    {
        close(ends[0]);
        close_input();
    }

    void write_text(const std::string& text) { ASSERT_EQ(write(ends[1], text.data(), text.size()), ssize_t(text.size())); }
    void close_input()
    {
        if (ends[1] >= 0)
            close(ends[1]);
        ends[1] = -1;
    }
    // The next line, or "<none>". Reading the end of the input may take
    // a call of its own, as a frame does.
    std::string next()
    {
        char line[line_size];
        for (int call = 0; call < 2; ++call) {
            if (reader.next_line(line))
                return line;
        }
        return "<none>";
    }

    int ends[2] = {-1, -1};
    LineReader reader {-1};
};
}

TEST_F(LineReaderTest, EveryLineOfOneWriteComesOutOnePerCall)
{
    reader = LineReader(ends[0]);
    EXPECT_EQ(next(), "<none>");
    EXPECT_FALSE(reader.read_input());
    write_text("one\ntwo\n\nthree\npart");
    EXPECT_EQ(next(), "one");
    EXPECT_EQ(next(), "two");
    EXPECT_EQ(next(), "");
    EXPECT_EQ(next(), "three");
    EXPECT_EQ(next(), "<none>");
    write_text("ial\n");
    EXPECT_EQ(next(), "partial");
    EXPECT_TRUE(reader.read_input());
}

TEST_F(LineReaderTest, LongLinesKeep1023CharactersAndDropTheRest)
{
    reader = LineReader(ends[0]);
    write_text(std::string(1023, 'a') + "\n" + std::string(1500, 'b'));
    EXPECT_EQ(next(), std::string(1023, 'a'));
    EXPECT_EQ(next(), std::string(1023, 'b'));
    write_text(std::string(3000, 'b') + "\nafter\n");
    EXPECT_EQ(next(), "after");
}

TEST_F(LineReaderTest, EndOfInputGivesTheLastUnterminatedLineThenNothing)
{
    reader = LineReader(ends[0]);
    write_text("last");
    close_input();
    EXPECT_EQ(next(), "last");
    EXPECT_TRUE(reader.finished());
    EXPECT_EQ(next(), "<none>");
}

TEST_F(LineReaderTest, AClosedDescriptorEndsTheInput)
{
    const int fd = dup(ends[0]);
    reader = LineReader(fd);
    close(fd);
    EXPECT_EQ(next(), "<none>");
    EXPECT_TRUE(reader.finished());
}

TEST_F(LineReaderTest, AReadinessCheckThatFailsEndsTheInputOnceWithItsReason)
{
    reader = LineReader(ends[0]);
    EXPECT_EQ(reader.descriptor(), ends[0]);
    write_text("never read\n");
    // poll() refuses to watch more descriptors than the process may open.
    rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
    const rlimit none {0, saved.rlim_max};
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &none), 0);
    char line[line_size];
    const bool got_line = reader.next_line(line);
    setrlimit(RLIMIT_NOFILE, &saved);
    EXPECT_FALSE(got_line);
    EXPECT_EQ(reader.take_poll_error(), EINVAL);
    EXPECT_EQ(reader.take_poll_error(), 0);
    EXPECT_EQ(reader.descriptor(), -1);
    EXPECT_EQ(next(), "<none>");
}
