#include "varnholt/console/function.h"

#include "varnholt/base/copy_string.h"
#include "varnholt/base/name_pattern.h"
#include "varnholt/console/console.h"
#include "varnholt/console/registration_unit.h"

namespace varnholt {

namespace {
// The list with its head and the index of the linked objects by name,
// created together on first use and never destroyed: static objects unlink
// themselves from it as the process ends.
struct Registry {
    Function::List list {nullptr, "null", nullptr};
    Function::Index index;
};

Registry& registry()
{
    static Registry& instance = *new Registry;
    return instance;
}

Function* find_key(const NameKey& key)
{
    return registry().index.find(key);
}
}

Function::Function(const char* name, const char* type_name, const char* description)
    : type_name_(copy_string(type_name)), description_(copy_string(description ? description : ""))
{
    if (!name)
        return;
    name_ = copy_string(name);
    name_hash_ = name_key(name_).hash;
    if (!registration_detail::wait(*this))
        link_function();
}

void Function::link_function()
{
    if (!*description_) {
        console << "Missing description: " << name_ << " not registered" << std::endl;
        return;
    }
    if (find_key(name_key(name_))) {
        console << "Name collision: " << name_ << " already exists" << std::endl;
        return;
    }
    registry().list.append(*this);
    registry().index.insert(*this);
}

void Function::enroll()
{
    link_function();
}

Function::~Function()
{
    // The head, unnamed objects and refused duplicates were never linked
    // (the head may be the very object being torn down with the registry).
    if (List::is_linked(*this)) {
        registry().index.erase(*this);
        registry().list.unlink(*this);
    }
    if (pending_in)
        registration_detail::stop_waiting(*this);
    delete[] name_;
    delete[] type_name_;
    delete[] description_;
}

void Function::exec(ArgList&)
{
}

Command::Command(const char* name, CommandCallback callback, const char* description, const char* usage)
    : Function(name, "Command", description), callback(callback), usage_(copy_string(usage))
{
}

Command::~Command()
{
    delete[] usage_;
}

void Command::exec(ArgList& args)
{
    if (callback)
        callback(args);
}

Function& FunctionList::head()
{
    return registry().list.head();
}

Function* FunctionList::find(const char* name)
{
    return name ? find_key(name_key(name)) : nullptr;
}

Function* FunctionList::find(const char* name, std::size_t length)
{
    return name ? find_key(name_key(name, length)) : nullptr;
}

bool FunctionList::execute(ArgList& args)
{
    Function* found = FunctionList::find(args.arg(0));
    if (!found)
        return false;
    found->exec(args);
    return true;
}

void show_usage(const ArgList& args)
{
    const Function* command = FunctionList::find(args.arg(0));
    const char* usage = command ? command->usage() : nullptr;
    console << "Usage: " << args.arg(0) << ' ' << (usage ? usage : "") << std::endl;
}

const char* listing_pattern(const ArgList& args)
{
    if (args.argc > 2) {
        show_usage(args);
        return nullptr;
    }
    return args.argc == 2 ? args.arg(1) : "*";
}

RegistrationUnit function_unit("function");

namespace {
void ls_cmds_command(ArgList& args)
{
    const char* pattern = listing_pattern(args);
    if (!pattern)
        return;
    int count = 0;
    for (Function* f = FunctionList::head().next(); f; f = f->next()) {
        if (f->name() && f->type_name() && same_name(f->type_name(), "Command")
            && matches_pattern(pattern, f->name())) {
            console << f->name() << std::endl;
            ++count;
        }
    }
    console << count << " total commands" << std::endl;
}

Command ls_cmds("ls_cmds", ls_cmds_command, "Lists the commands, or those whose names match a pattern of * and ?",
                "[pattern]");
const RegistrationUnit::End function_unit_end(function_unit);
}

}  // namespace varnholt
