#include <gtest/gtest.h>

#include "console/arg_list.h"

TEST(ArgList, SplitsWords)
{
    ArgList args("echo   hello  world");
    ASSERT_EQ(args.argc, 3);
}
