#include <gtest/gtest.h>

#include <string>

#include "token_list.h"
#include "varnholt/tokenizer/simple_tokenizer.h"

using namespace varnholt;

namespace {
Tokens tokens_of(const char* text)
{
    return tokens_of_text<SimpleTokenizer>(text);
}
}

TEST(SimpleTokenizer, SplitsAtWhiteSpaceAndKeepsQuotedStringsWhole)
{
    EXPECT_EQ(tokens_of("echo \"two words\" x"), (Tokens {"echo", "two words", "x"}));
    EXPECT_EQ(tokens_of(" \t a\r\n\vb\f "), (Tokens {"a", "b"}));
    EXPECT_EQ(tokens_of("word \"\""), (Tokens {"word", ""}));
    EXPECT_EQ(tokens_of("a\"b\""), (Tokens {"a", "b"}));
    EXPECT_EQ(tokens_of("a;b"), (Tokens {"a;b"}));
}

TEST(SimpleTokenizer, BackslashQuoteStaysInsideTheString)
{
    EXPECT_EQ(tokens_of(R"("a\"b" c)"), (Tokens {R"(a\"b)", "c"}));
    EXPECT_EQ(tokens_of(R"("a\" b")"), (Tokens {R"(a\" b)"}));
    // Two backslashes still leave the quote escaped: the string runs to the end.
    EXPECT_EQ(tokens_of(R"(x "a\\" y)"), (Tokens {"x"}));
}

TEST(SimpleTokenizer, SkipsComments)
{
    EXPECT_EQ(tokens_of("set x 1 // x"), (Tokens {"set", "x", "1"}));
    EXPECT_EQ(tokens_of("x//y"), (Tokens {"x"}));
    EXPECT_EQ(tokens_of("a/b"), (Tokens {"a/b"}));
    EXPECT_EQ(tokens_of("a /* x */ b"), (Tokens {"a", "b"}));
    EXPECT_EQ(tokens_of("/*/ b"), (Tokens {"b"}));
    EXPECT_EQ(tokens_of("a/*b*/c"), (Tokens {"a/*b*/c"}));
    EXPECT_EQ(tokens_of("a /* x"), (Tokens {"a"}));
    EXPECT_EQ(tokens_of("// only a comment"), Tokens {});
}

TEST(SimpleTokenizer, LineCommentEndsAtTheNewlineOfAMultiLineText)
{
    EXPECT_EQ(tokens_of("a // x\n  b\n// y\nc"), (Tokens {"a", "b", "c"}));
}

TEST(SimpleTokenizer, RecordsDoneAtTheEndAndRewindReplaysTheTokens)
{
    SimpleTokenizer tokenizer("a b ");
    EXPECT_EQ(tokens_of(tokenizer), (Tokens {"a", "b"}));
    // The call that found only trailing blanks recorded nothing.
    EXPECT_FALSE(tokenizer.has_error());
    EXPECT_EQ(tokenizer.next_token(), nullptr);
    EXPECT_STREQ(tokenizer.error(), "0: error: done");
    EXPECT_STREQ(tokenizer.token(), "");

    tokenizer.rewind();
    EXPECT_FALSE(tokenizer.has_error());
    EXPECT_EQ(tokens_of(tokenizer), (Tokens {"a", "b"}));
}

TEST(SimpleTokenizer, EmptyTextRecordsDoneAtOnce)
{
    SimpleTokenizer tokenizer("");
    EXPECT_EQ(tokenizer.next_token(), nullptr);
    EXPECT_STREQ(tokenizer.error(), "0: error: done");
}

TEST(SimpleTokenizer, TokensAndStringsHoldAtMost1023Characters)
{
    const std::string longest(1023, 'a');
    EXPECT_EQ(tokens_of(longest.c_str()), Tokens {longest});
    EXPECT_EQ(tokens_of(("\"" + longest + "\"").c_str()), Tokens {longest});

    const std::string too_long(1024, 'a');
    SimpleTokenizer plain(("x " + too_long + " y").c_str());
    EXPECT_EQ(tokens_of(plain), Tokens {"x"});
    EXPECT_STREQ(plain.error(), "0: error: Token exceedes 1024 byte limit");
    // The error stops the stream until rewind.
    EXPECT_EQ(plain.next_token(), nullptr);

    SimpleTokenizer quoted(("\"" + too_long + "\" y").c_str());
    EXPECT_EQ(quoted.next_token(), nullptr);
    EXPECT_STREQ(quoted.error(), "0: error: String exceeds 1024 byte limit");
    EXPECT_EQ(std::string(quoted.token()).size(), 1023u);
}

TEST(SimpleTokenizer, SetTokenFillsTheBuffer)
{
    SimpleTokenizer tokenizer("a");
    tokenizer.set_token("short");
    EXPECT_STREQ(tokenizer.token(), "short");
}
