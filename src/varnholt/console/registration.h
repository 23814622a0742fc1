/*
 * Registration of the static commands and variables, once the console
 * exists. The order is the core's list of units (registration.cpp; see
 * console/registration_unit.h for what a unit is), then every other object
 * by name (console/function.h).
 */
#pragma once

namespace varnholt {

// Registers every waiting object: the core's units in the order of the
// core's list, then the rest by name. Only the first call does anything;
// from then on objects register as they are constructed. init_console
// calls it once the console exists, since a collision writes a message.
// Objects wait through registration_detail (console/function.h).
void register_static_objects();

// Builds the console (create_console), then registers the static commands
// and variables that wait for it. Only the first call does anything. The
// start-up calls it; so does a program that runs lines before start-up.
void init_console();

}  // namespace varnholt
