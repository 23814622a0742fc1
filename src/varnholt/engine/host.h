/*
 * The host layer, which a dedicated start brings up instead of the video
 * layer, and the client layer, which nothing in the core activates. Both
 * carry state and messages; a game's code runs in their hooks (host_init,
 * host_frame, ... in base/hooks.h), which do nothing when not installed.
 */
#pragma once

#include "varnholt/variables/variable.h"

namespace varnholt {

// Start as a host without video; read once at start-up, again at shutdown.
extern Variable<bool> dedicated;

// Brings the host up and says "Host initted...".
bool host_init();
// Takes the host down and says "Host closed..."; callers check that it is up.
bool host_close();
bool host_initted();
void host_frame();

bool client_init();
// False when the client was not active.
bool client_shutdown();
bool client_active();
void client_frame();

}  // namespace varnholt
