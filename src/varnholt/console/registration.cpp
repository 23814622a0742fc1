#include "varnholt/console/registration.h"

#include <algorithm>
#include <vector>

#include "varnholt/base/name_index.h"
#include "varnholt/console/console.h"
#include "varnholt/console/function.h"
#include "varnholt/console/registration_unit.h"

namespace varnholt {

// The core's units, defined in their own files; named here so that the
// order of their objects is written down once.
extern RegistrationUnit video_unit, vfs_unit, sys_input_unit, log_unit, net_unit, host_unit, engine_unit,
    variable_commands_unit, builtin_commands_unit, function_unit;
#ifdef VARNHOLT_RCON
extern RegistrationUnit rcon_unit, status_unit;
#endif

namespace {
// The order of ls_cmds, ls_vars and default.cfg.
RegistrationUnit* const core_units[] = {
    &video_unit,
    &vfs_unit,
    &sys_input_unit,
    &log_unit,
    &net_unit,
#ifdef VARNHOLT_RCON
    &rcon_unit,
    &status_unit,
#endif
    &host_unit,
    &engine_unit,
    &variable_commands_unit,
    &builtin_commands_unit,
    &function_unit,
};

// All constant-initialised: static objects may be built before this
// file's dynamic initialisers have run.
PendingList others;
bool registered = false;
}

bool registration_detail::wait(Function& object)
{
    if (registered)
        return false;
    RegistrationUnit* unit = registration_detail::open_unit;
    PendingList& list = unit ? unit->pending : others;
    (list.last ? list.last->pending_next : list.first) = &object;
    list.last = &object;
    object.pending_in = &list;
    return true;
}

void registration_detail::stop_waiting(Function& object)
{
    PendingList& list = *object.pending_in;
    Function* before = nullptr;
    for (Function* f = list.first; f != &object; f = f->pending_next)
        before = f;
    (before ? before->pending_next : list.first) = object.pending_next;
    if (list.last == &object)
        list.last = before;
    object.pending_in = nullptr;
}

void init_console()
{
    create_console();
    register_static_objects();
}

void register_static_objects()
{
    if (registered)
        return;
    registered = true;
    std::vector<Function*> waiting;
    for (RegistrationUnit* unit : core_units) {
        for (Function* f = unit->pending.first; f; f = f->pending_next)
            waiting.push_back(f);
    }
    const std::size_t core_count = waiting.size();
    for (Function* f = others.first; f; f = f->pending_next)
        waiting.push_back(f);
    std::stable_sort(waiting.begin() + static_cast<std::ptrdiff_t>(core_count), waiting.end(),
                     [](const Function* a, const Function* b) { return compare_names(a->name(), b->name()) < 0; });
    for (Function* f : waiting) {
        f->pending_in = nullptr;
        f->pending_next = nullptr;
    }
    for (Function* f : waiting)
        f->enroll();
}

}  // namespace varnholt
