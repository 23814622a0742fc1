/*
 * Everything that can be named on the console, commands and variables
 * alike, is a Function. Each one links itself into the FunctionList when
 * constructed and unlinks itself when destroyed; a command line runs the
 * object named by its first word, found ignoring ASCII case.
 *
 * Nearly all Functions are static objects registered before main, so the
 * list head is created on first use and outlives every member.
 */
#pragma once

#include <cstddef>

// Included here so that every file that registers a Function also builds the
// console before its own static objects: a collision message needs it.
#include "varnholt/base/intrusive_list.h"
#include "varnholt/base/name_index.h"
#include "varnholt/console/arg_list.h"
#include "varnholt/console/console.h"

namespace varnholt {

class Function {
public:
    // Copies both strings. A named object registers at the tail of the
    // list; when its name is taken it writes the collision message and stays
    // unlinked: it can then be neither found, run nor listed.
    Function(const char* name, const char* type_name);
    // Unlinks the object (if it was linked) and releases its strings.
    virtual ~Function();
    Function(const Function&) = delete;
    Function& operator=(const Function&) = delete;

    // Runs the object with a line whose element 0 names it.
    virtual void exec(ArgList& args);

    Function* next() const { return list_link.next; }
    // Null only for the list head.
    const char* name() const { return name_; }
    // name_key(name()).hash, for the name indexes.
    std::size_t name_hash() const { return name_hash_; }
    // "Command", "Variable", "ReadOnlyVariable", or "null" for the head.
    const char* type_name() const { return type_name_; }

private:
    ListLink<Function> list_link;
    NameLink<Function> name_link;
    char* name_ = nullptr;       // owned, array-allocated
    char* type_name_ = nullptr;  // owned, array-allocated
    std::size_t name_hash_ = 0;

public:
    using List = IntrusiveList<Function, &Function::list_link>;
    using Index = NameIndex<Function, &Function::name_link>;
};

using CommandCallback = void (*)(ArgList& args);

// A Function that runs a plain callback (which may be null).
class Command : public Function {
public:
    Command(const char* name, CommandCallback callback);
    ~Command() override = default;

    void exec(ArgList& args) override;

private:
    CommandCallback callback;
};

namespace FunctionList {
// Created on first use: static objects in other files may register before
// this file's globals are initialised. Never returned by find.
Function& head();
// The linked object named `name` ignoring ASCII case, or null.
Function* find(const char* name);
// The same for a name of `length` characters that need no zero after them.
Function* find(const char* name, std::size_t length);
// Runs the object named by args.arg(0); false (and no message) when none is.
bool execute(ArgList& args);
}

}  // namespace varnholt
