#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "varnholt/net/packet.h"

using namespace varnholt;

namespace {
std::string payload(const Packet& packet)
{
    return std::string(packet.data, static_cast<std::size_t>(packet.size));
}
}

TEST(Packet, KeepsCopiesOfAddressAndPayload)
{
    char address[] = "127.0.0.1";
    char bytes[] = {'a', '\0', 'b'};
    const Packet packet(address, 5000, bytes, 3);
    address[0] = 'x';
    bytes[0] = 'x';
    EXPECT_STREQ(packet.address, "127.0.0.1");
    EXPECT_EQ(payload(packet), std::string("a\0b", 3));
    EXPECT_EQ(packet.port, 5000);
}

TEST(Packet, EmptyPayloadIsAnArrayOfLengthZero)
{
    Packet packet;
    packet.set_data("ignored", 0);
    EXPECT_NE(packet.data, nullptr);
    EXPECT_EQ(packet.size, 0);
}

TEST(Packet, ResizeKeepsGrowsAndShrinks)
{
    Packet packet;
    packet.resize(5);
    EXPECT_NE(packet.data, nullptr);
    EXPECT_EQ(packet.size, 5);

    packet.set_data("abcdefgh", 8);
    const char* before = packet.data;
    packet.resize(8);
    EXPECT_EQ(packet.data, before);

    packet.resize(3);
    EXPECT_EQ(payload(packet), "abc");
    packet.resize(6);
    EXPECT_EQ(packet.size, 6);
    EXPECT_EQ(std::string(packet.data, 3), "abc");
}

TEST(Packet, CopiesAreIndependent)
{
    auto original = std::make_unique<Packet>("host", 1, "data", 4);
    const Packet copy(*original);
    Packet assigned;
    assigned = *original;
    EXPECT_NE(copy.data, original->data);
    EXPECT_NE(copy.address, original->address);
    original.reset();
    EXPECT_STREQ(copy.address, "host");
    EXPECT_EQ(payload(copy), "data");
    EXPECT_EQ(copy.port, 1);
    EXPECT_STREQ(assigned.address, "host");
    EXPECT_EQ(payload(assigned), "data");
}

TEST(Packet, SelfAssignmentAndOverlappingSourcesKeepTheBytes)
{
    Packet packet("host", 1, "abcdef", 6);
    Packet& same = packet;
    packet = same;
    EXPECT_STREQ(packet.address, "host");
    EXPECT_EQ(payload(packet), "abcdef");

    packet.set_data(packet.data + 2, 3);
    EXPECT_EQ(payload(packet), "cde");
    packet.set_address(packet.address);
    EXPECT_STREQ(packet.address, "host");
}
