/*
 * Puts the variables back as a fresh process has them, so that one test or
 * one fuzz input cannot change what the next one sees. Shared by the unit
 * tests and the fuzz targets.
 */
#pragma once

// Deletes every variable that `set` created, through the del command, puts
// the others back to their defaults with reset_all, stops eng_time and
// empties the console history. Constants keep their values. False when a
// created variable would not go.
bool reset_variables();
