#include "console/arg_list.h"

#include <sstream>
#include <strings.h>

#include "engine/copy_string.h"
#include "tokenizer/simple_tokenizer.h"
#include "variables/variable.h"

namespace {
// A substituted value is read back through a 256-byte line buffer.
constexpr int value_buffer_size = 256;

// The first line of the variable's value, at most 255 characters.
char* copy_value(BaseVariable& variable)
{
    std::stringstream value;
    variable.print(value);
    char line[value_buffer_size] = {};
    value.getline(line, sizeof line);
    return copy_string(line);
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
