#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "varnholt/base/command_line.h"
#include "varnholt/console/arg_list.h"
#include "varnholt/console/console.h"
#include "console_capture.h"
#include "data_directory.h"
#include "varnholt/engine/startup_commands.h"
#include "varnholt/variables/variable.h"

using namespace varnholt;

namespace {
template <typename V>
std::string printed(V& variable)
{
    std::ostringstream out;
    variable.print(out);
    return out.str();
}

template <typename V>
std::string saved_line(V& variable)
{
    std::ostringstream out;
    variable.save(out);
    return out.str();
}

// Runs `line` as a console command and returns what it printed.
std::string run(const char* line)
{
    ConsoleCapture capture;
    console.execute(line, false);
    return capture.take();
}
}

TEST(VariableList, LinesThatMaySetTheKeyAreFoundHoweverQuotedOrNested)
{
    Variable<std::string> alias("var_names_key", "RCON_KEY", not_saved, "For a test");
    const struct {
        const char* line;
        bool may_set;
    } cases[] = {
        {"rcon_key 00ff", true},
        {"SET Rcon_Key 00ff", true},
        {"eval \"eval \\\"rcon_key 00ff\\\"\"", true},
        {"rcon 10.0.0.1 27960 set rcon_key 00ff", true},
        {"$var_names_key 00ff", true},  // the value names the key
        {"echo $rcon_key", true},  // conservative: any mention
        {"rcon_keygen", false},
        {"echo my_rcon_key rcon_keys", false},
    };
    for (const auto& one : cases)
        EXPECT_EQ(VariableList::may_set_secret(one.line), one.may_set) << one.line;
}

TEST(Variable, ShowsValueAndDefaultUnderTheNameAsTyped)
{
    Variable<int> width("var_width", 640, true, "For a test");
    EXPECT_EQ(run("var_width"), "var_width: 640    default: 640\n");
    EXPECT_EQ(run("Var_Width 800 ignored"), "");
    EXPECT_EQ(run("VAR_WIDTH"), "VAR_WIDTH: 800    default: 640\n");
    width.reset_to_default();
    EXPECT_EQ(width.value, 640);
}

TEST(Variable, IntegersParseLikeStreamExtraction)
{
    Variable<int> number("var_number", 1, false, "For a test");
    const std::pair<const char*, int> cases[] = {
        {" -42", -42}, {"7.9", 7}, {"+5", 5}, {"12abc", 12}, {"0x10", 0}, {"abc", 0}, {"", 0},
        {"99999999999", 2147483647}, {"-99999999999", -2147483647 - 1},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_TRUE(number.set_from_string(text)) << text;
        EXPECT_EQ(number.value, expected) << text;
    }
    EXPECT_FALSE(number.set_from_string(nullptr));
}

TEST(Variable, BoolsAreNumbersPrintedAsOneOrZero)
{
    Variable<bool> flag("var_flag", false, true, "For a test");
    flag.set_from_string("2");
    EXPECT_TRUE(flag.value);
    EXPECT_EQ(printed(flag), "1");
    EXPECT_EQ(saved_line(flag), "set var_flag \"1\"\n");
    flag.set_from_string("true");
    EXPECT_FALSE(flag.value);
    flag.set_from_string("-1");
    EXPECT_TRUE(flag.value);
}

TEST(Variable, StringsTakeTheFirstWordAndSaveUnescaped)
{
    Variable<std::string> text("var_text", "start", true, "For a test");
    text.set_from_string("  a b");
    EXPECT_EQ(text.value, "a");
    text.set_from_string("");
    EXPECT_EQ(text.value, "");
    text.set_value("say \"hi\"");
    EXPECT_EQ(saved_line(text), "set var_text \"say \"hi\"\"\n");
}

using RangedVariable = DataDirectoryTest;

TEST_F(RangedVariable, EveryWayOfSettingKeepsToTheRangeAndCallsBackOnChange)
{
    static int changes = 0;
    const auto count_change = [](BaseVariable&) { ++changes; };
    Variable<int> refusing("var_refusing", 5, not_saved, "For a test", Range {1, 10}, count_change);
    Variable<int> clamping("var_clamping", 5, not_saved, "For a test", Range {1, 10, clamped}, count_change);
    const struct {
        Variable<int>& variable;
        std::string text, message;
        int value, changes;
    } cases[] = {
        {refusing, "7", "", 7, 1},
        {refusing, "11", "var_refusing must be between 1 and 10, not 11\n", 5, 0},
        {clamping, "12", "var_clamping must be between 1 and 10, 10 stored instead of 12\n", 10, 1},
        {clamping, "5", "", 5, 0},  // equal: no call
    };
    const char* const ways[] = {"typed", "set", "script", "command line", "replayed file"};
    for (int way = 0; way < 5; ++way) {
        for (const auto& one : cases) {
            const std::string name = one.variable.name(), typed = name + ' ' + one.text;
            const std::string lines[] = {typed, "set " + typed, "exec script.cfg", "", "exec default.cfg"};
            dir.write("script.cfg", typed + '\n');
            dir.write("default.cfg", "set " + name + " \"" + one.text + "\"\n");
            one.variable.value = 5;
            changes = 0;
            ConsoleCapture capture;
            if (lines[way].empty()) {
                const char* words[] = {"varnholt", "+set", name.c_str(), one.text.c_str()};
                StartupCommands(ArgList(4, words)).run_sets();
            }
            console.execute(lines[way].c_str(), not_echoed);  // nothing for ""
            const std::string heading = lines[way].empty() ? std::string(command_line_heading) + '\n' : "";
            EXPECT_EQ(capture.take(), heading + one.message) << ways[way] << ": " << typed;
            EXPECT_EQ(one.variable.value, one.value) << ways[way] << ": " << typed;
            EXPECT_EQ(changes, one.changes) << ways[way] << ": " << typed;
        }
    }
}

TEST(ReadOnlyVariable, RefusesTextAndSavesNothing)
{
    ReadOnlyVariable<std::string> vendor("var_vendor", "acme", true, "For a test");
    EXPECT_EQ(run("var_vendor x"), "var_vendor is readonly\n");
    EXPECT_EQ(run("var_vendor"), "var_vendor: acme\n");
    EXPECT_FALSE(vendor.set_from_string("x"));
    vendor.reset_to_default();
    EXPECT_EQ(vendor.value, "acme");
    EXPECT_EQ(saved_line(vendor), "");
    EXPECT_STREQ(vendor.type_name(), "ReadOnlyVariable");
}

TEST(ReadOnlyVariable, TimerPrintsSecondsInTheDefaultFormat)
{
    ReadOnlyVariable<Timer> timer("var_timer", Timer(false), false, "For a test");
    const double total = timer.value.elapsed();
    EXPECT_LT(total, 0.001);
    // A stopped timer reads the same every time.
    EXPECT_EQ(printed(timer), printed(timer));
    std::ostringstream expected;
    expected << total;
    EXPECT_EQ(printed(timer), expected.str());
}

TEST(ConstVariable, AcceptsTextUntilStartupIsCompleteThenRefuses)
{
    ConstVariable<std::string> name("var_const", "Varnholt", false, "For a test");
    EXPECT_STREQ(name.type_name(), "Variable");
    EXPECT_EQ(run("var_const Foo"), "");
    EXPECT_EQ(name.value, "Foo");
    console.set_startup_complete();
    const std::string before = name.value;
    EXPECT_EQ(run("var_const Bar"), "var_const is readonly\n");
    EXPECT_FALSE(name.set_from_string("Bar"));
    name.reset_to_default();
    EXPECT_EQ(name.value, before);
    // Code that holds the object can still change it.
    EXPECT_TRUE(name.set_value("Baz"));
    EXPECT_EQ(run("var_const"), "var_const: Baz    default: Varnholt\n");
}

TEST(VariableList, FindsVariablesByNameAndUnlinksThemWhenDestroyed)
{
    auto first = std::make_unique<Variable<int>>("var_first", 1, false, "For a test");
    auto last = std::make_unique<Variable<int>>("var_last", 2, false, "For a test");
    EXPECT_EQ(VariableList::find("VAR_FIRST"), first.get());
    EXPECT_EQ(VariableList::find(""), nullptr);
    EXPECT_EQ(VariableList::find(nullptr), nullptr);
    EXPECT_TRUE(VariableList::set_by_name("var_last", "7"));
    EXPECT_EQ(last->value, 7);
    EXPECT_TRUE(VariableList::reset_by_name("var_last"));
    EXPECT_EQ(last->value, 2);
    EXPECT_FALSE(VariableList::set_by_name("var_nowhere", "1"));
    EXPECT_FALSE(VariableList::reset_by_name("var_nowhere"));

    last.reset();
    EXPECT_EQ(first->next_variable(), nullptr);
    EXPECT_EQ(VariableList::find("var_last"), nullptr);
    Variable<int> unnamed(nullptr, 0, false, "For a test");
    EXPECT_EQ(first->next_variable(), nullptr);
}

TEST(VariableList, VariableShadowedByACommandStaysReachableThroughTheList)
{
    ConsoleCapture capture;
    Variable<int> shadow("echo", 5, true, "For a test");
    EXPECT_EQ(capture.take(), "Name collision: echo already exists\n");
    EXPECT_EQ(VariableList::find("echo"), &shadow);
    console.execute("echo hi", false);
    EXPECT_EQ(capture.take(), "hi \n");
}

TEST(VariableList, LineNamingAVariableRunsIt)
{
    Variable<int> shown("var_shown", 3, false, "For a test");
    ArgList line("var_shown");
    ConsoleCapture capture;
    EXPECT_TRUE(FunctionList::execute(line));
    EXPECT_EQ(capture.take(), "var_shown: 3    default: 3\n");
}

TEST(VariableList, NameFindsTheFirstOfSameNamedVariablesInListOrder)
{
    ConsoleCapture quiet;
    auto first = std::make_unique<Variable<int>>("var_twin", 1, false, "For a test");
    Variable<int> second("VAR_TWIN", 2, false, "For a test");
    Variable<int> third("Var_Twin", 3, false, "For a test");
    EXPECT_EQ(VariableList::find("var_twin"), first.get());
    first.reset();
    EXPECT_EQ(VariableList::find("var_twin"), &second);
}

// Values parse exactly as one formatted stream extraction would.
TEST(Variable, ParsingAgreesWithStreamExtraction)
{
    Variable<int> number("var_parse_int", 0, false, "For a test");
    Variable<std::string> word("var_parse_string", "", false, "For a test");
    const char alphabet[] = " \t\n+-0123456789ax\x80";
    unsigned seed = 12345;
    std::vector<std::string> texts = {"2147483647", "2147483648", "-2147483648", "-2147483649",
                                      "99999999999999999999999", "-0", "+", "- 5", "\v\f\r7"};
    for (int i = 0; i < 20000; ++i) {
        std::string text;
        for (int length = static_cast<int>(seed % 13); length > 0; --length) {
            seed = seed * 1103515245 + 12345;
            text += alphabet[(seed >> 16) % (sizeof alphabet - 1)];
        }
        seed = seed * 1103515245 + 12345;
        texts.push_back(text);
    }
    for (const std::string& text : texts) {
        int expected_number = 0;
        std::istringstream(text) >> expected_number;
        number.set_from_string(text.c_str());
        ASSERT_EQ(number.value, expected_number) << '"' << text << '"';

        std::string expected_word;
        std::istringstream(text) >> expected_word;
        word.set_from_string(text.c_str());
        ASSERT_EQ(word.value, expected_word) << '"' << text << '"';
    }
}

TEST(VariableList, IndexKeepsListOrderWhileItGrows)
{
    ConsoleCapture quiet;
    auto first = std::make_unique<Variable<int>>("var_grow", 1, false, "For a test");
    // More names than the index has buckets, unless another test already
    // registered a thousand at once: the index doubles at least once.
    std::vector<std::unique_ptr<Variable<int>>> many;
    for (int i = 0; i < 1000; ++i)
        many.push_back(
            std::make_unique<Variable<int>>(("var_grow_" + std::to_string(i)).c_str(), i, false, "For a test"));
    Variable<int> second("VAR_GROW", 2, false, "For a test");
    for (const auto& one : many)
        ASSERT_EQ(VariableList::find(one->name()), one.get());
    EXPECT_EQ(VariableList::find("var_grow"), first.get());
    first.reset();
    EXPECT_EQ(VariableList::find("var_grow"), &second);
    many.clear();
    EXPECT_EQ(VariableList::find("var_grow_0"), nullptr);
}

TEST(VariableList, NamesGivenByLengthNeedNoZero)
{
    Variable<int> variable("var_len", 1, false, "For a test");
    Command command("fn_len", nullptr, "For a test");
    const struct {
        const char* text;
        std::size_t length;
        bool found;
    } cases[] = {
        {"var_lenXYZ", 7, true}, {"VAR_LEN", 7, true}, {"var_le", 6, false},
        {"var_len\0", 8, false}, {"var_lenX", 8, false},
    };
    for (const auto& one : cases) {
        EXPECT_EQ(VariableList::find(one.text, one.length), one.found ? &variable : nullptr) << one.text;
        std::string name = one.text;
        name.replace(0, 3, "fn");
        EXPECT_EQ(FunctionList::find(name.c_str(), one.length - 1), one.found ? &command : nullptr) << name;
    }
    EXPECT_EQ(VariableList::find(nullptr, 3), nullptr);
}

TEST(Variable, NumbersPrintAsTheStreamWouldFormatThem)
{
    Variable<int> number("var_test_printed", 0, not_saved, "For a test");
    const std::vector<void (*)(std::ostream&)> formats = {
        [](std::ostream&) {},
        [](std::ostream& os) { os << std::hex; },
        [](std::ostream& os) { os << std::showpos; },
        [](std::ostream& os) { os.width(8); },
    };
    for (const int value : {0, 7, -42, 2147483647, -2147483647 - 1}) {
        number.value = value;
        for (const auto& format : formats) {
            std::ostringstream expected;
            format(expected);
            expected << value;
            std::ostringstream out;
            format(out);
            number.print(out);
            EXPECT_EQ(out.str(), expected.str()) << value;
        }
    }
}
