// Fuzz target: the status query's parser, its server and its client.
//
// Each input is a few steps for one server and one client: raw bytes from
// one of three senders, a status request carrying a challenge the server
// really issued (perhaps altered, perhaps from another sender), or time
// passing. Besides the sanitizers' checks, for every input:
// - an answer other than a status is never larger than its query;
// - a status answers only a request carrying, unaltered, a challenge issued
//   to that very sender within the last 10 seconds, and is at most 1200
//   bytes;
// - whatever the client is handed, it asks the server at most one status
//   request per challenge, each a query of the documented size.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

#include "fuzz_support.h"
#include "varnholt/net/status_query.h"

using namespace varnholt;
using namespace varnholt::status;

namespace {
const Peer peers[] = {{0x0100007f, 5001}, {0x0100007f, 5002}, {0x0200000a, 5001}};

void fill(StatusPairs& pairs)
{
    pairs.emplace_back("hostname", std::string(1300, 'h'));
    pairs.emplace_back("peers", "3");
}
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    Server server;
    Client client;
    Clock::time_point now {std::chrono::hours(1)};
    // Each challenge issued: to whom, when.
    std::map<std::string, std::pair<int, Clock::time_point>> issued;
    client.start(peers[0], now);
    for (int step = 0; step < 16 && input.remaining_bytes() > 0; ++step) {
        const int from = input.ConsumeIntegralInRange(0, 2);
        std::string query;
        switch (input.ConsumeIntegralInRange(0, 3)) {
        case 0:
            now += std::chrono::milliseconds(input.ConsumeIntegralInRange(0, 12'000));
            continue;
        case 1:
            query = challenge_request(Nonce {});
            break;
        case 2: {
            if (issued.empty())
                continue;
            auto chosen = issued.begin();
            std::advance(chosen, input.ConsumeIntegralInRange<std::size_t>(0, issued.size() - 1));
            Challenge challenge;
            std::copy(chosen->first.begin(), chosen->first.end(), challenge.begin());
            query = status_request(Nonce {}, challenge);
            const std::size_t flip = input.ConsumeIntegralInRange<std::size_t>(0, query.size());
            if (flip < query.size())
                query[flip] ^= static_cast<char>(input.ConsumeIntegralInRange(1, 255));
            break;
        }
        default:
            query = input.ConsumeRandomLengthString(1400);
        }
        const std::string answer = server.receive(query.data(), query.size(), peers[from], now, fill);
        const Datagram read = parse(answer.data(), answer.size());
        FUZZ_CHECK(answer.empty() || read.type == Type::challenge || read.type == Type::status);
        if (read.type == Type::challenge) {
            FUZZ_CHECK(answer.size() <= query.size());
            issued[std::string(read.challenge.begin(), read.challenge.end())] = {from, now};
        }
        if (read.type == Type::status) {
            FUZZ_CHECK(answer.size() <= max_status_size && (read.flags & status_cut));
            FUZZ_CHECK(query.size() == query_size);
            const auto proof = issued.find(query.substr(header_size, challenge_size));
            FUZZ_CHECK(proof != issued.end() && proof->second.first == from);
            FUZZ_CHECK(now - proof->second.second <= Server::challenge_lifetime);
        }

        // The same bytes, and the answer, handed to the client.
        for (const std::string* bytes : {static_cast<const std::string*>(&query), &answer}) {
            Client::Progress progress;
            client.receive(bytes->data(), bytes->size(), peers[from], now, progress);
            FUZZ_CHECK(progress.send.empty() || (progress.send.size() == query_size && !progress.finished));
        }
        client.overdue(now);
    }
    return 0;
}
