// The one-pass console tokenizer against the reference copy of the former
// one: on hand-picked and on generated lines, SimpleTokenizer must give the
// same results call by call, and ArgList the same words.
#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "varnholt/console/arg_list.h"
#include "reference_tokenizer.h"
#include "varnholt/tokenizer/simple_tokenizer.h"
#include "varnholt/variables/variable.h"

using namespace varnholt;

namespace {
Variable<std::string> spaced("scanner_test_spaced", "a b", not_saved, "For a test");

// What every call yields: the token or "<null>", the buffer, the error.
std::vector<std::string> trace(Tokenizer& tokenizer)
{
    std::vector<std::string> calls;
    for (int nulls = 0; nulls < 2;) {
        const char* token = tokenizer.next_token();
        nulls += token == nullptr;
        calls.push_back(token ? token : "<null>");
        calls.push_back(tokenizer.token());
        calls.push_back(tokenizer.has_error() ? tokenizer.error() : "");
    }
    return calls;
}

// The words the reference tokens give, "$" words substituted or dropped.
std::vector<std::string> reference_words(const std::string& line)
{
    ReferenceTokenizer tokenizer(line.c_str());
    std::vector<std::string> words;
    while (const char* token = tokenizer.next_token()) {
        if (token[0] != '$') {
            words.emplace_back(token);
        } else if (BaseVariable* variable = VariableList::find(token + 1)) {
            std::ostringstream value;
            variable->print(value);
            words.push_back(value.str().substr(0, value.str().find('\n')).substr(0, 255));
        }
    }
    return words;
}

void expect_same(const std::string& line)
{
    SimpleTokenizer simple(line.c_str());
    ReferenceTokenizer reference(line.c_str());
    ASSERT_EQ(trace(simple), trace(reference)) << line;
    simple.rewind();
    reference.rewind();
    ASSERT_EQ(trace(simple), trace(reference)) << "after rewind: " << line;

    ArgList args(line.c_str());
    const std::vector<std::string> words(args.argv, args.argv + args.argc);
    ASSERT_EQ(words, reference_words(line)) << line;
    ASSERT_EQ(args.text, line);
}

std::string repeated(const std::string& piece, int count)
{
    std::string text;
    while (count-- > 0)
        text += piece;
    return text;
}

// Pieces that lines are made of: the characters the rules look at, in the
// places where they matter.
const std::vector<std::string> pieces = {
    "a", "echo", "x/y", " ", "  ", "\t", "\r", "\n", "\v\f", "\"", "\"\"", "\\", "\\\"", "\\\\\"",
    "/", "//", "/*", "*/", "/*/", "*", "$", "$scanner_test_spaced", "$SCANNER_TEST_SPACED",
    "$vid_width", "$no_such_name", "$\"\"", "\x01", "\x1b", "\x7f", "\xff", ";",
    repeated("x", 1022), repeated("y", 1023), repeated("z", 1024), repeated("q", 1100),
};
}

TEST(ConsoleScanner, AgreesWithTheReferenceOnEdgeCases)
{
    const std::string limit(1023, 'l');
    for (const std::string& line : std::vector<std::string> {
             "", " ", "a", "echo \"two words\" x", "a\"b\"c", "\"\"\"\"", "a\"\"b", "x//y", "//", "/",
             "a/", "/*", "/*/", "/**/a", "a /* x", "a/*b*/c", "// x\n  b\n// y\nc", "\"a\\\"b\" c",
             "x \"a\\\\\" y", "\"" + limit + "\"", "\"" + limit + "x\"", "\"" + limit, "\"" + limit + "x",
             limit, limit + "x", "a " + limit + "\"b\"", "$", "$ $scanner_test_spaced \"$vid_width\"",
             repeated("w ", 64), repeated("$vid_width \"\"", 100), repeated("a ", 200) + limit + "x"})
        expect_same(line);
}

TEST(ConsoleScanner, AgreesWithTheReferenceOnGeneratedLines)
{
    std::mt19937 random(12);
    std::uniform_int_distribution<std::size_t> piece(0, pieces.size() - 1);
    std::uniform_int_distribution<int> length(0, 12);
    for (int i = 0; i < 20000; ++i) {
        std::string line;
        for (int n = length(random); n > 0; --n)
            line += pieces[piece(random)];
        expect_same(line);
    }
}
