#include "varnholt/base/hooks.h"

namespace varnholt {

namespace {
// Made on first use: a game may install its hooks from a static object.
Hooks& installed()
{
    static Hooks instance;
    return instance;
}
}

void set_hooks(const Hooks& hooks)
{
    installed() = hooks;
}

const Hooks& hooks()
{
    return installed();
}

}  // namespace varnholt
