#include "varnholt/process/process.h"

#include <cstring>
#include <iostream>

#include "varnholt/console/console.h"
#include "varnholt/console/registration.h"
#include "varnholt/engine/engine.h"
#include "varnholt/process/signals.h"
#include "varnholt/process/sys_input.h"

namespace varnholt {

namespace {
bool usage_requested(int argc, char** argv)
{
    return argc > 1 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0);
}

void print_usage(const char* program)
{
    std::cout << "Usage: " << program << " [+command [argument ...]] ...\n"
              << "Starts the engine. A word that begins with + runs a console command; the words\n"
                 "after it, up to the next word that begins with + or -, are its arguments, one\n"
                 "word each. +set commands run before init.cfg and win over it; the others run\n"
                 "after it.\n"
                 "\n"
                 "  "
              << program << " +set dedicated 1 +exec server.cfg\n"
              << "  " << program << " +set gamepath ./server2 +n_open 27960\n"
              << "\n"
                 "Scripts, init.cfg and default.cfg live under gamepath, then basepath, both\n"
                 "./data in the working directory. Type quit, press Ctrl-C or send SIGTERM to\n"
                 "stop: each saves the settings to default.cfg.\n"
              << std::flush;
}

// Standard input, through the typed console of sys_input.
class StandardInput : public ConsoleInput {
public:
    bool poll() override { return sys_poll_input(); }
    int descriptor() const override { return sys_input_descriptor(); }
    bool interrupt() override { return sys_input_interrupt(); }
    void shutdown() override { sys_input_shutdown(); }
    std::uint64_t lines_run() const override { return sys_lines_run(); }
};
}

void take_over_process()
{
    static bool taken = false;
    if (taken)
        return;
    taken = true;
    sys_init_signals();
    // Standard output gets its own buffer, flushed by the frame loop.
    std::ios::sync_with_stdio(false);
    init_console();
    console.add_stream(&std::cout);
    static StandardInput standard_input;
    set_console_input(&standard_input);
}

int run(int argc, char** argv)
{
    if (usage_requested(argc, argv)) {
        print_usage(argv[0]);
        return 0;
    }
    take_over_process();
    if (startup(argc, argv)) {
        while (frame()) {
        }
    }
    return shutdown();
}

}  // namespace varnholt
