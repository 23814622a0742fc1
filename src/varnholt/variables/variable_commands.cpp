#include "varnholt/variables/variable_commands.h"

#include <cstring>
#include <sstream>

#include "varnholt/base/name_pattern.h"
#include "varnholt/console/console.h"
#include "varnholt/console/registration_unit.h"

namespace varnholt {

// Its objects stand in the listings where the core's list puts this unit.
RegistrationUnit variable_commands_unit("variable_commands");

namespace {
// A variable made by `set`. Its class tells `del` that it may destroy it;
// the VariableList keeps the order of creation.
class CreatedVariable final : public Variable<std::string> {
public:
    using Variable<std::string>::Variable;
};

void ls_vars_command(ArgList& args)
{
    const char* pattern = listing_pattern(args);
    if (!pattern)
        return;
    int count = 0;
    for (BaseVariable* v = VariableList::head().next_variable(); v; v = v->next_variable()) {
        if (v->name() && matches_pattern(pattern, v->name())) {
            console << v->name() << std::endl;
            ++count;
        }
    }
    console << count << " total variables" << std::endl;
}

void not_found(const char* name)
{
    console << name << " was not found" << std::endl;
}

void show(BaseVariable& variable, const char* typed_name)
{
    // The name is tokenized again, so "$name" substitution applies.
    ArgList show_line(typed_name);
    variable.exec(show_line);
}

void create(const char* name, const char* value)
{
    const bool persistent = !console.is_startup_complete();
    // Owned by this unit until `del`; the VariableList reaches it.
    new CreatedVariable(name, value, persistent, "Created by set");
    if (console.is_startup_complete())
        console << name << " was created with the value of " << value << std::endl;
}

void set_command(ArgList& args)
{
    if (args.argc == 2) {
        if (BaseVariable* variable = VariableList::find(args.arg(1)))
            show(*variable, args.arg(1));
        else
            not_found(args.arg(1));
    } else if (args.argc == 3) {
        if (!VariableList::set_by_name(args.arg(1), args.arg(2)))
            create(args.arg(1), args.arg(2));
    } else {
        show_usage(args);
    }
}

void del_command(ArgList& args)
{
    if (args.argc != 2) {
        show_usage(args);
        return;
    }
    const char* name = args.arg(1);
    // `set` creates only names no variable has, so a created variable is
    // the first of its name: the one find() returns.
    BaseVariable* variable = VariableList::find(name);
    if (auto* created = dynamic_cast<CreatedVariable*>(variable)) {
        delete created;
        console << name << " has been deleted" << std::endl;
    } else if (variable) {
        console << "Unable to delete \"" << name << '"' << std::endl;
    } else {
        not_found(name);
    }
}

void reset_command(ArgList& args)
{
    if (args.argc != 2) {
        show_usage(args);
        return;
    }
    if (VariableList::reset_by_name(args.arg(1)))
        console << args.arg(1) << " reset to default value" << std::endl;
    else
        not_found(args.arg(1));
}

void reset_all_command(ArgList&)
{
    console << "Reseting all variables to default values..." << std::endl;
    for (BaseVariable* v = &VariableList::head(); v; v = v->next_variable())
        v->reset_to_default();
}

// A bool flips; otherwise the value after the one equal to the current
// value as print_unhidden writes it, or the first, is set as typed.
void toggle_command(ArgList& args)
{
    if (args.argc < 2) {
        show_usage(args);
        return;
    }
    const char* name = args.arg(1);
    BaseVariable* variable = VariableList::find(name);
    if (!variable) {
        not_found(name);
        return;
    }
    const BaseVariable::Access access = variable->access();
    if (access == BaseVariable::Access::read_only
        || (access == BaseVariable::Access::constant && console.is_startup_complete())) {
        console << name << " is readonly" << std::endl;
        return;
    }
    std::ostringstream shown;
    variable->print_unhidden(shown);
    const std::string current = shown.str();
    const char* next = args.arg(2);
    if (args.argc == 2) {
        if (std::strcmp(variable->value_type(), "bool") != 0) {
            console << name << " is not a bool: name the values to cycle through" << std::endl;
            return;
        }
        next = current == "0" ? "1" : "0";
    }
    for (int i = 2; i + 1 < args.argc; ++i) {
        if (current == args.arg(i)) {
            next = args.arg(i + 1);
            break;
        }
    }
    if (variable->set_from_string(next))
        show(*variable, name);
}

Command ls_vars("ls_vars", ls_vars_command, "Lists the variables, or those whose names match a pattern of * and ?",
                "[pattern]");
Command set("set", set_command, "Shows a variable, sets it, or creates a string variable", "variable [value]");
Command del("del", del_command, "Deletes a variable that set created", "variable");
Command reset("reset", reset_command, "Puts a variable back to its default", "variable");
Command reset_all("reset_all", reset_all_command, "Puts every variable back to its default");
Command toggle("toggle", toggle_command, "Flips a bool variable, or sets a variable to the next of the values given",
               "variable [value ...]");
const RegistrationUnit::End variable_commands_unit_end(variable_commands_unit);
}

std::vector<Variable<std::string>*> created_variables()
{
    std::vector<Variable<std::string>*> created;
    for (BaseVariable* v = VariableList::head().next_variable(); v; v = v->next_variable()) {
        if (auto* one = dynamic_cast<CreatedVariable*>(v))
            created.push_back(one);
    }
    return created;
}

}  // namespace varnholt
