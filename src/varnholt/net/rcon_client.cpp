#include "varnholt/net/rcon_client.h"

#include <algorithm>
#include <sodium.h>

namespace varnholt {

namespace rcon {
namespace {
// A fresh cookie per request, so its one command is always the first.
constexpr std::uint64_t sequence = 1;
}

std::string Client::start(const Peer& server, const std::string& command, const Key& key, Clock::time_point now,
                          WallClock::time_point wall)
{
    reset();
    randombytes_buf(random.data(), random.size());
    peer = server;
    command_text = command;
    state = State::hello_sent;
    deadline = now + answer_time;
    return hello(random, wall, key);
}

bool Client::receive(const char* data, std::size_t size, const Peer& from, const Key& key, Clock::time_point now,
                     Progress& progress)
{
    if (!busy() || !(from == peer))
        return false;
    const Type type = type_of(data, size);
    Taken taken = Taken::no;
    if (state == State::hello_sent && type == Type::cookie && take_cookie(data, size, key, progress))
        taken = Taken::fresh;
    else if (state == State::command_sent && type == Type::output)
        taken = take_output(data, size, key, progress);
    if (taken == Taken::fresh && !progress.finished)
        deadline = now + answer_time;
    return taken != Taken::no;
}

bool Client::overdue(Clock::time_point now)
{
    if (!busy() || now < deadline)
        return false;
    reset();
    return true;
}

void Client::reset()
{
    state = State::idle;
    command_text.clear();
    parts = {};
    next_part = 0;
    partial_line.clear();
}

bool Client::take_cookie(const char* data, std::size_t size, const Key& key, Progress& progress)
{
    std::string plain;
    if (size != cookie_reply_size || !open(data, size, prefix_size + 1, key, plain)
        || sodium_memcmp(plain.data(), random.data(), random_size) != 0)
        return false;
    std::copy(plain.begin() + random_size, plain.end(), cookie.begin());
    progress.send = command(cookie, sequence, command_text, key);
    state = State::command_sent;
    return true;
}

Client::Taken Client::take_output(const char* data, std::size_t size, const Key& key, Progress& progress)
{
    Header header;
    std::string text;
    if (!read_header(data, size, header) || header.sequence != sequence || header.index >= max_outputs
        || sodium_memcmp(header.cookie.data(), cookie.data(), cookie_size) != 0
        || !open(data, size, output_header, key, text))
        return Taken::no;
    Part& part = parts[header.index];
    if (part.arrived)
        return Taken::copy;
    part = {true, header.flags, std::move(text)};
    // Whole lines leave as soon as everything before them has come.
    while (next_part < max_outputs && parts[next_part].arrived) {
        const Part& next = parts[next_part++];
        partial_line += next.text;
        std::size_t start = 0;
        for (std::size_t end; (end = partial_line.find('\n', start)) != std::string::npos; start = end + 1)
            progress.lines.push_back(partial_line.substr(start, end - start));
        partial_line.erase(0, start);
        if (next.flags & output_last) {
            if (!partial_line.empty())
                progress.lines.push_back(partial_line);
            progress.finished = true;
            progress.cut = (next.flags & output_cut) != 0;
            reset();
            break;
        }
    }
    return Taken::fresh;
}
}

}  // namespace varnholt
