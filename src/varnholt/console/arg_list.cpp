#include "varnholt/console/arg_list.h"

#include <cstring>
#include <vector>

#include "varnholt/base/command_line.h"
#include "varnholt/base/name_index.h"
#include "varnholt/tokenizer/console_scanner.h"

namespace varnholt {

namespace {
Substitution substitute = nullptr;

// The tokens of one line, up to its end or a token over the limit, side by
// side: a fixed array holds those of any ordinary line, a vector all of a
// longer one.
class LineTokens {
public:
    LineTokens(const char* line, const char* end)
    {
        const char* cursor = line;
        count = scan_console_tokens(cursor, end, first, fixed);
        if (count < fixed)
            return;
        more.assign(first, first + fixed);
        for (std::size_t found = fixed; found == fixed;) {
            found = scan_console_tokens(cursor, end, first, fixed);
            more.insert(more.end(), first, first + found);
        }
        count = more.size();
    }
    const TokenSpan* begin() const { return more.empty() ? first : more.data(); }
    const TokenSpan* end() const { return begin() + count; }
    std::size_t size() const { return count; }

private:
    static constexpr std::size_t fixed = 64;
    TokenSpan first[fixed];
    std::vector<TokenSpan> more;
    std::size_t count;
};

// How many "$" signs the text holds: at least as many as its "$" words.
std::size_t dollar_signs(const char* text, std::size_t length)
{
    std::size_t count = 0;
    const char* const end = text + length;
    for (const char* p = text; (p = static_cast<const char*>(std::memchr(p, '$', static_cast<std::size_t>(end - p)))); ++p)
        ++count;
    return count;
}

// Copies `length` characters and a zero to `storage`; returns the copy.
char* store(char*& storage, const char* word, std::size_t length)
{
    char* const copy = storage;
    std::memcpy(copy, word, length);
    copy[length] = '\0';
    storage += length + 1;
    return copy;
}
}

ArgList::ArgList(int count, const char* const* words)
{
    const int slots = count > 0 ? count : 0;
    std::size_t characters = 0;
    for (int i = 0; i < slots; ++i)
        characters += words[i] ? std::strlen(words[i]) + 1 : 0;
    char* storage = reserve(static_cast<std::size_t>(slots), characters);
    for (int i = 0; i < slots; ++i)
        argv[i] = words[i] ? store(storage, words[i], std::strlen(words[i])) : nullptr;
    argc = slots;
}

ArgList::ArgList(const char* line)
{
    if (!line)
        return;
    // One scan finds the tokens where they lie; a token over the limit ends
    // the list, keeping those before it.
    const std::size_t length = std::strlen(line);
    const LineTokens tokens(line, line + length);

    // The text, then a second copy of it in which each token gets a zero
    // after it and becomes its word: every token is a piece of the line,
    // and what follows one (a blank, a quote, a comment, the end) belongs to
    // no other. Then a 256-byte slot for each value that may be substituted.
    char* storage
        = reserve(tokens.size(), 2 * (length + 1) + dollar_signs(line, length) * substituted_value_size);
    text = store(storage, line, length);
    char* const words = store(storage, line, length);
    char** next = argv;
    for (const TokenSpan& token : tokens) {
        char* const word = words + (token.begin - line);
        word[token.length] = '\0';
        if (word[0] != '$') {
            *next++ = word;
        } else if (substitute && substitute(word + 1, token.length - 1, storage)) {
            *next++ = storage;
            storage += substituted_value_size;
        }
        // An unknown name drops its token; the next one takes the slot.
    }
    argc = static_cast<int>(next - argv);
}

ArgList::~ArgList()
{
    delete[] allocated;
}

char* ArgList::reserve(std::size_t slots, std::size_t characters)
{
    const std::size_t bytes = slots * sizeof(char*) + characters;
    if (bytes <= local_size) {
        argv = reinterpret_cast<char**>(local);
    } else {
        allocated = new char*[slots + (characters + sizeof(char*) - 1) / sizeof(char*)];
        argv = allocated;
    }
    return reinterpret_cast<char*>(argv + slots);
}

const char* ArgList::arg(int index) const
{
    return index >= 0 && index < argc ? argv[index] : nullptr;
}

bool ArgList::has_arg(const char* word) const
{
    for (int i = 0; i < argc; ++i) {
        if (argv[i] && same_name(argv[i], word))
            return true;
    }
    return false;
}

void set_substitution(Substitution substitution)
{
    substitute = substitution;
}

ArgList command_args(const char* const* words, const CommandGroup& group)
{
    std::vector<const char*> command(words + group.first, words + group.first + group.count);
    ++command[0];  // past the "+"
    return ArgList(group.count, command.data());
}

}  // namespace varnholt
