/*
 * Matching names against what a user typed to narrow a listing or a
 * search, ASCII letter case ignored as in every name comparison
 * (base/name_index.h). ls_files, ls_cmds, ls_vars and find use them.
 */
#pragma once

namespace varnholt {

// Whether `name` matches `pattern`: "*" stands for any run of characters
// ("/" too), "?" for any one. Linear in practice: a "*" that fails to match
// moves on by one character at most once per character of `name`.
bool matches_pattern(const char* pattern, const char* name);

// Whether `part` occurs anywhere in `text`; an empty `part` always does.
bool contains_ignoring_case(const char* text, const char* part);

}  // namespace varnholt
