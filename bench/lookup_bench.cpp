// Name lookup in the registries, with the built-in names only and with
// thousands of extra ones registered behind them.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "varnholt/console/function.h"
#include "varnholt/variables/variable.h"

using namespace varnholt;

namespace {
void nothing(ArgList&)
{
}

// Extra commands and variables, registered for the "many" cases only.
class ManyNames {
public:
    explicit ManyNames(int count)
    {
        for (int i = 0; i < count; ++i) {
            const std::string name = "extra_name_" + std::to_string(i);
            commands.push_back(std::make_unique<Command>((name + "_cmd").c_str(), nothing, "For the benchmark"));
            variables.push_back(std::make_unique<Variable<std::string>>(name.c_str(), "v", false, "For the benchmark"));
        }
    }

private:
    std::vector<std::unique_ptr<Command>> commands;
    std::vector<std::unique_ptr<Variable<std::string>>> variables;
};

void find_command(benchmark::State& state, const char* name)
{
    const ManyNames extra(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(FunctionList::find(name));
}
BENCHMARK_CAPTURE(find_command, hit, "ls_cmds")->Arg(0)->Arg(5000);
BENCHMARK_CAPTURE(find_command, miss, "no_such_name")->Arg(0)->Arg(5000);

void find_variable(benchmark::State& state, const char* name)
{
    const ManyNames extra(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(VariableList::find(name));
}
BENCHMARK_CAPTURE(find_variable, hit, "eng_time")->Arg(0)->Arg(5000);
BENCHMARK_CAPTURE(find_variable, miss, "no_such_name")->Arg(0)->Arg(5000);
}
