/*
 * guess: a number-guessing game server on the Varnholt engine core, and
 * the template for a game of your own. Players talk to it over UDP, one
 * line a datagram (README.md has the protocol); they all hunt the same
 * number, and a round ends when one of them finds it or its time runs out.
 *
 * What the game owns: its console objects (static, as the core's are; they
 * follow the core's in the listings, by name), its state, and five hooks.
 * host_init and host_shutdown bring the game up and down with the
 * dedicated host; tick advances the game's clock at eng_tickrate, so
 * rounds and time-outs run on game time, whatever the frame rate; datagram
 * gets every datagram that arrives on the engine's socket (opened by
 * n_open in data/init.cfg), and answers through that socket; status
 * adds the number of players as "peers" to the public status query and to
 * the line a service manager shows.
 */
#include <varnholt/varnholt.h>

#include <algorithm>
#include <charconv>
#include <random>
#include <string>
#include <vector>

using namespace varnholt;

namespace {

void round_seconds_changed(BaseVariable&);

// Saved to default.cfg at quit: the next start plays the same range. Each
// variable refuses a value the game could not play with.
Variable<int> guess_max("guess_max", 100, saved, "Largest number of a round, from the next round on",
                        Range {1, 1000000});
// Not saved: set in data/init.cfg, or with +set on the command line.
Variable<int> guess_round_seconds("guess_round_seconds", 60, not_saved,
                                  "Length of a round in seconds of game time", Range {5, 3600},
                                  round_seconds_changed);
Variable<int> guess_port("guess_port", 27960, not_saved, "UDP port that data/init.cfg opens",
                         Range {1, 65535});

// A table that anyone on the network can grow needs a bound, and a way to
// empty it: a player silent this long (in game time) is dropped.
constexpr std::size_t max_players = 32;
constexpr double idle_seconds = 300;

struct Player {
    std::string name;
    std::string address;  // where its datagrams come from: dotted IPv4 address and port
    int port = 0;
    int round = 0;  // the round its last join or guess was in
    int guesses = 0;
    double heard = 0;  // game time of its last datagram
};

struct Game {
    bool running = false;  // between host_init and host_shutdown
    double clock = 0;      // seconds of game time: the sum of the ticks' steps
    int round = 0;
    int number = 0;
    int highest = 0;  // the round's numbers are 1 to highest
    double round_began = 0;
    double round_ends = 0;
    int rounds_played = 0;
    std::vector<Player> players;
    std::mt19937 random {std::random_device {}()};
};

Game game;

void start_round()
{
    ++game.round;
    game.highest = guess_max.value;
    game.number = std::uniform_int_distribution<int>(1, game.highest)(game.random);
    game.round_began = game.clock;
    game.round_ends = game.clock + guess_round_seconds.value;
    console << "Round " << game.round << ": a number from 1 to " << game.highest << ", "
            << guess_round_seconds.value << " seconds" << std::endl;
}

void end_round(const Player* winner)
{
    if (winner)
        console << "Round " << game.round << " won by " << winner->name << " in " << winner->guesses
                << (winner->guesses == 1 ? " guess" : " guesses") << std::endl;
    else
        console << "Round " << game.round << " over: nobody found " << game.number << std::endl;
    ++game.rounds_played;
    for (Player& player : game.players)
        player.guesses = 0;
    start_round();
}

// Answers the sender of `request` with `text` and a newline, never with
// more bytes than the request had: a datagram with a forged sender then
// buys its forger no more bytes at the victim than it sent, so the server
// is of no use for amplifying a flood. The protocol's answers fit the
// requests they answer; only a request cut short gets a shortened answer.
void answer(const Packet& request, std::string text)
{
    text += '\n';
    const int size = std::min(static_cast<int>(text.size()), request.size);
    if (size > 0)
        net_socket->send(Packet(request.address, request.port, text.data(), size));
}

Player* find_player(const Packet& packet)
{
    for (Player& player : game.players)
        if (player.port == packet.port && player.address == packet.address)
            return &player;
    return nullptr;
}

// Names are printed on the server's console: only characters that cannot
// drive a terminal.
bool good_name(const std::string& name)
{
    return !name.empty() && name.size() <= 16 && std::all_of(name.begin(), name.end(), [](char c) {
               return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
                      c == '-';
           });
}

void join(const Packet& packet, Player* player, const std::string& name)
{
    if (!good_name(name))
        return answer(packet, "?");
    if (!player) {
        if (game.players.size() == max_players)
            return answer(packet, "full");
        game.players.push_back(Player {"", packet.address, packet.port, 0, 0, game.clock});
        player = &game.players.back();
        console << name << " joined from " << packet.address << ' ' << packet.port << std::endl;
    }
    player->name = name;
    player->round = game.round;
    answer(packet, "hi " + name);
}

void guess(const Packet& packet, Player* player, const std::string& word)
{
    int number = 0;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), number);
    if (error != std::errc() || end != word.data() + word.size())
        return answer(packet, "?");
    if (!player)
        return answer(packet, "join?");
    // The round ended since this player's last guess: this one does not
    // count, and the player now knows it is in a new round.
    if (player->round != game.round) {
        player->round = game.round;
        return answer(packet, "late");
    }
    ++player->guesses;
    if (number == game.number) {
        answer(packet, "right");
        end_round(player);
        player->round = game.round;
    } else {
        answer(packet, number < game.number ? "higher" : "lower");
    }
}

void leave(const Packet& packet, Player* player)
{
    if (!player)
        return answer(packet, "?");
    console << player->name << " left" << std::endl;
    game.players.erase(game.players.begin() + (player - game.players.data()));
    answer(packet, "bye");
}

// One request a datagram: "join <name>", "guess <number>" or "leave", with
// a line feed or a zero byte after it as nc and n_send send them.
bool datagram_hook(const Packet& packet)
{
    if (!game.running)
        return false;  // not the game's: the engine reports it
    std::string line(packet.data ? packet.data : "", packet.size);
    line.erase(std::min(line.size(), line.find_first_of(std::string("\r\n\0", 3))));
    const auto blank = line.find(' ');
    const std::string verb = line.substr(0, blank);
    const std::string rest = blank == std::string::npos ? "" : line.substr(blank + 1);
    Player* player = find_player(packet);
    if (player)
        player->heard = game.clock;
    if (verb == "join")
        join(packet, player, rest);
    else if (verb == "guess")
        guess(packet, player, rest);
    else if (verb == "leave" && rest.empty())
        leave(packet, player);
    else
        answer(packet, "?");
    return true;
}

void tick_hook(double step_seconds)
{
    if (!game.running)
        return;
    game.clock += step_seconds;
    if (game.clock >= game.round_ends)
        end_round(nullptr);
    for (auto player = game.players.begin(); player != game.players.end();) {
        if (game.clock - player->heard <= idle_seconds) {
            ++player;
            continue;
        }
        console << player->name << " timed out" << std::endl;
        player = game.players.erase(player);
    }
}

// A new length applies to the round being played: it ends that long after
// it began (at the next tick, when that is already past).
void round_seconds_changed(BaseVariable&)
{
    if (game.running)
        game.round_ends = game.round_began + guess_round_seconds.value;
}

void host_init_hook()
{
    game.running = true;
    if (net_socket && net_socket->is_open())
        console << "Guessing game on port " << net_socket->local_port() << std::endl;
    else
        console << "Guessing game without a socket: n_open a port to play" << std::endl;
    start_round();
}

void host_shutdown_hook()
{
    console << "Guessing game over, rounds played: " << game.rounds_played << std::endl;
    game = Game();
}

// What the commands say while no game runs; true then.
bool no_game()
{
    if (!game.running)
        console << "No game: it runs on a dedicated host (dedicated 1)" << std::endl;
    return !game.running;
}

void guess_status_command(ArgList&)
{
    if (no_game())
        return;
    console << "round " << game.round << ", " << static_cast<int>(game.round_ends - game.clock)
            << " s left, numbers 1 to " << game.highest << std::endl;
    for (const Player& player : game.players)
        console << player.name << ' ' << player.address << ' ' << player.port << ", " << player.guesses
                << " guesses" << std::endl;
    console << game.players.size() << (game.players.size() == 1 ? " player" : " players") << std::endl;
}

void guess_new_round_command(ArgList&)
{
    if (!no_game())
        end_round(nullptr);
}

Command guess_status("guess_status", guess_status_command, "Shows the round and its players");
Command guess_new_round("guess_new_round", guess_new_round_command,
                        "Ends the round being played and starts the next");

}  // namespace

int main(int argc, char** argv)
{
    Hooks hooks;
    hooks.host_init = host_init_hook;
    hooks.host_shutdown = host_shutdown_hook;
    hooks.tick = tick_hook;
    hooks.datagram = datagram_hook;
    hooks.status = [](StatusPairs& pairs) { pairs.emplace_back("peers", std::to_string(game.players.size())); };
    set_hooks(hooks);
    return run(argc, argv);
}
