// Console output and script execution.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <ostream>
#include <streambuf>
#include <string>
#include <unistd.h>

#include "varnholt/console/console.h"
#include "varnholt/vfs/vfs.h"

using namespace varnholt;

namespace {
// Swallows everything, as cheaply as a stream can.
class NullBuffer : public std::streambuf {
protected:
    int_type overflow(int_type c) override { return c; }
    std::streamsize xsputn(const char*, std::streamsize count) override { return count; }
};

void console_line(benchmark::State& state)
{
    NullBuffer sink;
    std::ostream null_stream(&sink);
    const int id = console.add_stream(&null_stream);
    const std::string line(60, 'x');
    for (auto _ : state)
        console << line << std::endl;
    console.remove_stream(id);
    state.SetBytesProcessed(state.iterations() * 61);
}
BENCHMARK(console_line);

// One echo line of the comparison's echo workload, tokenized and written.
void echo_line(benchmark::State& state)
{
    NullBuffer sink;
    std::ostream null_stream(&sink);
    const int id = console.add_stream(&null_stream);
    for (auto _ : state)
        console.execute("echo the quick brown fox jumps over the lazy dog again and again", not_echoed);
    console.remove_stream(id);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(echo_line);

void exec_script(benchmark::State& state)
{
    char directory[] = "/tmp/varnholt-bench-XXXXXX";
    if (!mkdtemp(directory)) {
        state.SkipWithError("mkdtemp failed");
        return;
    }
    const std::string path = std::string(directory) + "/bench.cfg";
    {
        std::ofstream script(path);
        for (int i = 0; i < 1000; ++i)
            script << "set vid_width " << i << "\n// a comment line\nset bench_exec_" << i % 10 << " $vid_width\n";
    }
    gamepath.set_value(directory);
    basepath.set_value(directory);
    for (auto _ : state)
        console.execute("exec bench.cfg", not_echoed);
    state.SetItemsProcessed(state.iterations() * 3000);
    std::remove(path.c_str());
    rmdir(directory);
}
BENCHMARK(exec_script);
}
