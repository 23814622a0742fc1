#include "varnholt/engine/host.h"

#include "varnholt/console/console.h"
#include "varnholt/console/registration_unit.h"

namespace varnholt {

// Its objects stand in the listings where the core's list puts this unit.
RegistrationUnit host_unit("host");

Variable<bool> dedicated("dedicated", false, not_saved);
const RegistrationUnit::End host_unit_end(host_unit);

namespace {
bool host_up = false;
bool client_up = false;
}

bool host_init()
{
    host_up = true;
    console << "Host initted..." << std::endl;
    return true;
}

bool host_close()
{
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
}

bool client_init()
{
    client_up = true;
    return true;
}

bool client_shutdown()
{
    if (!client_up)
        return false;
    client_up = false;
    return true;
}

bool client_active()
{
    return client_up;
}

void client_frame()
{
}

}  // namespace varnholt
