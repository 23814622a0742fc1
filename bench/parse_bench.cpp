// Turning text into words and values: the work of every console line.
#include <benchmark/benchmark.h>

#include <string>

#include "varnholt/console/arg_list.h"
#include "varnholt/tokenizer/simple_tokenizer.h"
#include "varnholt/variables/variable.h"

using namespace varnholt;

namespace {
void tokenize_line(benchmark::State& state)
{
    for (auto _ : state) {
        SimpleTokenizer tokenizer("set vid_width \"800\" // saved by hand");
        int count = 0;
        while (tokenizer.next_token())
            ++count;
        benchmark::DoNotOptimize(count);
    }
}
BENCHMARK(tokenize_line);

void arg_list_plain(benchmark::State& state)
{
    for (auto _ : state) {
        ArgList args("set player_name \"Some Body\"");
        benchmark::DoNotOptimize(args.argv);
    }
}
BENCHMARK(arg_list_plain);

void arg_list_echo(benchmark::State& state)
{
    for (auto _ : state) {
        ArgList args("echo the quick brown fox jumps over the lazy dog again and again");
        benchmark::DoNotOptimize(args.argv);
    }
}
BENCHMARK(arg_list_echo);

void arg_list_substitution(benchmark::State& state)
{
    for (auto _ : state) {
        ArgList args("set x $vid_width");
        benchmark::DoNotOptimize(args.argv);
    }
}
BENCHMARK(arg_list_substitution);

Variable<int> int_variable("bench_int", 0, false, "For the benchmark");
Variable<bool> bool_variable("bench_bool", false, false, "For the benchmark");
Variable<std::string> string_variable("bench_string", "", false, "For the benchmark");

void set_int_from_string(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(int_variable.set_from_string(" -12345"));
}
BENCHMARK(set_int_from_string);

void set_bool_from_string(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(bool_variable.set_from_string("1"));
}
BENCHMARK(set_bool_from_string);

void set_string_from_string(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(string_variable.set_from_string("value_of_a_setting"));
}
BENCHMARK(set_string_from_string);
}
