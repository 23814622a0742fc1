// The benchmarks' main: the console and its registered objects first, as
// the engine's start-up has them.
#include <benchmark/benchmark.h>

#include "varnholt/console/registration.h"

int main(int argc, char** argv)
{
    varnholt::init_console();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
