/*
 * The client side of the remote console: one request at a time, from the
 * hello to the last datagram of the command's output. It sends and prints
 * nothing itself; the network layer sends what it returns and prints the
 * lines it hands over.
 *
 * Only replies from the request's server, sealed with the key, for this
 * request (its hello's random, its cookie and sequence) count; anything else
 * is left alone. Output datagrams that arrive early wait for the ones before
 * them, so the lines come out in order.
 */
#pragma once

#include <array>
#include <chrono>
#include <string>
#include <vector>

#include "varnholt/net/rcon_protocol.h"

namespace varnholt {

namespace rcon {
class Client {
public:
    // How long the client waits for each step of an answer.
    static constexpr std::chrono::seconds answer_time {3};

    struct Progress {
        std::string send;                // a datagram for the server, or empty
        std::vector<std::string> lines;  // output lines, raw, without their line feeds
        bool finished = false;           // the request is over
        bool cut = false;                // the server had more output than it sent
    };

    bool busy() const { return state != State::idle; }
    const Peer& server() const { return peer; }

    // Starts a request for `command` to `server` and returns its hello,
    // dated `wall`.
    std::string start(const Peer& server, const std::string& command, const Key& key, Clock::time_point now,
                      WallClock::time_point wall);
    // A remote-console datagram from `from`: false when it is no part of the
    // current request. Only a step not seen before puts the deadline off, so
    // copies of old ones cannot keep the client waiting.
    bool receive(const char* data, std::size_t size, const Peer& from, const Key& key, Clock::time_point now,
                 Progress& progress);
    // True once the server has been silent for answer_time; the request is
    // dropped then.
    bool overdue(Clock::time_point now);
    // Drops the request.
    void reset();

private:
    enum class State { idle, hello_sent, command_sent };
    // What a datagram was to the request.
    enum class Taken { no, copy, fresh };

    bool take_cookie(const char* data, std::size_t size, const Key& key, Progress& progress);
    Taken take_output(const char* data, std::size_t size, const Key& key, Progress& progress);

    State state = State::idle;
    Peer peer;
    Random random {};
    std::string command_text;
    Cookie cookie {};
    Clock::time_point deadline {};
    struct Part {
        bool arrived = false;
        unsigned char flags = 0;
        std::string text;
    };
    std::array<Part, max_outputs> parts;
    int next_part = 0;
    std::string partial_line;
};
}

}  // namespace varnholt
