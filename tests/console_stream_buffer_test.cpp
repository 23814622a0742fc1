#include <gtest/gtest.h>

#include <ostream>
#include <sstream>
#include <string>

#include "varnholt/console/console_stream_buffer.h"

using namespace varnholt;

namespace {
std::string ring_of(const ConsoleStreamBuffer& buffer)
{
    std::string bytes;
    for (int i = 0; i < buffer.history_size(); ++i)
        bytes += buffer.history_at(i);
    return bytes;
}

// Takes at most `room` characters.
class ShortBuffer : public std::streambuf {
public:
    explicit ShortBuffer(std::size_t room) : room(room) {}
    std::string text;

protected:
    int_type overflow(int_type c) override
    {
        if (text.size() == room)
            return traits_type::eof();
        text += traits_type::to_char_type(c);
        return c;
    }

private:
    std::size_t room;
};
}

TEST(ConsoleStreamBuffer, RingWrapsAndKeepsAZeroAfterTheNewestCharacter)
{
    ConsoleStreamBuffer buffer;
    buffer.set_history_size(4);
    std::ostream out(&buffer);
    out << "abcdef";
    EXPECT_EQ(buffer.history_count(), 6);
    EXPECT_EQ(ring_of(buffer), std::string("ef\0d", 4));
    EXPECT_EQ(buffer.history_at(5), 'f');
    EXPECT_EQ(buffer.history_at(3), 'd');
    EXPECT_EQ(buffer.history_at(6), '\0');
}

TEST(ConsoleStreamBuffer, OneByteRingHoldsOnlyTheTerminatorButStillForwards)
{
    ConsoleStreamBuffer buffer;
    buffer.set_history_size(1);
    std::ostringstream copy;
    buffer.add_stream(&copy);
    std::ostream out(&buffer);
    out << "xyz";
    EXPECT_EQ(buffer.history_at(2), '\0');
    EXPECT_EQ(copy.str(), "xyz");
}

TEST(ConsoleStreamBuffer, WithoutARingCharactersAreAcceptedAndDropped)
{
    ConsoleStreamBuffer buffer;
    std::ostringstream copy;
    buffer.add_stream(&copy);
    std::ostream out(&buffer);
    out << "abc";
    EXPECT_TRUE(out.good());
    EXPECT_EQ(copy.str(), "");
    EXPECT_EQ(buffer.history_at(0), '\0');
    buffer.clear_history();
    EXPECT_FALSE(buffer.has_history());
}

TEST(ConsoleStreamBuffer, ForwardsToStreamsInIdOrderAndNeverReusesIds)
{
    ConsoleStreamBuffer buffer;
    buffer.set_history_size(16);
    std::ostringstream shared;
    EXPECT_EQ(buffer.add_stream(&shared), 0);
    EXPECT_EQ(buffer.add_stream(&shared), 1);
    std::ostream out(&buffer);
    out << "ab";
    EXPECT_EQ(shared.str(), "aabb");

    buffer.remove_stream(0);
    EXPECT_EQ(buffer.add_stream(&shared), 2);
    buffer.set_history_size(16);
    out << "c";
    EXPECT_EQ(shared.str(), "aabb");
    EXPECT_EQ(buffer.add_stream(&shared), 0);
}

TEST(ConsoleStreamBuffer, ClearZeroFillsAndRestartsAtIndexZero)
{
    ConsoleStreamBuffer buffer;
    buffer.set_history_size(8);
    std::ostream out(&buffer);
    out << "hello";
    buffer.clear_history();
    EXPECT_EQ(buffer.history_count(), 0);
    EXPECT_EQ(ring_of(buffer), std::string(8, '\0'));
    out << "z";
    EXPECT_EQ(buffer.history_at(0), 'z');
}

TEST(ConsoleStreamBuffer, NulIsRefusedAndFailsTheWritingStream)
{
    ConsoleStreamBuffer buffer;
    buffer.set_history_size(8);
    std::ostream out(&buffer);
    out << 'a' << '\0' << 'b';
    EXPECT_TRUE(out.bad());
    EXPECT_EQ(buffer.history_count(), 1);
}

TEST(ConsoleStreamBuffer, AForwardedStreamEndsAsItsOwnWriteWouldLeaveIt)
{
    struct Case {
        std::ios::iostate state;
        std::size_t room;
        bool unit_buffered;
    };
    for (const Case& c : {Case {std::ios::goodbit, 10, false}, Case {std::ios::goodbit, 3, false},
                          Case {std::ios::failbit, 10, false}, Case {std::ios::badbit, 10, false},
                          Case {std::ios::goodbit, 3, true}}) {
        ShortBuffer direct_sink(c.room);
        ShortBuffer forwarded_sink(c.room);
        std::ostream direct(&direct_sink);
        std::ostream forwarded(&forwarded_sink);
        for (std::ostream* stream : {&direct, &forwarded}) {
            stream->setstate(c.state);
            if (c.unit_buffered)
                stream->setf(std::ios::unitbuf);
        }
        direct.write("hello", 5);
        ConsoleStreamBuffer buffer;
        buffer.set_history_size(16);
        buffer.add_stream(&forwarded);
        std::ostream(&buffer).write("hello", 5);
        EXPECT_EQ(forwarded.rdstate(), direct.rdstate()) << c.room;
        EXPECT_EQ(forwarded_sink.text, direct_sink.text) << c.room;
    }
}

TEST(ConsoleStreamBuffer, WholeStringsLandExactlyAsSingleCharactersWould)
{
    ConsoleStreamBuffer by_string;
    ConsoleStreamBuffer by_character;
    for (int size : {1, 3, 7, 16}) {
        by_string.set_history_size(size);
        by_character.set_history_size(size);
        const std::string text = "0123456789abcdefghij";
        for (std::size_t length : {1u, 2u, 6u, 20u}) {
            by_string.sputn(text.data(), static_cast<std::streamsize>(length));
            for (std::size_t i = 0; i < length; ++i)
                by_character.sputc(text[i]);
            ASSERT_EQ(ring_of(by_string), ring_of(by_character)) << size << " " << length;
        }
        EXPECT_EQ(by_string.history_count(), by_character.history_count());
    }
}

TEST(ConsoleStreamBuffer, StringWithANulStopsBeforeIt)
{
    ConsoleStreamBuffer buffer;
    buffer.set_history_size(8);
    std::ostringstream copy;
    buffer.add_stream(&copy);
    EXPECT_EQ(buffer.sputn("ab\0cd", 5), 2);
    EXPECT_EQ(copy.str(), "ab");
}

TEST(ConsoleStreamBuffer, CountKeepsGoingPastTwoToTheThirtyOne)
{
    ConsoleStreamBuffer buffer;
    buffer.set_history_size(16);
    const std::string block(1 << 20, 'x');
    const std::int64_t blocks = (std::int64_t {1} << 31) / block.size() + 1;
    for (std::int64_t i = 0; i < blocks; ++i)
        buffer.sputn(block.data(), static_cast<std::streamsize>(block.size()));
    buffer.sputn("tail", 4);
    const std::int64_t count = blocks * static_cast<std::int64_t>(block.size()) + 4;
    EXPECT_EQ(buffer.history_count(), count);
    EXPECT_EQ(buffer.history_at(count - 1), 'l');
    EXPECT_EQ(buffer.history_at(count - 4), 't');
    EXPECT_EQ(buffer.history_at(count), '\0');
}
