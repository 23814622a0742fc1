#include "varnholt/engine/host.h"

#include "varnholt/base/hooks.h"
#include "varnholt/console/console.h"
#include "varnholt/console/registration_unit.h"

namespace varnholt {

// Its objects stand in the listings where the core's list puts this unit.
RegistrationUnit host_unit("host");

Variable<bool> dedicated("dedicated", false, not_saved,
                         "1 runs a network server without video (set it before start-up ends)");
const RegistrationUnit::End host_unit_end(host_unit);

namespace {
bool host_up = false;
bool client_up = false;
}

bool host_init()
{
    host_up = true;
    console << "Host initted..." << std::endl;
    if (hooks().host_init)
        hooks().host_init();
    return true;
}

bool host_close()
{
    if (hooks().host_shutdown)
        hooks().host_shutdown();
    host_up = false;
    console << "Host closed..." << std::endl;
    return true;
}

bool host_initted()
{
    return host_up;
}

void host_frame()
{
    if (hooks().host_frame)
        hooks().host_frame();
}

bool client_init()
{
    client_up = true;
    if (hooks().client_init)
        hooks().client_init();
    return true;
}

bool client_shutdown()
{
    if (!client_up)
        return false;
    if (hooks().client_shutdown)
        hooks().client_shutdown();
    client_up = false;
    return true;
}

bool client_active()
{
    return client_up;
}

void client_frame()
{
    if (hooks().client_frame)
        hooks().client_frame();
}

}  // namespace varnholt
