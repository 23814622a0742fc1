#include "varnholt/console/function.h"

#include "varnholt/base/copy_string.h"
#include "varnholt/console/console.h"
#include "varnholt/console/registration_unit.h"

namespace varnholt {

namespace {
// The list with its head and the index of the linked objects by name,
// created together on first use and never destroyed: static objects unlink
// themselves from it as the process ends.
struct Registry {
    Function::List list {nullptr, "null"};
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

Function::Function(const char* name, const char* type_name) : type_name_(copy_string(type_name))
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
}

void Function::exec(ArgList&)
{
}

Command::Command(const char* name, CommandCallback callback) : Function(name, "Command"), callback(callback)
{
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

RegistrationUnit function_unit("function");

namespace {
void ls_cmds_command(ArgList&)
{
    int count = 0;
    for (Function* f = FunctionList::head().next(); f; f = f->next()) {
        if (f->name() && f->type_name() && same_name(f->type_name(), "Command")) {
            console << f->name() << std::endl;
            ++count;
        }
    }
    console << count << " total commands" << std::endl;
}

Command ls_cmds("ls_cmds", ls_cmds_command);
const RegistrationUnit::End function_unit_end(function_unit);
}

}  // namespace varnholt
