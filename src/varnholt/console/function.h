/*
 * Everything that can be named on the console, commands and variables
 * alike, is a Function. A command line runs the object named by its first
 * word, found ignoring ASCII case. An object unlinks itself when destroyed.
 *
 * Most Functions are static objects, declared beside the code they serve:
 *
 *     varnholt::Command say("say", say_command, "Says a line to every peer", "text");
 *
 * Each carries a one-line description, which `help` and `find` show, and a
 * command may carry a usage line: its arguments, as `help` shows them after
 * its name and its usage message after "Usage: <name as typed> ". An
 * object without a description (null or empty) is refused when it
 * registers, with one message, and is then neither found nor listed.
 *
 * Their constructors run before main, in an order the language leaves open
 * across files, so they register nothing yet: each one only waits on a
 * pending list. init_console (console/registration.h) registers them all at once,
 * in an order that the code fixes: the core's objects first, unit by unit
 * in the order of the core's list (console/registration.h), each unit's in
 * declaration order; then every other object waiting (a game's), in the
 * order of their names ignoring case. An object constructed after that
 * registers at once, at the tail. So whether a game's files are linked as
 * objects, a static archive or part of the executable, and in whatever
 * order, ls_cmds, ls_vars and default.cfg list the same.
 */
#pragma once

#include <cstddef>

#include "varnholt/base/intrusive_list.h"
#include "varnholt/base/name_index.h"
#include "varnholt/console/arg_list.h"

namespace varnholt {

class Function;
struct PendingList;

// Implemented with the pending lists in console/registration.cpp.
namespace registration_detail {
// Puts a new object on the list of the open unit, or on the list of the
// rest; false once registration is done: the object then registers at once.
bool wait(Function& object);
// Takes an object that still waits off its list, as it is destroyed.
void stop_waiting(Function& object);
}

class Function {
public:
    // Copies the strings. A named object registers at the tail of the
    // list (or waits, before init_console); when its name is taken or it has
    // no description it writes one message and stays unlinked: it can then
    // be neither found, run nor listed.
    Function(const char* name, const char* type_name, const char* description);
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
    // Never null; empty only for the head and refused objects.
    const char* description() const { return description_; }
    // A command's arguments for `help` and its usage message; null when
    // it has none to show.
    virtual const char* usage() const { return nullptr; }

protected:
    // Links a waiting object into the registries; init_console calls it,
    // once the object is whole. A variable also joins the VariableList.
    virtual void enroll();
    // Whether the object still waits for init_console.
    bool waiting() const { return pending_in != nullptr; }

private:
    friend void register_static_objects();
    friend bool registration_detail::wait(Function& object);
    friend void registration_detail::stop_waiting(Function& object);
    // Into the FunctionList, or the missing description or collision
    // message.
    void link_function();

    ListLink<Function> list_link;
    NameLink<Function> name_link;
    char* name_ = nullptr;       // owned, array-allocated
    char* type_name_ = nullptr;  // owned, array-allocated
    char* description_ = nullptr;  // owned, array-allocated
    std::size_t name_hash_ = 0;
    Function* pending_next = nullptr;    // while waiting for init_console
    PendingList* pending_in = nullptr;   // the list it waits on, or null

public:
    using List = IntrusiveList<Function, &Function::list_link>;
    using Index = NameIndex<Function, &Function::name_link>;
};

using CommandCallback = void (*)(ArgList& args);

// A Function that runs a plain callback (which may be null). `usage` is
// what follows the name in a usage line ("variable [value]"), or null.
class Command : public Function {
public:
    Command(const char* name, CommandCallback callback, const char* description, const char* usage = nullptr);
    ~Command() override;

    void exec(ArgList& args) override;
    const char* usage() const override { return usage_; }

private:
    CommandCallback callback;
    char* usage_ = nullptr;  // owned, array-allocated, or null
};

// Writes "Usage: <name as typed> <usage>" for the command that args.arg(0)
// names, the line a command gives when its arguments do not fit.
void show_usage(const ArgList& args);
// The pattern that a listing command (ls_cmds, ls_vars, ls_files) takes as
// its one optional argument, "*" without one; null, after the usage line,
// when more arguments came.
const char* listing_pattern(const ArgList& args);

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
