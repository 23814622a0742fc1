#include "varnholt/net/rcon.h"

#include <algorithm>
#include <ostream>
#include <sodium.h>

#include "varnholt/base/capture_buffer.h"
#include "varnholt/base/stop_request.h"
#include "varnholt/console/arg_list.h"
#include "varnholt/console/console.h"
#include "varnholt/console/function.h"
#include "varnholt/console/registration_unit.h"
#include "varnholt/net/display_text.h"
#include "varnholt/net/net.h"
#include "varnholt/net/packet.h"
#include "varnholt/net/rcon_client.h"
#include "varnholt/net/rcon_protocol.h"
#include "varnholt/net/rcon_server.h"
#include "varnholt/variables/variable.h"

namespace varnholt {

// Its objects stand in the listings where the core's list puts this unit.
RegistrationUnit rcon_unit("rcon");

// The remote console's side of the console: the key, the commands, and the
// frame work that serves remote commands and prints the answers to this
// engine's own. The key is read from rcon_key whenever it is needed.
namespace {
// A string that shows, and substitutes for "$name", as "(hidden)" once set:
// the key stays out of the console, its history and any log of standard
// output, even when a remote command asks for it. A key of all zeros is
// refused: anyone would guess it.
class SecretVariable : public Variable<std::string> {
public:
    using Variable<std::string>::Variable;
    std::ostream& print(std::ostream& os) override { return os << (value.empty() ? "" : "(hidden)"); }
    bool secret() const override { return true; }

    bool set_value(const std::string& v) override
    {
        if (v.size() == 2 * rcon::key_size && v.find_first_not_of('0') == std::string::npos) {
            console << "rcon_key of all zeros refused: make a key with rcon_keygen" << std::endl;
            return false;
        }
        return Variable<std::string>::set_value(v);
    }
};

// 64 hexadecimal digits: what rcon sends with, and serves with when
// rcon_serve is on.
SecretVariable rcon_key("rcon_key", "", not_saved, "Key of the remote console, 64 hexadecimal digits; never shown");
// Serving is the operator's choice, never a side effect of holding the key
// that rcon needs.
Variable<bool> rcon_serve("rcon_serve", false, not_saved, "1 runs remote console commands that come with rcon_key");

rcon::Client client;

// Made by the first frame, before any datagram can arrive: its secret is
// drawn after libsodium is up, and it refuses hellos older than itself.
rcon::Server& server()
{
    static rcon::Server instance(rcon::Clock::now(), rcon::WallClock::now());
    return instance;
}

// Whether a remote command is running: what it prints goes to its sender as
// well as to this engine's log.
bool serving_remote = false;

bool send_to(const rcon::Peer& peer, const std::string& datagram)
{
    return net_send_to(peer.address, peer.port, datagram);
}

void rcon_keygen_command(ArgList& args)
{
    if (serving_remote) {
        console << args.arg(0) << " refused over the remote console: its key would show in this server's log"
                << std::endl;
        return;
    }
    std::string key = rcon::generate_key_text();
    console << key << std::endl;
    sodium_memzero(key.data(), key.size());
}

void rcon_command(ArgList& args)
{
    if (args.argc < 4) {
        show_usage(args);
        return;
    }
    if (!net_socket_required())
        return;
    rcon::Key key;
    if (!rcon::decode_key(rcon_key.value, key)) {
        console << "rcon_key holds no key: set it to 64 hexadecimal digits" << std::endl;
        return;
    }
    if (client.busy()) {
        net_report_waiting(client.server().address, client.server().port);
        return;
    }
    std::string command = args.arg(3);
    for (int i = 4; i < args.argc; ++i)
        command.append(" ").append(args.arg(i));
    if (command.size() > rcon::max_command) {
        console << "Command longer than " << rcon::max_command << " characters" << std::endl;
        return;
    }
    rcon::Peer peer;
    if (!net_parse_peer(args.arg(1), args.arg(2), peer.address, peer.port))
        return;
    if (!send_to(peer, client.start(peer, command, key, rcon::Clock::now(), rcon::WallClock::now()))) {
        client.reset();
        console << "Error sending packet: " << net_socket->error() << std::endl;
    }
}

Command rcon_keygen("rcon_keygen", rcon_keygen_command, "Prints a fresh random key for rcon_key");
Command rcon("rcon", rcon_command, "Runs a command on a server's remote console over the network",
             "host port command");
const RegistrationUnit::End rcon_unit_end(rcon_unit);

void print_progress(const rcon::Client::Progress& progress)
{
    // The server's text is someone else's bytes: nothing of it may act on
    // the terminal.
    for (const std::string& line : progress.lines)
        console << display_text(line.data(), line.size()) << std::endl;
    if (progress.cut)
        console << "Output cut: more than " << rcon::max_outputs << " datagrams" << std::endl;
}

void serve(const Packet& packet, const rcon::Peer& from, const rcon::Key* key)
{
    rcon::Server::Result result = server().receive(packet.data, static_cast<std::size_t>(packet.size), from, key,
                                                   rcon::Clock::now());
    switch (result.verdict) {
    case rcon::Server::Verdict::refused:
        if (result.log)
            console << "Refused remote console datagram from " << packet.address << ' ' << packet.port << ": "
                    << rcon::refusal_text(result.refusal)
                    << (result.mutes ? "; too many failures, more from this address not logged for a minute" : "")
                    << std::endl;
        return;
    case rcon::Server::Verdict::answer:
        send_to(from, result.reply);
        return;
    case rcon::Server::Verdict::run:
        break;
    }
    // A command that may set the key would show it in the server's log.
    console << "Remote command from " << packet.address << ' ' << packet.port << ": ";
    if (VariableList::may_set_secret(result.command.c_str()))
        console << "(not shown: it may set a secret)" << std::endl;
    else
        console << display_text(result.command.data(), result.command.size()) << std::endl;
    CaptureBuffer captured(rcon::max_outputs * rcon::max_output_text + 1);
    std::ostream capture(&captured);
    const int id = console.add_stream(&capture);
    serving_remote = true;
    console.execute(result.command.c_str(), not_echoed);
    serving_remote = false;
    console.remove_stream(id);
    // A command that quits ends the server before it answers.
    if (quit_requested())
        return;
    // Sealed with the key the command came with, even if it changed the
    // key; sent on whatever socket is open now, since it may have run n_open.
    const rcon::Header& header = result.header;
    for (const std::string& datagram : rcon::output(header.cookie, header.sequence, std::string(captured.text()), *key))
        send_to(from, datagram);
}
}

bool rcon_receive(const Packet& packet, std::uint32_t sender)
{
    if (!rcon::is_remote_console(packet.data, static_cast<std::size_t>(packet.size)))
        return false;
    const rcon::Peer from {sender, packet.port};
    if (!from.address)
        return true;
    rcon::Key key;
    const bool keyed = rcon::decode_key(rcon_key.value, key);
    const rcon::Type type = rcon::type_of(packet.data, static_cast<std::size_t>(packet.size));
    if (type == rcon::Type::cookie || type == rcon::Type::output) {
        // Replies nobody waits for are dropped without a word: they may be
        // late copies of a finished request.
        rcon::Client::Progress progress;
        if (!keyed || !client.receive(packet.data, static_cast<std::size_t>(packet.size), from, key,
                                      rcon::Clock::now(), progress))
            return true;
        if (!progress.send.empty() && !send_to(from, progress.send)) {
            client.reset();
            console << "Error sending packet: " << net_socket->error() << std::endl;
        }
        print_progress(progress);
        return true;
    }
    serve(packet, from, keyed && rcon_serve.value ? &key : nullptr);
    return true;
}

void rcon_frame()
{
    if (const std::uint64_t more = server().unlogged(rcon::Clock::now()))
        console << "Refused " << more << " more remote console datagrams, not logged" << std::endl;
    if (!client.busy())
        return;
    const rcon::Peer waited_for = client.server();
    if (client.overdue(rcon::Clock::now()))
        net_report_silence(waited_for.address, waited_for.port, rcon::Client::answer_time.count());
}

}  // namespace varnholt
