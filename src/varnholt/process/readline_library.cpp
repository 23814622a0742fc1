#include "varnholt/process/readline_library.h"

#include <dlfcn.h>
#include <string>

namespace varnholt {

namespace {
bool load(ReadlineLibrary& library)
{
    // The headers the engine was built with name the library version to load.
    const std::string soname = "libreadline.so." + std::to_string(RL_VERSION_MAJOR);
    void* handle = dlopen(soname.c_str(), RTLD_LAZY | RTLD_LOCAL);
    if (!handle)
        return false;
    bool complete = true;
#define VARNHOLT_READLINE_LOAD(name)                                                \
    library.name = reinterpret_cast<decltype(library.name)>(dlsym(handle, #name)); \
    complete = complete && library.name;
    VARNHOLT_READLINE_SYMBOLS(VARNHOLT_READLINE_LOAD)
#undef VARNHOLT_READLINE_LOAD
    // The handle stays open for the rest of the run: readline keeps state
    // and the terminal console uses it until exit.
    return complete;
}
}

const ReadlineLibrary* readline_library()
{
    static ReadlineLibrary library;
    static const bool loaded = load(library);
    return loaded ? &library : nullptr;
}

}  // namespace varnholt
