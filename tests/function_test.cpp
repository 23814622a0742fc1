#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "varnholt/console/function.h"
#include "console_capture.h"

using namespace varnholt;

namespace {
int runs = 0;
void count_run(ArgList&)
{
    ++runs;
}

// Names in the list order, from `first` on, of the objects named in `names`.
std::string order_of(std::initializer_list<const char*> names)
{
    std::string order;
    for (Function* f = FunctionList::head().next(); f; f = f->next()) {
        for (const char* name : names) {
            if (f->name() == std::string(name))
                order += order.empty() ? name : std::string(" ") + name;
        }
    }
    return order;
}
}

TEST(FunctionList, FindsNamesIgnoringCaseAndNeverTheHead)
{
    Command alpha("fn_alpha", count_run, "For a test");
    EXPECT_EQ(FunctionList::find("FN_Alpha"), &alpha);
    EXPECT_EQ(FunctionList::find("fn_missing"), nullptr);
    EXPECT_EQ(FunctionList::find(nullptr), nullptr);
    EXPECT_EQ(FunctionList::find("null"), nullptr);
    EXPECT_STREQ(FunctionList::head().type_name(), "null");
    EXPECT_EQ(FunctionList::head().name(), nullptr);
}

TEST(FunctionList, RefusesADuplicateNameOrAMissingDescriptionAndKeepsTheFirst)
{
    ConsoleCapture capture;
    Command first("fn_dup", count_run, "For a test");
    Command second("FN_DUP", count_run, "For a test");
    Command blank("fn_blank", count_run, "");
    EXPECT_EQ(capture.take(), "Name collision: FN_DUP already exists\nMissing description: fn_blank not registered\n");
    EXPECT_EQ(FunctionList::find("fn_blank"), nullptr);
    EXPECT_EQ(FunctionList::find("Fn_Dup"), &first);
    EXPECT_EQ(second.next(), nullptr);
    EXPECT_EQ(order_of({"fn_dup", "FN_DUP"}), "fn_dup");
}

TEST(FunctionList, DestroyedObjectsUnlinkFromAnyPosition)
{
    auto a = std::make_unique<Command>("fn_a", count_run, "For a test");
    auto b = std::make_unique<Command>("fn_b", count_run, "For a test");
    auto c = std::make_unique<Command>("fn_c", count_run, "For a test");
    b.reset();
    EXPECT_EQ(order_of({"fn_a", "fn_b", "fn_c"}), "fn_a fn_c");
    c.reset();
    EXPECT_EQ(a->next(), nullptr);
    {
        ConsoleCapture quiet;
        Command unlinked("fn_a", count_run, "For a test");
    }
    EXPECT_EQ(FunctionList::find("fn_a"), a.get());
}

TEST(FunctionList, ExecuteRunsTheNamedObjectWithTheWholeList)
{
    Command counted("fn_counted", count_run, "For a test");
    Command silent("fn_silent", nullptr, "For a test");
    runs = 0;
    ArgList line("FN_COUNTED 1 2");
    EXPECT_TRUE(FunctionList::execute(line));
    EXPECT_EQ(runs, 1);
    ArgList nothing("fn_silent");
    EXPECT_TRUE(FunctionList::execute(nothing));
    ArgList missing("fn_nowhere");
    EXPECT_FALSE(FunctionList::execute(missing));
    ArgList empty("");
    EXPECT_FALSE(FunctionList::execute(empty));
}

TEST(FunctionList, LsCmdsListsCommandsOnlyInRegistrationOrder)
{
    ConsoleCapture capture;
    ArgList line("ls_cmds");
    FunctionList::execute(line);
    const std::string listing = capture.take();
    int commands = 0;
    std::string last;
    for (Function* f = FunctionList::head().next(); f; f = f->next()) {
        if (f->type_name() == std::string("Command")) {
            ++commands;
            last = f->name();
        }
    }
    const std::string tail = last + "\n" + std::to_string(commands) + " total commands\n";
    ASSERT_GE(listing.size(), tail.size());
    EXPECT_EQ(listing.substr(listing.size() - tail.size()), tail);
    EXPECT_EQ(listing.find("vid_width"), std::string::npos);
    EXPECT_LT(listing.find("echo\n"), listing.find("eval\n"));
}
