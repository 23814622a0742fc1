#include "black_box.h"

#include "udp_peer.h"

const std::string startup_report =
    "File System Init:\n"
    "   archive formats:\n"
    "      provides access to normal files\n"
    "      provides access to zip packs\n";

const std::string closing = "Closing file system...\n";

std::string datagram_report(int port, const std::string& size_and_text)
{
    return "Packet from 127.0.0.1 " + std::to_string(port) + "\n" + size_and_text;
}

int count_of(const std::string& text, const std::string& piece)
{
    int count = 0;
    for (auto at = text.find(piece); at != std::string::npos; at = text.find(piece, at + piece.size()))
        ++count;
    return count;
}

bool ends_with(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

std::unique_ptr<EngineProcess> BlackBoxTest::start(EngineProcess::Input input)
{
    auto engine = std::make_unique<EngineProcess>(dir.path(), input);
    EXPECT_TRUE(engine->wait_for("] ")) << engine->output();
    return engine;
}

std::string BlackBoxTest::command(EngineProcess& engine, const std::string& line)
{
    const std::size_t from = engine.output().size();
    engine.send(line + "\n");
    if (!engine.wait_for("] ", 10, from))
        return "(no prompt after \"" + line + "\")";
    return engine.output().substr(from);
}

int BlackBoxTest::open_socket(EngineProcess& engine, int port)
{
    if (port == 0)
        port = free_udp_port();
    const std::string said = command(engine, "n_open " + std::to_string(port));
    if (said == "socket open\n] ")
        return port;
    ADD_FAILURE() << "n_open " << port << ": " << said;
    return 0;
}
