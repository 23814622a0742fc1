#include "fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <unistd.h>

#include "varnholt/console/function.h"
#include "varnholt/variables/variable.h"
#include "varnholt/vfs/vfs.h"

using namespace varnholt;

namespace fs = std::filesystem;

namespace {
std::string data_directory;

void remove_data_directory()
{
    std::error_code ignored;
    fs::remove_all(data_directory, ignored);
}

std::string lower(const char* name)
{
    std::string text(name);
    for (char& c : text)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
    return text;
}
}

void fuzz_check(bool condition, const char* text, const char* file, int line)
{
    if (condition)
        return;
    std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, text);
    std::abort();
}

void fuzz_use_data_directory(const std::vector<std::pair<std::string, std::string>>& files)
{
    // Named by the process number alone, so that no value a variable can
    // show holds a word the targets keep out of their inputs.
    data_directory = (fs::temp_directory_path() / ("varnholt-fuzz-" + std::to_string(getpid()))).string();
    remove_data_directory();
    fs::create_directories(data_directory);
    std::atexit(remove_data_directory);
    for (const auto& [name, content] : files)
        std::ofstream(data_directory + '/' + name, std::ios::binary) << content;
    gamepath.set_value(data_directory);
    basepath.set_value(data_directory);
}

const std::string& fuzz_data_directory()
{
    return data_directory;
}

RegistrySize fuzz_check_registries()
{
    RegistrySize size;
    for (Function* f = FunctionList::head().next(); f; f = f->next()) {
        FUZZ_CHECK(f->name() != nullptr);
        FUZZ_CHECK(FunctionList::find(f->name()) == f);
        ++size.functions;
    }
    std::set<std::string> seen;
    for (BaseVariable* v = VariableList::head().next_variable(); v; v = v->next_variable()) {
        FUZZ_CHECK(v->name() != nullptr);
        BaseVariable* found = VariableList::find(v->name());
        FUZZ_CHECK(found != nullptr && lower(found->name()) == lower(v->name()));
        // The first variable of a name is the one the name finds.
        FUZZ_CHECK(!seen.insert(lower(v->name())).second || found == v);
        ++size.variables;
    }
    return size;
}

std::vector<std::string> fuzz_lines(const unsigned char* data, std::size_t size)
{
    std::vector<std::string> lines(1);
    for (std::size_t i = 0; i < size; ++i) {
        const char c = static_cast<char>(data[i]);
        if (c == '\n' || c == '\0')
            lines.emplace_back();
        else
            lines.back() += c;
    }
    return lines;
}
