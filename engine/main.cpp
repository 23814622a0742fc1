#include <iostream>

#include "console/arg_list.h"
#include "console/console.h"
#include "engine/engine.h"
#include "engine/signals.h"

int main(int argc, char** argv)
{
    sys_init_signals();
    // Standard output gets its own buffer, flushed once per frame.
    std::ios::sync_with_stdio(false);
    ArgList args(argc, argv);
    console.add_stream(&std::cout);
    eng_run(args);
}
