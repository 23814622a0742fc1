/*
 * How the static commands and variables get registered in an order that
 * neither the linker nor the order of static construction decides.
 *
 * Each unit of the core that declares console objects opens a
 * RegistrationUnit before its first object and closes it after its last:
 *
 *     RegistrationUnit video_unit("video");
 *     Variable<int> vid_width("vid_width", 640, saved, "Width of the video mode, in pixels");
 *     ...
 *     const RegistrationUnit::End video_unit_end(video_unit);
 *
 * Within a file, static objects are constructed in declaration order, so
 * every object constructed while a unit is open is that unit's and waits on
 * its list. registration.cpp holds the one list of the core's units in the
 * order their objects appear in ls_cmds, ls_vars and default.cfg, and
 * register_static_objects reads it. Naming each unit there also makes the
 * linker keep the unit's file when the core is linked as a static archive.
 *
 * Objects constructed while no unit is open (a game's, a test's) wait on a
 * list of their own and register after the core's, ordered by name ignoring
 * case (then by their bytes), so that link order never shows. Everything
 * here is the core's: a game declares its objects and needs none of it.
 */
#pragma once

namespace varnholt {

class Function;

// Objects waiting for registration, in construction order. Constant-
// initialised, so that it is there before any static object is built.
struct PendingList {
    Function* first = nullptr;
    Function* last = nullptr;
};

class RegistrationUnit;

void register_static_objects();

namespace registration_detail {
// The unit being declared, if any. Constant-initialised, one for the
// whole program.
inline RegistrationUnit* open_unit = nullptr;
bool wait(Function& object);
}

class RegistrationUnit {
public:
    // Opens the unit: the objects constructed until its End are its own.
    explicit RegistrationUnit(const char* name) : name_(name) { registration_detail::open_unit = this; }
    RegistrationUnit(const RegistrationUnit&) = delete;
    RegistrationUnit& operator=(const RegistrationUnit&) = delete;

    // Closes the unit.
    struct End {
        explicit End(RegistrationUnit&) { registration_detail::open_unit = nullptr; }
    };

    const char* name() const { return name_; }

private:
    friend void register_static_objects();
    friend bool registration_detail::wait(Function& object);

    const char* name_;
    PendingList pending;
};

}  // namespace varnholt
