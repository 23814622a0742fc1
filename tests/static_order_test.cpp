// This file is linked ahead of every engine unit, so its objects register
// before the console's own file has been initialised.
#include <gtest/gtest.h>

#include <string>

#include "varnholt/console/function.h"

using namespace varnholt;

namespace {
void nothing(ArgList&)
{
}

Command early("early_command", nothing);
Command clash("EARLY_COMMAND", nothing);

std::string history()
{
    std::string text;
    for (std::int64_t i = 0; i < console.stream_buffer().history_count(); ++i)
        text += console.history_at(i);
    return text;
}
}

TEST(StaticOrder, EarlyRegistrationsReachTheConsoleAndTheListHead)
{
    const std::string start = "Console initialized\nName collision: EARLY_COMMAND already exists\n";
    EXPECT_EQ(history().substr(0, start.size()), start);
    EXPECT_EQ(FunctionList::head().next(), &early);
    EXPECT_STREQ(early.next()->name(), "vid_width");
}
