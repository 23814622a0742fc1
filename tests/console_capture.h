/*
 * Test helper: collects everything the console writes while it lives.
 */
#pragma once

#include <sstream>
#include <string>

#include "varnholt/console/console.h"

class ConsoleCapture {
public:
    ConsoleCapture() : id(varnholt::console.add_stream(&out)) {}
    ~ConsoleCapture() { varnholt::console.remove_stream(id); }
    ConsoleCapture(const ConsoleCapture&) = delete;
    ConsoleCapture& operator=(const ConsoleCapture&) = delete;

    // Everything written since construction or the last take().
    std::string take()
    {
        std::string text = out.str();
        out.str("");
        return text;
    }

private:
    std::ostringstream out;
    int id;
};
