#include "console/function.h"

#include <strings.h>

#include "console/console.h"
#include "console/name_index.h"
#include "engine/copy_string.h"

namespace {
// The list head and the index of the linked objects by name, created
// together on first use and destroyed together after every member.
struct Registry {
    Function head {nullptr, "null"};
    NameIndex<Function> index;
};

Registry& registry()
{
    static Registry instance;
    return instance;
}
}

Function::Function(const char* name, const char* type_name) : type_name_(copy_string(type_name))
{
    if (!name)
        return;
    name_ = copy_string(name);
    if (FunctionList::find(name)) {
        console << "Name collision: " << name << " already exists" << std::endl;
        return;
    }
    Function* tail = &FunctionList::head();
    while (tail->next_)
        tail = tail->next_;
    tail->next_ = this;
    registry().index.insert(name_, this);
}

Function::~Function()
{
    // Only the object filed under its name is linked: the head, unnamed
    // objects and refused duplicates never touch the list (the head may be
    // the very object being torn down).
    if (name_ && registry().index.find(name_) == this) {
        registry().index.erase(name_);
        for (Function* f = &FunctionList::head(); f; f = f->next_) {
            if (f->next_ == this) {
                f->next_ = next_;
                break;
            }
        }
    }
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
    return registry().head;
}

Function* FunctionList::find(const char* name)
{
    return name ? registry().index.find(name) : nullptr;
}

bool FunctionList::execute(ArgList& args)
{
    Function* found = FunctionList::find(args.arg(0));
    if (!found)
        return false;
    found->exec(args);
    return true;
}

namespace {
void ls_cmds_command(ArgList&)
{
    int count = 0;
    for (Function* f = FunctionList::head().next(); f; f = f->next()) {
        if (f->name() && f->type_name() && strcasecmp(f->type_name(), "Command") == 0) {
            console << f->name() << std::endl;
            ++count;
        }
    }
    console << count << " total commands" << std::endl;
}

Command ls_cmds("ls_cmds", ls_cmds_command);
}
