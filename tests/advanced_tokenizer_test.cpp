#include <gtest/gtest.h>

#include <string>

#include "token_list.h"
#include "varnholt/tokenizer/advanced_tokenizer.h"

using namespace varnholt;

namespace {
Tokens tokens_of(const char* text)
{
    return tokens_of_text<AdvancedTokenizer>(text);
}
}

TEST(AdvancedTokenizer, SplitsOperatorsAndPunctuation)
{
    EXPECT_EQ(tokens_of("x+=1;"), (Tokens {"x", "+=", "1", ";"}));
    EXPECT_EQ(tokens_of("f(a,b)"), (Tokens {"f", "(", "a", ",", "b", ")"}));
    EXPECT_EQ(tokens_of("a/=2"), (Tokens {"a", "/=", "2"}));
    EXPECT_EQ(tokens_of("a / b"), (Tokens {"a", "/", "b"}));
    EXPECT_EQ(tokens_of("3.14"), (Tokens {"3", ".", "14"}));
    EXPECT_EQ(tokens_of("$my_var#1'\\"), (Tokens {"$my_var#1'\\"}));
    EXPECT_EQ(tokens_of("{[?:~]}"), (Tokens {"{", "[", "?", ":", "~", "]", "}"}));
}

TEST(AdvancedTokenizer, TakesOperatorCharactersTwoAtATimeFromTheLeft)
{
    // "->" is not an operator, so both characters stand alone.
    EXPECT_EQ(tokens_of("a->b"), (Tokens {"a", "-", ">", "b"}));
    EXPECT_EQ(tokens_of("i+++j"), (Tokens {"i", "++", "+", "j"}));
    EXPECT_EQ(tokens_of("a&&!b||c"), (Tokens {"a", "&&", "!", "b", "||", "c"}));
    // No three-character operators.
    EXPECT_EQ(tokens_of("a>>=b"), (Tokens {"a", ">>", "=", "b"}));
    EXPECT_EQ(tokens_of("a<<=b"), (Tokens {"a", "<<", "=", "b"}));
}

TEST(AdvancedTokenizer, ReadsOperatorsAtTheEndOfTheText)
{
    EXPECT_EQ(tokens_of("a+"), (Tokens {"a", "+"}));
    EXPECT_EQ(tokens_of(">>"), (Tokens {">>"}));
    EXPECT_EQ(tokens_of("x /"), (Tokens {"x", "/"}));
}

TEST(AdvancedTokenizer, KeepsStringsWhole)
{
    EXPECT_EQ(tokens_of("s = \"a+b; c\";"), (Tokens {"s", "=", "a+b; c", ";"}));
    EXPECT_EQ(tokens_of("\"\"+x"), (Tokens {"", "+", "x"}));
    EXPECT_EQ(tokens_of("a\"b\""), (Tokens {"a", "b"}));
    EXPECT_EQ(tokens_of("\"a\\\"b\""), (Tokens {"a\\\"b"}));
}

TEST(AdvancedTokenizer, LineCommentTakesTheRestOfTheText)
{
    AdvancedTokenizer tokenizer("a // x\nb");
    EXPECT_STREQ(tokenizer.next_token(), "a");
    EXPECT_EQ(tokenizer.next_token(), nullptr);
    EXPECT_FALSE(tokenizer.has_error());
    EXPECT_EQ(tokenizer.next_token(), nullptr);
    EXPECT_STREQ(tokenizer.error(), "0: error: done");

    EXPECT_EQ(tokens_of("x//y\nz"), (Tokens {"x"}));
}

TEST(AdvancedTokenizer, SkipsBlockComments)
{
    EXPECT_EQ(tokens_of("a /* x */ b"), (Tokens {"a", "b"}));
    EXPECT_EQ(tokens_of("a/*x*/b"), (Tokens {"a", "b"}));
    EXPECT_EQ(tokens_of("/*/ b"), (Tokens {"b"}));
    EXPECT_EQ(tokens_of("a /* x"), (Tokens {"a"}));
    // The asterisk here follows "/=", not "/".
    EXPECT_EQ(tokens_of("a/=*b"), (Tokens {"a", "/=", "*", "b"}));
}

TEST(AdvancedTokenizer, RecordsDoneAfterTheEndAndRewindsToTheSameTokens)
{
    AdvancedTokenizer tokenizer("x+=1;  ");
    const Tokens first = tokens_of(tokenizer);
    // The trailing blanks end the scan without a message.
    EXPECT_FALSE(tokenizer.has_error());
    EXPECT_EQ(tokenizer.next_token(), nullptr);
    EXPECT_STREQ(tokenizer.error(), "0: error: done");
    EXPECT_STREQ(tokenizer.token(), "");

    tokenizer.rewind();
    EXPECT_FALSE(tokenizer.has_error());
    EXPECT_EQ(tokens_of(tokenizer), first);
    EXPECT_EQ(first, (Tokens {"x", "+=", "1", ";"}));

    AdvancedTokenizer empty("");
    EXPECT_EQ(empty.next_token(), nullptr);
    EXPECT_STREQ(empty.error(), "0: error: done");
}

TEST(AdvancedTokenizer, ReturnsTokensOf1023CharactersWhole)
{
    const std::string word(1023, 'w');
    EXPECT_EQ(tokens_of((word + "+1").c_str()), (Tokens {word, "+", "1"}));
    EXPECT_EQ(tokens_of(("\"" + word + "\";").c_str()), (Tokens {word, ";"}));
}

TEST(AdvancedTokenizer, RefusesPlainTokensOf1024Characters)
{
    AdvancedTokenizer tokenizer(("a " + std::string(1024, 'w')).c_str());
    EXPECT_STREQ(tokenizer.next_token(), "a");
    EXPECT_EQ(tokenizer.next_token(), nullptr);
    EXPECT_STREQ(tokenizer.error(), "0: error: Token exceedes 1024 byte limit");
    // The error sticks until rewind.
    EXPECT_EQ(tokenizer.next_token(), nullptr);
    EXPECT_STREQ(tokenizer.error(), "0: error: Token exceedes 1024 byte limit");
    tokenizer.rewind();
    EXPECT_STREQ(tokenizer.next_token(), "a");
}

TEST(AdvancedTokenizer, RefusesStringsOf1024Characters)
{
    AdvancedTokenizer tokenizer(("\"" + std::string(1024, 's') + "\"").c_str());
    EXPECT_EQ(tokenizer.next_token(), nullptr);
    EXPECT_STREQ(tokenizer.error(), "0: error: String exceeds 1024 byte limit");
}
