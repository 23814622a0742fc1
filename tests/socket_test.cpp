#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/select.h>
#include <unistd.h>
#include <vector>

#include "varnholt/net/packet.h"
#include "varnholt/net/socket.h"
#include "udp_peer.h"

using namespace varnholt;

namespace {
// Whether a datagram arrives within ten seconds.
bool becomes_readable(const Socket& socket)
{
    pollfd entry {socket.descriptor(), POLLIN, 0};
    return poll(&entry, 1, 10000) == 1;
}

// Receiving with nothing waiting fails at once, and is no error: a datagram
// dropped after a wait announced it ends so too.
void expect_nothing_waiting(Socket& socket)
{
    Packet packet;
    EXPECT_FALSE(socket.receive(packet));
    EXPECT_EQ(socket.error(), "");
}
}

TEST(Socket, ReceivesADatagramWhole)
{
    const int port = free_udp_port();
    Socket socket(port);
    ASSERT_TRUE(socket.is_open());
    expect_nothing_waiting(socket);

    const std::string big(60000, 'x');
    UdpPeer().send_to(port, big);
    ASSERT_TRUE(becomes_readable(socket));
    Packet packet;
    ASSERT_TRUE(socket.receive(packet));
    EXPECT_EQ(packet.size, 60000);
    EXPECT_EQ(std::string(packet.data, static_cast<std::size_t>(packet.size)), big);
    EXPECT_STREQ(packet.address, "127.0.0.1");
    expect_nothing_waiting(socket);
}

TEST(Socket, WorksOnADescriptorBeyondTheSelectLimit)
{
    const int port = free_udp_port();
    // Hold every descriptor below FD_SETSIZE, so that the socket gets one
    // above.
    std::vector<int> held;
    int fd;
    while ((fd = open("/dev/null", O_RDONLY)) >= 0 && fd < FD_SETSIZE)
        held.push_back(fd);
    if (fd < 0) {
        for (int each : held)
            close(each);
        GTEST_SKIP() << "the descriptor limit is below FD_SETSIZE";
    }
    close(fd);
    Socket socket(port);
    for (int each : held)
        close(each);
    ASSERT_TRUE(socket.is_open());
    expect_nothing_waiting(socket);
    UdpPeer().send_to(port, "hi");
    ASSERT_TRUE(becomes_readable(socket));
    Packet packet;
    ASSERT_TRUE(socket.receive(packet));
    EXPECT_EQ(packet.size, 2);
}
