#include "varnholt/console/console.h"

#include <new>

namespace varnholt {

namespace {
// Static storage that create_console builds the console in and nothing ever
// tears down: constant-initialised, so it is there before any other file's
// static objects, and still there after they are gone.
union ConsoleStorage {
    constexpr ConsoleStorage() : unused() {}
    ~ConsoleStorage() {}
    char unused;
    Console object;
};

ConsoleStorage storage;
bool built = false;
}

Console& console = storage.object;

void create_console()
{
    if (built)
        return;
    built = true;
    new (&storage.object) Console(console_history_size);
}

Console::Console(int history_size) : std::ostream(nullptr)
{
    rdbuf(&buffer);
    buffer.set_history_size(history_size);
    *this << "Console initialized" << std::endl;
}

}  // namespace varnholt
