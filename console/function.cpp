#include "console/function.h"

#include <cstring>
#include <strings.h>

#include "console/console.h"
#include "engine/copy_string.h"

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
}

Function::~Function()
{
    // The head and unnamed objects never touch the list: the head may be
    // the very object being torn down.
    if (name_) {
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
    static Function list_head(nullptr, "null");
    return list_head;
}

Function* FunctionList::find(const char* name)
{
    if (!name)
        return nullptr;
    for (Function* f = head().next(); f; f = f->next()) {
        if (f->name() && strcasecmp(f->name(), name) == 0)
            return f;
    }
    return nullptr;
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
