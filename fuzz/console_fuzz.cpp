// Fuzz target: console lines run by the engine's real commands and
// variables, after start-up, as if typed one after another.
//
// Each input is a batch of lines (split at line feeds and zero bytes). The
// data directory holds scripts that nest, substitute and eval, so exec and
// eval recurse through fuzzed variables up to the nesting limit.
//
// Besides the sanitizers' checks, for every line the argument list is
// compared with the tokenizer's words after "$" substitution; after every
// line the console is still a good stream and the registries are intact;
// after every input the registries are back to their first size.
//
// quit and the socket commands are kept out: an input that holds their names
// in any letter case is refused. The console language has no way to join two
// pieces of text: every word it runs is one token of an input line, or one
// variable value, itself a token or a built-in value (a number, the data
// directory, the engine name). So no input without those names can run them.
// ".." is refused the same way: exec reads names under the data directory
// only, and must not climb out of it to read devices or the test machine.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>
#include <strings.h>

#include "varnholt/console/arg_list.h"
#include "varnholt/console/console.h"
#include "varnholt/console/registration.h"
#include "fuzz_support.h"
#include "tests/reset_variables.h"
#include "varnholt/tokenizer/simple_tokenizer.h"
#include "varnholt/variables/variable.h"
#include "varnholt/variables/variable_commands.h"

using namespace varnholt;

using namespace std::string_literals;

namespace {
RegistrySize initial_size;

bool contains_ignoring_case(const std::string& text, const char* word)
{
    const std::size_t length = std::strlen(word);
    for (std::size_t at = 0; at + length <= text.size(); ++at) {
        if (strncasecmp(text.c_str() + at, word, length) == 0)
            return true;
    }
    return false;
}

// The argument list of `line` as the tokenizer and the variables say it
// must be.
void check_arg_list(const std::string& line)
{
    ArgList args(line.c_str());
    FUZZ_CHECK(args.text != nullptr && line == args.text);
    FUZZ_CHECK(args.argc >= 0);
    FUZZ_CHECK(args.arg(-1) == nullptr && args.arg(args.argc) == nullptr);

    SimpleTokenizer tokenizer(line.c_str());
    int i = 0;
    while (const char* token = tokenizer.next_token()) {
        std::string expected = token;
        if (token[0] == '$') {
            BaseVariable* variable = VariableList::find(token + 1);
            if (!variable)
                continue;  // dropped
            std::ostringstream value;
            variable->print(value);
            expected = value.str().substr(0, value.str().find('\n')).substr(0, 255);
            if (variable == VariableList::find("eng_time")) {
                // A running timer shows a new value at every reading.
                FUZZ_CHECK(i < args.argc && args.arg(i) && std::strlen(args.arg(i)) <= 255);
                ++i;
                continue;
            }
        }
        FUZZ_CHECK(i < args.argc);
        FUZZ_CHECK(args.arg(i) != nullptr && expected == args.arg(i));
        FUZZ_CHECK(args.has_arg(args.arg(i)));
        ++i;
    }
    FUZZ_CHECK(i == args.argc);
}
}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    init_console();
    fuzz_use_data_directory({
        {"nest.cfg", "echo nest $fz_depth\nexec nest.cfg\n"},
        {"vars.cfg", "set fz_a alpha\nset fz_b \"two words\"\necho $fz_a $fz_b $fz_none\ndel fz_a\n"
                     "set fz_b\nfz_b changed\n"},
        // One line only: a script that runs two fuzzed lines could double
        // its work at every level of nesting.
        {"run.cfg", "eval $fz_cmd\n"},
        {"long.cfg", "echo " + std::string(3000, 'L') + "\necho after\n"},
        {"crlf.cfg", "echo a\r\n// comment\r\n/* block */ echo b\r\n\r\n  \"\" x\r\n"},
        {"zero.cfg", "echo before\0echo hidden\nset fz_z \"a\0b\"\n"s},
    });
    console.set_startup_complete();
    initial_size = fuzz_check_registries();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    for (const char* kept_out : {"quit", "n_open", "n_send", ".."}) {
        if (contains_ignoring_case(input, kept_out))
            return -1;
    }
    for (const std::string& line : fuzz_lines(data, size)) {
        check_arg_list(line);
        console.execute(line.c_str(), false);
        FUZZ_CHECK(console.good());
        fuzz_check_registries();
    }
    FUZZ_CHECK(reset_variables());
    FUZZ_CHECK(created_variables().empty());
    FUZZ_CHECK(fuzz_check_registries() == initial_size);
    return 0;
}
