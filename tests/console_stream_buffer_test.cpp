#include <gtest/gtest.h>

#include <ostream>
#include <sstream>
#include <string>

#include "console/console_stream_buffer.h"

namespace {
std::string ring_of(const ConsoleStreamBuffer& buffer)
{
    std::string bytes;
    for (int i = 0; i < buffer.history_size(); ++i)
        bytes += buffer.history_at(i);
    return bytes;
}
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
