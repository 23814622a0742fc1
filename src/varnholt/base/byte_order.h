/*
 * Byte-order conversion between host order and big- or little-endian data.
 * byteorder_init() runs once at start-up and fills the six conversion slots;
 * every conversion is its own inverse, so one routine reads and writes.
 * The slots are null until byteorder_init() has run.
 */
#pragma once

#include <cstdint>

namespace varnholt {

using ShortConversion = std::int16_t (*)(std::int16_t);
using LongConversion = std::int32_t (*)(std::int32_t);
using FloatConversion = float (*)(float);

extern ShortConversion big_endian_short;
extern LongConversion big_endian_long;
extern FloatConversion big_endian_float;
extern ShortConversion little_endian_short;
extern LongConversion little_endian_long;
extern FloatConversion little_endian_float;

// Detect the host order and choose the routine of each slot.
void byteorder_init();
// True before detection and on big-endian hosts.
bool host_big_endian();

std::int16_t swap_short(std::int16_t value);
std::int32_t swap_long(std::int32_t value);
float swap_float(float value);  // reverses the bytes of the representation
std::int16_t same_short(std::int16_t value);
std::int32_t same_long(std::int32_t value);
float same_float(float value);

}  // namespace varnholt
