#include <gtest/gtest.h>

#include <string>

#include "varnholt/console/arg_list.h"
#include "varnholt/console/console.h"
#include "varnholt/console/function.h"
#include "console_capture.h"
#include "data_directory.h"
#include "varnholt/engine/engine.h"
#include "varnholt/variables/variable.h"

using namespace varnholt;

namespace {
std::string last_args;
void record_args(ArgList& args)
{
    last_args.clear();
    for (int i = 0; i < args.argc; ++i)
        last_args += std::string(i ? "|" : "") + args.arg(i);
}

Command record("con_record", record_args, "For a test");
Variable<std::string> script_variable("con_script_var", "", false, "For a test");
Variable<std::string> nesting_variable("con_nest", "", false, "For a test");

// Scripts for exec come from a temporary data directory.
class ConsoleScripts : public DataDirectoryTest {
protected:
    ConsoleCapture capture;
};
}

TEST(Console, ExecuteDispatchesIgnoringCaseAndPassesWordsAsTyped)
{
    ConsoleCapture capture;
    EXPECT_TRUE(console.execute("CON_RECORD One \"t w o\"", false));
    EXPECT_EQ(last_args, "CON_RECORD|One|t w o");
    EXPECT_TRUE(console.execute("ECHO hello", false));
    EXPECT_EQ(capture.take(), "hello \n");
}

TEST(Console, ReportsUnknownCommandsAndIgnoresEmptyLines)
{
    ConsoleCapture capture;
    EXPECT_FALSE(console.execute("nosuch 1 2", false));
    EXPECT_EQ(capture.take(), "Command \"nosuch\" not found\n");
    EXPECT_FALSE(console.execute("", false));
    EXPECT_FALSE(console.execute(nullptr, false));
    EXPECT_FALSE(console.execute("   // comment", false));
    EXPECT_EQ(capture.take(), "");
}

TEST(Console, EchoShowsTheLineAsGivenBeforeRunningIt)
{
    ConsoleCapture capture;
    console.execute("echo   a", true);
    console.execute("  ", true);
    EXPECT_EQ(capture.take(), "] echo   a\na \n]   \n");
}

TEST(Console, EvalRunsItsSingleArgumentWithEcho)
{
    ConsoleCapture capture;
    console.execute("eval \"echo a b\"", false);
    EXPECT_EQ(capture.take(), "] echo a b\na b \n");
    console.execute("Eval", false);
    console.execute("eval a b", false);
    EXPECT_EQ(capture.take(), "Usage: Eval string\nUsage: eval string\n");
    // Unless the line may set the key: the echo would show it.
    console.execute("eval \"set rcon_key 00ff\"", false);
    EXPECT_EQ(capture.take(), "");
}

TEST(Console, EchoWithoutArgumentsWritesAnEmptyLine)
{
    ConsoleCapture capture;
    console.execute("echo", false);
    EXPECT_EQ(capture.take(), "\n");
}

TEST(Console, ExecuteTextSplitsAtLineEndsAndSemicolonsEvenInQuotes)
{
    ConsoleCapture capture;
    console.execute_text("echo a;echo b\r\n\necho \"c;d\"");
    EXPECT_EQ(capture.take(), "a \nb \n\nCommand \"d\" not found\n");
    console.execute_text(nullptr);
    console.execute_text("");
    EXPECT_EQ(capture.take(), "");
}

TEST(Console, CommandLineGroupsRunFromPlusWordsToTheNextPlusOrMinus)
{
    const char* words[] = {"prog", "+echo", "hi", "there", "+con_record", "x", "-flag", "y", "+echo", "z"};
    ArgList process(10, words);
    common_init(&process);
    ConsoleCapture capture;
    last_args.clear();
    console.execute_command_line();
    EXPECT_EQ(capture.take(), "Executing commands from command line...\nhi there \nz \n");
    EXPECT_EQ(last_args, "con_record|x");

    const char* plain[] = {"prog", "echo", "hi"};
    ArgList none(3, plain);
    common_init(&none);
    console.execute_command_line();
    EXPECT_EQ(capture.take(), "Executing commands from command line...\n");
}

TEST(Console, ClearEmptiesTheHistory)
{
    ConsoleCapture capture;
    console.execute("clear", false);
    EXPECT_EQ(console.stream_buffer().history_count(), 0);
    console << "x";
    EXPECT_EQ(console.history_at(0), 'x');
}

TEST(Console, NestingBeyondTheLimitIsRefusedWithOneLine)
{
    ConsoleCapture capture;
    // The variable's value evaluates the variable again, without end.
    nesting_variable.set_value("eval $con_nest");
    console.execute("eval $con_nest", false);
    const std::string output = capture.take();
    EXPECT_NE(output.find("Commands nested more than 64 deep, \"eval\" not executed\n"), std::string::npos);
    EXPECT_TRUE(console.execute("echo after", false));
    EXPECT_EQ(capture.take(), "after \n");
}

TEST_F(ConsoleScripts, ExecRunsEveryLineOfAScript)
{
    dir.write("script.cfg", "// comment\n\n   \necho one\nnosuch\r\necho a;echo b\necho last");
    console.execute("exec script.cfg extra", false);
    EXPECT_EQ(capture.take(), "one \nCommand \"nosuch\" not found\na;echo b \nlast \n");
}

TEST_F(ConsoleScripts, LaterLinesSeeValuesSetByEarlierOnes)
{
    dir.write("vars.cfg", "set con_script_var first\nset con_script_var second\necho $con_script_var\n");
    console.execute("exec vars.cfg", false);
    EXPECT_EQ(capture.take(), "second \n");
}

TEST_F(ConsoleScripts, ExecReportsAMissingFileAndUsage)
{
    console.execute("exec missing.cfg", false);
    console.execute("EXEC", false);
    EXPECT_EQ(capture.take(), "Error executing \"missing.cfg\"\nUsage: EXEC script\n");
}

TEST_F(ConsoleScripts, OverlongScriptLinesRunCutAndTheirRestIsDropped)
{
    const std::string exact(1023 - 5, 'e');
    dir.write("long.cfg", "echo " + exact + "\necho " + std::string(5000, 'l') + "\necho next");
    console.execute("exec long.cfg", false);
    EXPECT_EQ(capture.take(), exact + " \n" + std::string(1018, 'l') + " \nnext \n");
}

TEST_F(ConsoleScripts, NestedScriptsRunToTheirEndBeforeTheOuterGoesOn)
{
    dir.write("outer.cfg", "echo 1\nexec inner.cfg\necho 3\n");
    dir.write("inner.cfg", "echo 2\n");
    console.execute("exec outer.cfg", false);
    EXPECT_EQ(capture.take(), "1 \n2 \n3 \n");
}
