#include "console/arg_list.h"

#include <algorithm>
#include <cstring>
#include <ostream>
#include <streambuf>
#include <strings.h>

#include "engine/copy_string.h"
#include "tokenizer/simple_tokenizer.h"
#include "variables/variable.h"

namespace {
// A substituted value is read back through a 256-byte line: 255 characters
// and the zero.
constexpr std::size_t value_size = 256;

// Keeps the first 255 characters written to it and drops the rest, so that
// a substituted value costs neither a stream nor an allocation per token.
class ValueBuffer : public std::streambuf {
public:
    ValueBuffer() { restart(); }

    void restart() { setp(text, text + max_length); }
    // The first line of what was written since restart().
    const char* first_line()
    {
        *std::find(pbase(), pptr(), '\n') = '\0';
        return text;
    }

protected:
    int_type overflow(int_type c) override { return traits_type::not_eof(c); }
    std::streamsize xsputn(const char* s, std::streamsize count) override
    {
        const std::streamsize kept = std::min<std::streamsize>(count, epptr() - pptr());
        std::copy(s, s + kept, pptr());
        pbump(static_cast<int>(kept));
        return count;
    }

private:
    static constexpr int max_length = value_size - 1;
    char text[max_length + 1];
};

// The first line of the variable's value, at most 255 characters.
const char* value_of(BaseVariable& variable)
{
    static ValueBuffer buffer;
    static std::ostream value(&buffer);
    buffer.restart();
    value.clear();
    variable.print(value);
    return buffer.first_line();
}

// argv and the characters of its words share one allocation, the pointers
// first, so that a line costs one allocation however many words it has.
char** allocate_words(int count, std::size_t characters)
{
    const auto slots = static_cast<std::size_t>(count) + (characters + sizeof(char*) - 1) / sizeof(char*);
    return new char*[slots];
}

// Copies `word` with its zero to `storage`; returns where the copy starts.
char* store_word(char*& storage, const char* word)
{
    char* const copy = storage;
    const std::size_t size = std::strlen(word) + 1;
    std::memcpy(storage, word, size);
    storage += size;
    return copy;
}
}

ArgList::ArgList(int count, const char* const* words) : argc(count > 0 ? count : 0)
{
    std::size_t characters = 0;
    for (int i = 0; i < argc; ++i)
        characters += words[i] ? std::strlen(words[i]) + 1 : 0;
    argv = allocate_words(argc, characters);
    char* storage = reinterpret_cast<char*>(argv + argc);
    for (int i = 0; i < argc; ++i)
        argv[i] = words[i] ? store_word(storage, words[i]) : nullptr;
}

ArgList::ArgList(const char* line) : text(copy_string(line))
{
    parse();
}

ArgList::~ArgList()
{
    delete[] argv;
    delete[] text;
}

const char* ArgList::arg(int index) const
{
    return index >= 0 && index < argc ? argv[index] : nullptr;
}

bool ArgList::has_arg(const char* word) const
{
    for (int i = 0; i < argc; ++i) {
        if (argv[i] && strcasecmp(argv[i], word) == 0)
            return true;
    }
    return false;
}

bool ArgList::parse()
{
    if (!text)
        return false;
    SimpleTokenizer tokenizer(text);
    argc = 0;
    std::size_t characters = 0;
    while (const char* token = tokenizer.next_token()) {
        ++argc;
        characters += token[0] == '$' ? value_size : std::strlen(token) + 1;
    }
    tokenizer.rewind();
    argv = allocate_words(argc, characters);
    char* storage = reinterpret_cast<char*>(argv + argc);
    for (int i = 0; i < argc;) {
        const char* token = tokenizer.next_token();
        if (token[0] != '$') {
            argv[i++] = store_word(storage, token);
        } else if (BaseVariable* variable = VariableList::find(token + 1)) {
            argv[i++] = store_word(storage, value_of(*variable));
        } else {
            --argc;  // an unknown name drops its token; the next one takes the slot
        }
    }
    return true;
}
