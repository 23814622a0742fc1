/*
 * Console variables: named, typed settings that the console can show,
 * change and reset, and that the configuration writer saves.
 *
 * Every variable is a Function (typing its name runs exec) and is also
 * linked, in registration order, into the VariableList, through which the
 * variable commands, the configuration writer and "$name" substitution find
 * it. Built-in variables are static objects of the subsystems that own
 * them; those made by `set` belong to the variable commands.
 *
 * Each is declared with a one-line description (see console/function.h);
 * an int variable may add a Range, and a settable one a change callback:
 *
 *     Variable<int> sv_maxplayers("sv_maxplayers", 8, saved, "Players the server admits", Range {1, 64},
 *                                 maxplayers_changed);
 *
 * Every set from text (typed, `set`, a script, the command line, the
 * replayed "default.cfg") goes through set_from_string and set_value, which
 * apply the range and call the callback once the value has changed; so do
 * `reset` and `reset_all`. Owners may read and write `value` directly: such
 * a write is neither checked nor notified.
 *
 * Instantiated for Variable<std::string>, Variable<int>, Variable<bool>,
 * ConstVariable<std::string>, ReadOnlyVariable<std::string> and
 * ReadOnlyVariable<Timer>.
 */
#pragma once

#include <cassert>
#include <cstddef>
#include <optional>
#include <ostream>
#include <string>
#include <type_traits>

#include "varnholt/base/timer.h"
#include "varnholt/console/function.h"

namespace varnholt {

// The persistent flag of the constructors below, named where a variable is
// declared: whether the configuration writer saves the variable.
constexpr bool saved = true, not_saved = false;

// The values an int variable accepts, both ends included. A value from text
// outside them leaves the variable as it was, with the line "<name> must be
// between <min> and <max>, not <value>"; with `clamp` the nearer end is
// stored instead, and the line ends ", <end> stored instead of <value>".
struct Range {
    int min;
    int max;
    bool clamp = false;
};
// The clamp flag of a Range, named where a variable is declared.
constexpr bool clamped = true, refused = false;

class BaseVariable;
// Called once a set from text, `reset` or `reset_all` has changed the
// variable's value; never for a refused set or one that left it equal.
using ChangeCallback = void (*)(BaseVariable& changed);

class BaseVariable : public Function {
public:
    // What text may do to a variable's value.
    enum class Access { settable, constant, read_only };

    // Registers as a Function of kind `kind` (reporting a name collision
    // there), then appends itself to the VariableList even after a collision,
    // so the variable commands still reach it; a static variable does both
    // when init_console registers it (console/function.h). A null name, or
    // an empty description, links nowhere.
    BaseVariable(const char* name, const char* kind, bool persistent, const char* description);
    ~BaseVariable() override;

    // The variable's line of the configuration file; nothing here.
    virtual std::ostream& save(std::ostream& os);
    // The value as text, without name, quotes or newline; nothing here.
    virtual std::ostream& print(std::ostream& os);
    // The value as print writes it, but never hidden: for telling whether
    // the value changed, never for showing it.
    virtual std::ostream& print_unhidden(std::ostream& os) { return print(os); }
    // Parses and assigns `text`; false when refused (always, here).
    virtual bool set_from_string(const char* text);
    virtual void reset_to_default();

    // Whether the configuration writer saves this variable.
    bool persistent() const { return persistent_; }
    // "int", "bool", "string" or "timer"; null for the sentinel.
    virtual const char* value_type() const { return nullptr; }
    // A constant is settable until start-up is complete.
    virtual Access access() const { return Access::read_only; }
    const std::optional<Range>& range() const { return range_; }
    // Whether the value is a secret, which print hides and which no line
    // that may set it leaves in a history (see may_set_secret). A secret's
    // name is made of letters, digits and underscores only.
    virtual bool secret() const { return false; }
    BaseVariable* next_variable() const { return variable_link.next; }

protected:
    void enroll() override;
    // Calls the change callback, if there is one.
    void changed();

    std::optional<Range> range_;  // only ever set on an int variable
    ChangeCallback on_change = nullptr;

private:
    void link_variable();

    bool persistent_;
    ListLink<BaseVariable> variable_link;
    NameLink<BaseVariable> variable_name_link;

public:
    using List = IntrusiveList<BaseVariable, &BaseVariable::variable_link>;
    using Index = NameIndex<BaseVariable, &BaseVariable::variable_name_link>;
};

// A settable variable with a default.
template <typename T>
class Variable : public BaseVariable {
public:
    Variable(const char* name, const T& initial, bool persistent, const char* description,
             ChangeCallback on_change = nullptr);
    // An int variable whose values from text stay within `range`, which
    // holds `initial`.
    template <typename U = T, typename = std::enable_if_t<std::is_same_v<U, int>>>
    Variable(const char* name, const T& initial, bool persistent, const char* description, const Range& range,
             ChangeCallback on_change = nullptr)
        : Variable(name, initial, persistent, description, on_change)
    {
        assert(range.min <= initial && initial <= range.max);
        range_ = range;
    }

    // With an argument, sets from it silently; otherwise shows
    // "<name as typed>: <value>    default: <default>".
    void exec(ArgList& args) override;
    // set <name> "<value>", unescaped.
    std::ostream& save(std::ostream& os) override;
    std::ostream& print(std::ostream& os) override;
    std::ostream& print_unhidden(std::ostream& os) override;
    // One formatted extraction: a string takes the first word, numbers stop
    // at the first non-digit, a bool is any number other than 0.
    bool set_from_string(const char* text) override;
    void reset_to_default() override;
    // Applies the range, stores, and calls the change callback when the
    // value changed; false when refused.
    virtual bool set_value(const T& v);
    const char* value_type() const override;
    Access access() const override { return Access::settable; }

    T value;
    T default_value;
};

// A string that may be set from text only until start-up is complete: the
// start-up script can change it, a user afterwards cannot.
template <typename T>
class ConstVariable : public Variable<T> {
public:
    ConstVariable(const char* name, const T& initial, bool persistent, const char* description);

    void exec(ArgList& args) override;
    bool set_from_string(const char* text) override;
    // A constant keeps its value.
    void reset_to_default() override {}
    BaseVariable::Access access() const override { return BaseVariable::Access::constant; }
};

// A value that text can show but never set.
template <typename T>
class ReadOnlyVariable : public BaseVariable {
public:
    ReadOnlyVariable(const char* name, const T& initial, bool persistent, const char* description);

    // Shows "<name as typed>: <value>"; with an argument, "<name> is readonly".
    void exec(ArgList& args) override;
    std::ostream& print(std::ostream& os) override;
    const char* value_type() const override;

    T value;
};

namespace VariableList {
// Created on first use: static variables in other files may register
// before this file's globals are initialised. The sentinel has no name and
// is never returned by find.
BaseVariable& head();
// The first variable in list order named `name` ignoring ASCII case, or null.
BaseVariable* find(const char* name);
// The same for a name of `length` characters that need no zero after them.
BaseVariable* find(const char* name, std::size_t length);
// set_from_string on the named variable, ignoring its result; false only
// when no variable has that name.
bool set_by_name(const char* name, const char* text);
// reset_to_default on the named variable; false when there is none.
bool reset_by_name(const char* name);
// Whether running `line` may set a secret variable, so that the line must
// be kept out of every history and never be echoed. Conservative: true
// when a word of the line, letter case ignored, names a secret, however
// it is quoted or nested (a string given to eval, an argument of a remote
// command), and when the current value of a "$name" in it does. Values are
// looked into one level deep, not through a "$name" inside a value.
bool may_set_secret(const char* line);
}

}  // namespace varnholt
