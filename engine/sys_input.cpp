#include "engine/sys_input.h"

#include <cstring>
#include <iostream>
#include <unistd.h>

#include "console/console.h"
#include "engine/line_reader.h"

Variable<std::string> sys_prompt("sys_prompt", "]", saved);

namespace {
char input_line[line_size];
bool prompt_shown = false;
LineReader standard_input(STDIN_FILENO);
}

void sys_poll_input()
{
    if (!prompt_shown) {
        sys_print_prompt();
        prompt_shown = true;
    }
    if (!standard_input.next_line(input_line))
        return;
    console.execute(input_line, not_echoed);
    sys_print_prompt();
}

bool sys_input_ready()
{
    return standard_input.descriptor_ready();
}

void sys_print_prompt()
{
    std::memset(input_line, 0, sizeof input_line);
    std::cout << sys_prompt.value << ' ' << std::flush;
}
