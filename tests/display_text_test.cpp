#include "varnholt/net/display_text.h"

#include <gtest/gtest.h>

#include <string>

using namespace varnholt;

namespace {
struct Case {
    const char* name;
    std::string bytes;
    std::string shown;
};

TEST(DisplayText, KeepsValidUtf8AndEscapesEveryControlAndStrayByte)
{
    const Case cases[] = {
        {"printable ASCII", "plain text ~", "plain text ~"},
        {"C0 controls and DEL", "\x1b[1m\x07\t\x7f", "\\x1b[1m\\x07\\x09\\x7f"},
        {"stops at the first zero", std::string("ab\0\x1b", 4), "ab"},
        {"two-, three- and four-byte forms", "\xc3\xa9 \xe2\x82\xac \xe6\x97\xa5 \xf0\x9f\x98\x80",
         "\xc3\xa9 \xe2\x82\xac \xe6\x97\xa5 \xf0\x9f\x98\x80"},
        {"raw C1 control", "A\x9b" "31m", "A\\x9b31m"},
        {"C1 control as UTF-8", "\xc2\x9b" "31m\xc2\x80\xc2\x9f", "\\xc2\\x9b31m\\xc2\\x80\\xc2\\x9f"},
        {"first code point past C1", "\xc2\xa0", "\xc2\xa0"},
        {"overlong forms", "\xc0\xaf\xe0\x80\xaf", "\\xc0\\xaf\\xe0\\x80\\xaf"},
        {"surrogate", "\xed\xa0\x80", "\\xed\\xa0\\x80"},
        {"past U+10FFFF", "\xf4\x90\x80\x80", "\\xf4\\x90\\x80\\x80"},
        {"truncated sequence then ASCII", "\xe2\x82z", "\\xe2\\x82z"},
        {"truncated at the end", "\xf0\x9f\x98", "\\xf0\\x9f\\x98"},
        {"stray continuation and bytes never used", "\x80\xfe\xff", "\\x80\\xfe\\xff"},
        {"bidirectional controls, first and last of each range",
         "a\xe2\x80\xaa\xe2\x80\xae\xe2\x81\xa6\xe2\x81\xa9" "b", "a\\u{202A}\\u{202E}\\u{2066}\\u{2069}b"},
        {"zero-width characters and byte order mark", "\xe2\x80\x8b\xe2\x80\x8f\xe2\x81\xa0\xef\xbb\xbf",
         "\\u{200B}\\u{200F}\\u{2060}\\u{FEFF}"},
        {"line and paragraph separators", "\xe2\x80\xa8\xe2\x80\xa9", "\\u{2028}\\u{2029}"},
        {"their neighbours stay", "\xe2\x80\x8a\xe2\x80\x90\xe2\x80\xa7\xe2\x80\xaf\xe2\x81\xa5\xe2\x81\xaa",
         "\xe2\x80\x8a\xe2\x80\x90\xe2\x80\xa7\xe2\x80\xaf\xe2\x81\xa5\xe2\x81\xaa"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(display_text(c.bytes.data(), c.bytes.size()), c.shown) << c.name;
}
}
