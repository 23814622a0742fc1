// Fuzz target: both tokenizers over any text.
//
// Besides the sanitizers' checks, for each tokenizer and every input:
// - no token is longer than 1023 characters, and each is a piece of the
//   text, after the one before it (a quoted string's content included);
// - the stream ends at its first null: later calls yield nothing more;
// - an error other than "done" stops the stream until rewind;
// - after rewind the same tokens and the same closing error come again;
// - the console tokenizer gives what the reference copy of its former,
//   character-by-character version gives.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "tests/reference_tokenizer.h"
#include "varnholt/tokenizer/advanced_tokenizer.h"
#include "varnholt/tokenizer/simple_tokenizer.h"

using namespace varnholt;

namespace {
constexpr std::size_t max_token_length = 1023;
const std::string done = "0: error: done";

struct Scan {
    std::vector<std::string> tokens;
    std::string error;  // what is recorded once the stream has ended
};

Scan scan(Tokenizer& tokenizer, const std::string& text)
{
    Scan result;
    std::size_t position = 0;
    while (const char* token = tokenizer.next_token()) {
        FUZZ_CHECK(token == tokenizer.token());
        const std::size_t length = std::strlen(token);
        FUZZ_CHECK(length <= max_token_length);
        const std::size_t at = text.find(token, position, length);
        FUZZ_CHECK(at != std::string::npos);
        position = at + length;
        result.tokens.emplace_back(token, length);
        // Every token but an empty string takes at least one character.
        FUZZ_CHECK(result.tokens.size() <= text.size() + 1);
    }
    // The first null ends the stream: a call at the end records "done",
    // and after an error nothing moves.
    const std::string first = tokenizer.has_error() ? tokenizer.error() : "";
    for (int i = 0; i < 3; ++i) {
        FUZZ_CHECK(tokenizer.next_token() == nullptr);
        FUZZ_CHECK(tokenizer.has_error());
        if (!first.empty() && first != done)
            FUZZ_CHECK(tokenizer.error() == first);
    }
    result.error = tokenizer.error();
    FUZZ_CHECK(first.empty() || result.error == first);
    return result;
}

Scan check(Tokenizer& tokenizer, const std::string& text)
{
    const Scan once = scan(tokenizer, text);
    tokenizer.rewind();
    FUZZ_CHECK(!tokenizer.has_error());
    const Scan again = scan(tokenizer, text);
    FUZZ_CHECK(again.tokens == once.tokens);
    FUZZ_CHECK(again.error == once.error);
    // An error other than "done" means a token or string over the limit.
    FUZZ_CHECK(once.error == done || once.error == "0: error: Token exceedes 1024 byte limit"
               || once.error == "0: error: String exceeds 1024 byte limit");

    const std::string kept = text.substr(0, max_token_length);
    tokenizer.set_token(kept.c_str());
    FUZZ_CHECK(kept == tokenizer.token());
    return once;
}
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // A tokenizer sees its text up to the first zero byte.
    const char* bytes = reinterpret_cast<const char*>(data);
    const std::string text(bytes, strnlen(bytes, size));
    SimpleTokenizer simple(text.c_str());
    const Scan console_line = check(simple, text);
    ReferenceTokenizer reference(text.c_str());
    const Scan expected = scan(reference, text);
    FUZZ_CHECK(console_line.tokens == expected.tokens);
    FUZZ_CHECK(console_line.error == expected.error);
    AdvancedTokenizer advanced(text.c_str());
    check(advanced, text);
    return 0;
}
