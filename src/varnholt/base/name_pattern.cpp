#include "varnholt/base/name_pattern.h"

#include "varnholt/base/name_index.h"

namespace varnholt {

bool matches_pattern(const char* pattern, const char* name)
{
    const char* star = nullptr;
    const char* resume = nullptr;
    while (*name) {
        if (*pattern == '*') {
            star = pattern++;
            resume = name;
        } else if (*pattern && (*pattern == '?' || name_detail::same_character(*pattern, *name))) {
            ++pattern;
            ++name;
        } else if (star) {
            pattern = star + 1;
            name = ++resume;
        } else {
            return false;
        }
    }
    while (*pattern == '*')
        ++pattern;
    return !*pattern;
}

bool contains_ignoring_case(const char* text, const char* part)
{
    for (;; ++text) {
        std::size_t i = 0;
        while (part[i] && name_detail::same_character(text[i], part[i]))
            ++i;
        if (!part[i])
            return true;
        if (!*text)
            return false;
    }
}

}  // namespace varnholt
