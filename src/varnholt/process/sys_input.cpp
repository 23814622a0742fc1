#include "varnholt/process/sys_input.h"

#include <csignal>
#include <cstring>
#include <iostream>
#include <unistd.h>

#include "varnholt/base/stop_request.h"
#include "varnholt/console/console.h"
#include "varnholt/console/registration_unit.h"
#include "varnholt/process/line_reader.h"
#include "varnholt/process/terminal_console.h"

namespace varnholt {

// Its objects stand in the listings where the core's list puts this unit.
RegistrationUnit sys_input_unit("sys_input");

Variable<std::string> sys_prompt("sys_prompt", "]", saved, "The prompt shown before each typed line");
const RegistrationUnit::End sys_input_unit_end(sys_input_unit);

namespace {
char input_line[line_size];
bool prompt_shown = false;
bool on_terminal = false;
LineReader standard_input(STDIN_FILENO);
std::uint64_t lines_run = 0;

// Read afresh for each prompt: a line may have changed sys_prompt.
std::string prompt_text()
{
    return sys_prompt.value + ' ';
}

// False when no key was waiting.
bool poll_terminal()
{
    switch (terminal_poll(input_line)) {
    case TerminalInput::line:
        ++lines_run;
        console.execute(input_line, not_echoed);
        // A line that quits gets no new prompt: the engine ends.
        if (!quit_requested())
            terminal_prompt(prompt_text());
        return true;
    case TerminalInput::end:
        // Ctrl-D on an empty line ends the engine as `quit` does.
        request_quit();
        return true;
    case TerminalInput::keys:
        return true;
    case TerminalInput::none:
        break;
    }
    return false;
}
}

bool sys_poll_input()
{
    if (!prompt_shown) {
        on_terminal = terminal_open(prompt_text());
        if (!on_terminal)
            sys_print_prompt();
        prompt_shown = true;
    }
    if (on_terminal)
        return poll_terminal();
    if (!standard_input.next_line(input_line)) {
        if (const int error = standard_input.take_poll_error())
            console << "Error polling standard input: " << std::strerror(error) << "; typed lines are no longer read"
                    << std::endl;
        return standard_input.read_input();
    }
    ++lines_run;
    console.execute(input_line, not_echoed);
    if (!quit_requested())
        sys_print_prompt();
    return true;
}

std::uint64_t sys_lines_run()
{
    return lines_run;
}

bool sys_input_ready()
{
    return standard_input.descriptor_ready();
}

int sys_input_descriptor()
{
    return on_terminal ? STDIN_FILENO : standard_input.descriptor();
}

void sys_print_prompt()
{
    std::memset(input_line, 0, sizeof input_line);
    std::cout << sys_prompt.value << ' ' << std::flush;
}

bool sys_input_interrupt()
{
    return on_terminal && stop_signal() == SIGINT && terminal_interrupt(prompt_text());
}

void sys_input_shutdown()
{
    if (on_terminal)
        terminal_close();
    on_terminal = false;
}

}  // namespace varnholt
