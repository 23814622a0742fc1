#include "varnholt/net/status.h"

#include "varnholt/console/arg_list.h"
#include "varnholt/console/console.h"
#include "varnholt/console/function.h"
#include "varnholt/console/registration_unit.h"
#include "varnholt/net/display_text.h"
#include "varnholt/net/net.h"
#include "varnholt/net/packet.h"
#include "varnholt/net/status_query.h"
#include "varnholt/variables/variable.h"

namespace varnholt {

// Its objects stand in the listings where the core's list puts this unit.
RegistrationUnit status_unit("status");

namespace {
// A name is whatever its one argument holds, blanks included.
class NameVariable final : public Variable<std::string> {
public:
    using Variable<std::string>::Variable;
    bool set_from_string(const char* text) override { return set_value(text); }
};

// Answering strangers is the operator's choice, made anew at each start.
Variable<bool> sv_status("sv_status", false, not_saved, "1 answers the public status query over the network");
NameVariable sv_hostname("sv_hostname", "", not_saved, "The server's name in its public status");

status::Client client;

// Made on the first query: its secret is drawn after libsodium is up.
status::Server& server()
{
    static status::Server instance;
    return instance;
}

void status_command(ArgList& args)
{
    if (args.argc != 3) {
        show_usage(args);
        return;
    }
    if (!net_socket_required())
        return;
    if (client.busy()) {
        net_report_waiting(client.server().address, client.server().port);
        return;
    }
    status::Peer peer;
    if (!net_parse_peer(args.arg(1), args.arg(2), peer.address, peer.port))
        return;
    if (!net_send_to(peer.address, peer.port, client.start(peer, status::Clock::now()))) {
        client.reset();
        console << "Error sending packet: " << net_socket->error() << std::endl;
    }
}

Command status("status", status_command, "Asks a server for its public status over the network and prints it",
               "host port");
const RegistrationUnit::End status_unit_end(status_unit);

void fill_status(StatusPairs& pairs)
{
    pairs.emplace_back("hostname", sv_hostname.value);
    status_source(pairs);
}

void print_status(const status::Peer& from, const status::Client::Progress& progress)
{
    // The server's text is someone else's bytes: nothing of it may act on
    // the terminal.
    console << "Status of " << dotted_address(from.address) << ' ' << from.port << ':' << std::endl;
    for (const auto& [key, value] : progress.pairs)
        console << display_text(key.data(), key.size()) << ": " << display_text(value.data(), value.size())
                << std::endl;
    if (progress.cut)
        console << "Status cut: more than " << status::max_status_size << " bytes" << std::endl;
}
}

bool status_receive(const Packet& packet, std::uint32_t sender)
{
    const auto size = static_cast<std::size_t>(packet.size);
    if (!status::is_status_query(packet.data, size))
        return false;
    // Nothing of a query is printed: a flood would fill the log.
    const status::Peer from {sender, packet.port};
    const auto type = static_cast<status::Type>(size > status::prefix_size ? packet.data[status::prefix_size] : 0);
    if (type == status::Type::challenge || type == status::Type::status) {
        status::Client::Progress progress;
        if (!client.receive(packet.data, size, from, status::Clock::now(), progress))
            return true;
        if (!progress.send.empty() && !net_send_to(from.address, from.port, progress.send)) {
            client.reset();
            console << "Error sending packet: " << net_socket->error() << std::endl;
        }
        if (progress.finished)
            print_status(from, progress);
        return true;
    }
    if (sv_status.value && from.address) {
        const std::string answer = server().receive(packet.data, size, from, status::Clock::now(), fill_status);
        if (!answer.empty())
            net_send_to(from.address, from.port, answer);
    }
    return true;
}

void status_frame()
{
    if (!client.busy())
        return;
    const status::Peer waited_for = client.server();
    if (client.overdue(status::Clock::now()))
        net_report_silence(waited_for.address, waited_for.port, status::Client::answer_time.count());
}

}  // namespace varnholt
