#include "console/arg_list.h"

#include <algorithm>
#include <ostream>
#include <streambuf>
#include <strings.h>

#include "engine/copy_string.h"
#include "tokenizer/simple_tokenizer.h"
#include "variables/variable.h"

namespace {
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
    // A value is read back through a 256-byte line: 255 characters and a zero.
    static constexpr int max_length = 255;
    char text[max_length + 1];
};

// The first line of the variable's value, at most 255 characters.
char* copy_value(BaseVariable& variable)
{
    static ValueBuffer buffer;
    static std::ostream value(&buffer);
    buffer.restart();
    value.clear();
    variable.print(value);
    return copy_string(buffer.first_line());
}
}

ArgList::ArgList(int count, const char* const* words)
    : argc(count), argv(new char*[count > 0 ? count : 0])
{
    for (int i = 0; i < argc; ++i)
        argv[i] = copy_string(words[i]);
}

ArgList::ArgList(const char* line) : text(copy_string(line))
{
    parse();
}

ArgList::~ArgList()
{
    for (int i = argc - 1; i >= 0; --i)
        delete[] argv[i];
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
    while (tokenizer.next_token())
        ++argc;
    tokenizer.rewind();
    argv = new char*[argc];
    for (int i = 0; i < argc;) {
        const char* token = tokenizer.next_token();
        if (token[0] != '$') {
            argv[i++] = copy_string(token);
        } else if (BaseVariable* variable = VariableList::find(token + 1)) {
            argv[i++] = copy_value(*variable);
        } else {
            --argc;  // an unknown name drops its token; the next one takes the slot
        }
    }
    return true;
}
