/*
 * What the fuzz targets share: a check that turns a broken property into a
 * crash the fuzzer records, a data directory of scripts for exec, and the
 * registry checks. reset_variables (tests/reset_variables.h) gives every
 * input the same variables to start from.
 *
 * The targets link the engine's own objects, so the commands and variables
 * they drive are the real ones, registered before main as in the engine.
 */
#pragma once

#include <string>
#include <utility>
#include <vector>

// Aborts with the failed condition and its place when `condition` is false.
#define FUZZ_CHECK(condition) fuzz_check((condition), #condition, __FILE__, __LINE__)
void fuzz_check(bool condition, const char* text, const char* file, int line);

// Creates a directory of this process's own under the system's temporary
// directory, writes `files` (name, content) into it, and points gamepath and
// basepath at it. The directory is removed at exit.
void fuzz_use_data_directory(const std::vector<std::pair<std::string, std::string>>& files);
// The directory made by fuzz_use_data_directory, ending without "/".
const std::string& fuzz_data_directory();

// Checks that every linked command and variable is the one its name finds
// (the first of that name, for variables); returns how many are linked.
struct RegistrySize {
    int functions = 0;
    int variables = 0;
    bool operator==(const RegistrySize& other) const
    {
        return functions == other.functions && variables == other.variables;
    }
};
RegistrySize fuzz_check_registries();

// The lines of an input: the pieces between line feeds and zero bytes.
std::vector<std::string> fuzz_lines(const unsigned char* data, std::size_t size);
