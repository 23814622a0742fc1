/*
 * Reading script files line by line: the format of init.cfg, default.cfg
 * and every file given to exec.
 */
#pragma once

#include <istream>

#include "engine/limits.h"

// Reads the next line of `in` into `line` without its line feed. A longer
// line keeps its first 1023 characters and the rest of it is skipped, so it
// never runs as a line of its own. False once the stream is exhausted; the
// final read at the end of the file may give an empty line.
bool read_script_line(std::istream& in, char (&line)[line_size]);
