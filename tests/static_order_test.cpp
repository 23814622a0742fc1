// A game's static objects, declared out of order and linked with the core as
// a static archive: none registers before the console exists, and they
// follow the core's, by name.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "varnholt/console/console.h"
#include "varnholt/console/function.h"
#include "varnholt/console/registration.h"
#include "varnholt/variables/variable.h"

using namespace varnholt;

namespace {
void nothing(ArgList&)
{
}

Command zebra("sot_zebra", nothing, "For a test");
Command early("sot_early", nothing, "For a test");
Variable<int> middle("sot_Middle", 0, saved, "For a test");
Command clash("SOT_EARLY", nothing, "For a test");

bool registered_before_console = true;

std::vector<std::string> names_after(const char* last_core_name)
{
    std::vector<std::string> names;
    for (Function* f = FunctionList::find(last_core_name)->next(); f; f = f->next())
        names.push_back(f->name());
    return names;
}
}

TEST(StaticOrder, GameObjectsRegisterAfterTheCoresByName)
{
    EXPECT_FALSE(registered_before_console);
    std::string history;
    for (std::int64_t i = 0; i < console.stream_buffer().history_count(); ++i)
        history += console.history_at(i);
    EXPECT_EQ(history, "Console initialized\nName collision: sot_early already exists\n");
    EXPECT_EQ(names_after("ls_cmds"), (std::vector<std::string> {"SOT_EARLY", "sot_Middle", "sot_zebra"}));
    EXPECT_EQ(VariableList::find("eng_tickrate")->next_variable(), &middle);
}

int main(int argc, char** argv)
{
    registered_before_console = FunctionList::find("ls_cmds") || FunctionList::find("sot_zebra");
    init_console();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
