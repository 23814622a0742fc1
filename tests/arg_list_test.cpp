#include <gtest/gtest.h>

#include <string>

#include "varnholt/console/arg_list.h"
#include "varnholt/variables/variable.h"

using namespace varnholt;

namespace {
Variable<std::string> spaced("arg_test_spaced", "a b", false, "For a test");
Variable<std::string> long_value("arg_test_long", std::string(300, 'v'), false, "For a test");
Variable<std::string> two_lines("arg_test_lines", "first\nsecond", false, "For a test");
Variable<std::string> dollar("arg_test_dollar", "$arg_test_spaced", false, "For a test");
Variable<int> number("arg_test_number", 42, false, "For a test");
}

TEST(ArgList, SplitsTextAndKeepsTheLineAsGiven)
{
    ArgList args("echo   hello  world");
    ASSERT_EQ(args.argc, 3);
    EXPECT_STREQ(args.arg(0), "echo");
    EXPECT_STREQ(args.arg(1), "hello");
    EXPECT_STREQ(args.arg(2), "world");
    EXPECT_STREQ(args.text, "echo   hello  world");
    EXPECT_EQ(args.arg(-1), nullptr);
    EXPECT_EQ(args.arg(3), nullptr);
}

TEST(ArgList, BlankOrCommentTextGivesAnEmptyList)
{
    for (const char* text : {"", "   ", "// comment", "/* block */"}) {
        ArgList args(text);
        EXPECT_EQ(args.argc, 0) << text;
        EXPECT_NE(args.argv, nullptr) << text;
        EXPECT_EQ(args.arg(0), nullptr) << text;
    }
    ArgList null_text(static_cast<const char*>(nullptr));
    EXPECT_EQ(null_text.argc, 0);
    EXPECT_EQ(null_text.text, nullptr);
}

TEST(ArgList, SubstitutesVariableValuesAsSingleWords)
{
    ArgList args("echo $ARG_TEST_SPACED x $arg_test_number");
    ASSERT_EQ(args.argc, 4);
    EXPECT_STREQ(args.arg(1), "a b");
    EXPECT_STREQ(args.arg(2), "x");
    EXPECT_STREQ(args.arg(3), "42");
    // Quoted tokens and the command name are substituted too.
    ArgList quoted("$arg_test_number \"$arg_test_spaced\"");
    ASSERT_EQ(quoted.argc, 2);
    EXPECT_STREQ(quoted.arg(0), "42");
    EXPECT_STREQ(quoted.arg(1), "a b");
}

TEST(ArgList, DropsTokensNamingNoVariable)
{
    ArgList args("echo $no_such_variable x $");
    ASSERT_EQ(args.argc, 2);
    EXPECT_STREQ(args.arg(0), "echo");
    EXPECT_STREQ(args.arg(1), "x");
}

TEST(ArgList, SubstitutedValueIsCutToItsFirstLineAnd255Characters)
{
    ArgList args("x $arg_test_long $arg_test_lines $arg_test_dollar");
    ASSERT_EQ(args.argc, 4);
    EXPECT_EQ(std::string(args.arg(1)), std::string(255, 'v'));
    EXPECT_STREQ(args.arg(2), "first");
    // A value is not substituted a second time.
    EXPECT_STREQ(args.arg(3), "$arg_test_spaced");
}

TEST(ArgList, TokensAfterAnOverlongOneAreLost)
{
    const std::string line = "a " + std::string(1024, 'x') + " b";
    ArgList args(line.c_str());
    ASSERT_EQ(args.argc, 1);
    EXPECT_STREQ(args.arg(0), "a");
}

TEST(ArgList, VectorWordsAreCopiedAsTheyAre)
{
    char first[] = "+set";
    char second[] = "$arg_test_number";
    const char* words[] = {first, second, nullptr};
    ArgList args(3, words);
    first[0] = 'X';
    ASSERT_EQ(args.argc, 3);
    EXPECT_EQ(args.text, nullptr);
    EXPECT_STREQ(args.arg(0), "+set");
    EXPECT_STREQ(args.arg(1), "$arg_test_number");
    EXPECT_EQ(args.arg(2), nullptr);
}

TEST(ArgList, HasArgIgnoresCaseAndIncludesTheCommandName)
{
    ArgList args("echo hello");
    EXPECT_TRUE(args.has_arg("ECHO"));
    EXPECT_TRUE(args.has_arg("Hello"));
    EXPECT_FALSE(args.has_arg("world"));
    ArgList empty("");
    EXPECT_FALSE(empty.has_arg("echo"));
}
