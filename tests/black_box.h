/*
 * What the black-box tests share: a fresh directory for the engine to run
 * in, the text every start prints, and a few ways to read its output.
 */
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "engine_process.h"
#include "temp_dir.h"

// What every start prints once init.cfg has run: the file system report.
extern const std::string startup_report;
// What every stop that lets the engine finish prints last.
extern const std::string closing;

// The engine's report of a datagram that came from `port` on loopback:
// the heading, then `size_and_text`.
std::string datagram_report(int port, const std::string& size_and_text);

// How often `piece` occurs in `text`, counting from the end of each match.
int count_of(const std::string& text, const std::string& piece);
bool ends_with(const std::string& text, const std::string& end);

// A fresh directory holding data/ with an empty init.cfg.
class BlackBoxTest : public ::testing::Test {
protected:
    BlackBoxTest() { init(""); }

    void init(const std::string& script) { dir.write("data/init.cfg", script); }
    // Runs the engine until it exits; `input` should end with "quit".
    EngineRun run(const std::string& input) { return run_engine(dir.path(), input); }
    // A running engine, past its first prompt.
    std::unique_ptr<EngineProcess> start(EngineProcess::Input input = EngineProcess::Input::pipe);
    // Runs one typed line and returns what it wrote, up to the next prompt.
    static std::string command(EngineProcess& engine, const std::string& line);
    // Has the engine open its socket on `port`, or on one nobody holds for
    // 0; the port, or 0 (a failure of the test) when it did not open.
    static int open_socket(EngineProcess& engine, int port = 0);
    // data/default.cfg as the engine left it.
    std::string saved() const { return dir.read("data/default.cfg"); }

    TempDir dir;
};
