#include "net/net.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "console/console.h"
#include "console/function.h"
#include "net/display_text.h"
#include "net/packet.h"
#include "net/rcon.h"

std::unique_ptr<Socket> net_socket;

bool parse_port(const char* text, int& port)
{
    const long number = std::strtol(text, nullptr, 10);
    if (!Socket::port_in_range(number))
        return false;
    port = static_cast<int>(number);
    return true;
}

namespace {
void n_open_command(ArgList& args)
{
    if (args.argc < 2)
        return;
    int port = 0;
    // Checked before the old socket goes, so that a mistyped port keeps it.
    if (!parse_port(args.arg(1), port)) {
        console << "Error opening socket on port " << args.arg(1) << ": port out of range" << std::endl;
        return;
    }
    // The old socket goes first: the new one may want the same port.
    net_socket.reset();
    net_socket = std::make_unique<Socket>(port);
    if (net_socket->is_open())
        console << "socket open" << std::endl;
    else
        console << "Error opening socket on port " << port << ": " << net_socket->error() << std::endl;
}

void n_send_command(ArgList& args)
{
    if (args.argc < 4)
        return;
    const char* text = args.arg(3);
    int port = 0;
    const bool port_valid = parse_port(args.arg(2), port);
    // The terminating zero goes out too.
    const Packet packet(args.arg(1), port, text, static_cast<int>(std::strlen(text) + 1));
    if (!net_socket)
        return;
    if (!port_valid || !net_socket->send(packet)) {
        const std::string reason = port_valid ? net_socket->error() : "port out of range";
        console << "Error sending packet: " << reason << std::endl;
        return;
    }
    console << "Sent " << static_cast<unsigned>(packet.size) << " bytes" << std::endl;
}

Command n_open("n_open", n_open_command);
Command n_send("n_send", n_send_command);

std::uint64_t datagrams_reported = 0;
}

bool net_init()
{
    return true;
}

bool net_frame()
{
    rcon_frame();
    if (!net_socket || !net_socket->is_open())
        return false;
    Packet packet;
    if (!net_socket->receive(packet)) {
        // Silent when nothing was waiting, or the datagram was gone by the
        // time it was read.
        if (net_socket->error().empty())
            return false;
        console << "Error receiving" << std::endl;
        return true;
    }
    if (rcon_receive(packet))
        return true;
    ++datagrams_reported;
    console << "Packet from " << (packet.address ? packet.address : "") << ' ' << packet.port << std::endl;
    console << packet.size << " bytes received" << std::endl;
    // Anyone on the network can send anything: nothing of it may reach the
    // terminal as a command.
    console << display_text(packet.data, static_cast<std::size_t>(packet.size)) << std::endl;
    return true;
}

std::uint64_t net_datagrams_reported()
{
    return datagrams_reported;
}

int net_descriptor()
{
    return net_socket ? net_socket->descriptor() : -1;
}

bool net_shutdown()
{
    return true;
}
