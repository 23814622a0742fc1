/*
 * One command line broken into words: argv[0] is the command name, the rest
 * are its arguments.
 *
 * The list owns `text` (a copy of the line) and `argv`, whose elements are
 * copies. The pointers, the text and the words share one block of storage:
 * inside the list itself for an ordinary line, one allocation for a longer
 * one. Exactly the first `argc` elements are valid. A list built from a line
 * lives while that line executes; the process arguments' list lives for the
 * whole run. Lists are never copied or moved.
 *
 * "$name" words are replaced through a hook that the variables install
 * (variables/variable.h), so that the console core knows nothing of them.
 */
#pragma once

#include <cstddef>

#include "varnholt/base/limits.h"

namespace varnholt {

struct CommandGroup;

class ArgList {
public:
    // The words of an argument vector, copied as they are (a null word stays
    // null); nothing is tokenized or substituted, and `text` is null.
    ArgList(int count, const char* const* words);
    // The tokens of `text` (copied into `text`), with every token that begins
    // with "$" replaced by the value of the variable it names, or dropped when
    // no variable has that name (or no substitution is installed). A null
    // text gives an empty list.
    explicit ArgList(const char* text);
    ~ArgList();
    ArgList(const ArgList&) = delete;
    ArgList& operator=(const ArgList&) = delete;

    // Element `index`, or null outside 0 <= index < argc.
    const char* arg(int index) const;
    // Whether any element, the command name included, equals `word`
    // ignoring ASCII case.
    bool has_arg(const char* word) const;

    int argc = 0;
    char* text = nullptr;   // the line as given, before tokenizing; may be null
    char** argv = nullptr;  // may hold spare slots past argc after a dropped token

private:
    // Storage for `slots` pointers followed by `characters` bytes: the
    // list's own when it fits, else a new allocation. Sets argv.
    char* reserve(std::size_t slots, std::size_t characters);

    // Room for the pointers and words of an ordinary console line, a "$"
    // value included, without an allocation.
    static constexpr std::size_t local_size = 512;

    char** allocated = nullptr;  // owned, array-allocated; null while `local` serves
    alignas(char*) char local[local_size];
};

// Writes the first line of the value of the variable named by the `length`
// characters at `name` (at most substituted_value_size - 1 characters and a
// zero) to `destination`; false, writing nothing, when there is none.
using Substitution = bool (*)(const char* name, std::size_t length, char* destination);
// The one substitution every list built from a line uses from now on.
void set_substitution(Substitution substitution);

// A group of the process arguments (base/command_line.h) as a command line
// of its own: the command's name without its "+", then its arguments, copied.
ArgList command_args(const char* const* words, const CommandGroup& group);

}  // namespace varnholt
