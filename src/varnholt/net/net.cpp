#include "varnholt/net/net.h"

#include <arpa/inet.h>
#include <cstdlib>
#include <cstring>
#include <string>

#include "varnholt/base/hooks.h"
#include "varnholt/base/limits.h"
#include "varnholt/console/console.h"
#include "varnholt/console/function.h"
#include "varnholt/console/registration_unit.h"
#include "varnholt/net/display_text.h"
#include "varnholt/net/packet.h"
#include "varnholt/net/rcon.h"
#include "varnholt/net/status.h"

namespace varnholt {

// Its objects stand in the listings where the core's list puts this unit.
RegistrationUnit net_unit("net");

std::unique_ptr<Socket> net_socket;

bool parse_port(const char* text, int& port)
{
    const long number = std::strtol(text, nullptr, 10);
    if (!Socket::port_in_range(number))
        return false;
    port = static_cast<int>(number);
    return true;
}

bool net_socket_required()
{
    if (!net_socket)
        console << "No socket: open one with n_open first" << std::endl;
    return net_socket != nullptr;
}

bool net_parse_peer(const char* host, const char* port_text, std::uint32_t& address, int& port)
{
    const char* why = "port out of range";
    if (parse_port(port_text, port) && resolve_ipv4(host, address, &why))
        return true;
    console << "Error sending packet: " << why << std::endl;
    return false;
}

void net_report_waiting(std::uint32_t address, int port)
{
    console << "Still waiting for " << dotted_address(address) << ' ' << port << std::endl;
}

void net_report_silence(std::uint32_t address, int port, long long seconds)
{
    console << "No answer from " << dotted_address(address) << ' ' << port << " within " << seconds << " seconds"
            << std::endl;
}

bool net_send_to(std::uint32_t address, int port, const std::string& bytes)
{
    return net_socket && net_socket->send_to(address, port, bytes.data(), bytes.size());
}

std::string dotted_address(std::uint32_t address)
{
    char text[INET_ADDRSTRLEN] = "";
    inet_ntop(AF_INET, &address, text, sizeof text);
    return text;
}

namespace {
void (*status_figures)(StatusPairs&) = nullptr;

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
    // The port the socket already holds is the socket itself: keeping it
    // leaves no moment in which another process could take the port.
    const bool in_use = net_socket && net_socket->is_open();
    if (in_use && port != 0 && net_socket->local_port() == port) {
        console << "socket open" << std::endl;
        return;
    }
    // The new socket opens while the old one still serves, so that a port
    // that cannot be had (a remote command may ask for one) keeps the old.
    auto opened = std::make_unique<Socket>(port);
    if (!opened->is_open()) {
        console << "Error opening socket on port " << port << ": " << opened->error() << std::endl;
        if (in_use)
            return;
    }
    net_socket = std::move(opened);
    if (net_socket->is_open())
        console << "socket open" << std::endl;
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

Command n_open("n_open", n_open_command, "Opens the network socket (UDP) on a port, 0 for any free one", "port");
Command n_send("n_send", n_send_command, "Sends text as one UDP datagram over the network", "host port text");
std::uint64_t datagrams_reported = 0;
const RegistrationUnit::End net_unit_end(net_unit);
}

void status_set_source(void (*source)(StatusPairs&))
{
    status_figures = source;
}

void status_source(StatusPairs& pairs)
{
    if (status_figures)
        status_figures(pairs);
}

bool net_init()
{
    return true;
}

bool net_frame()
{
    rcon_frame();
    status_frame();
    if (!net_socket || !net_socket->is_open())
        return false;
    Packet packet;
    std::uint32_t sender = 0;
    // Status queries print nothing and cost a table lookup each: many are
    // taken in one frame, so that a flood of them drains faster than it
    // fills the socket's queue, where the datagrams behind them would be
    // dropped.
    for (int taken = 0;; ++taken) {
        if (!net_socket->receive(packet, &sender)) {
            // Silent when nothing was waiting, or the datagram was gone by
            // the time it was read.
            if (net_socket->error().empty())
                return taken > 0;
            console << "Error receiving" << std::endl;
            return true;
        }
        if (!status_receive(packet, sender))
            break;
        if (taken + 1 == status_queries_per_frame)
            return true;
    }
    if (rcon_receive(packet, sender) || (hooks().datagram && hooks().datagram(packet)))
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

}  // namespace varnholt
