#include "varnholt/base/byte_order.h"

#include <cstring>

namespace varnholt {

ShortConversion big_endian_short = nullptr;
LongConversion big_endian_long = nullptr;
FloatConversion big_endian_float = nullptr;
ShortConversion little_endian_short = nullptr;
LongConversion little_endian_long = nullptr;
FloatConversion little_endian_float = nullptr;

namespace {
bool big_endian = true;
}

void byteorder_init()
{
    const unsigned char bytes[2] = {1, 0};
    std::int16_t probe;
    std::memcpy(&probe, bytes, sizeof probe);
    big_endian = probe != 1;
    if (big_endian) {
        big_endian_short = same_short;
        big_endian_long = same_long;
        big_endian_float = same_float;
        little_endian_short = swap_short;
        little_endian_long = swap_long;
        little_endian_float = swap_float;
    } else {
        big_endian_short = swap_short;
        big_endian_long = swap_long;
        big_endian_float = swap_float;
        little_endian_short = same_short;
        little_endian_long = same_long;
        little_endian_float = same_float;
    }
}

bool host_big_endian()
{
    return big_endian;
}

std::int16_t swap_short(std::int16_t value)
{
    const auto bits = static_cast<std::uint16_t>(value);
    return static_cast<std::int16_t>(static_cast<std::uint16_t>((bits << 8) | (bits >> 8)));
}

std::int32_t swap_long(std::int32_t value)
{
    const auto bits = static_cast<std::uint32_t>(value);
    return static_cast<std::int32_t>((bits << 24) | ((bits << 8) & 0xFF0000u) | ((bits >> 8) & 0xFF00u)
                                     | ((bits >> 24) & 0xFFu));
}

float swap_float(float value)
{
    unsigned char bytes[sizeof value];
    std::memcpy(bytes, &value, sizeof value);
    for (std::size_t i = 0; i < sizeof value / 2; ++i) {
        const unsigned char kept = bytes[i];
        bytes[i] = bytes[sizeof value - 1 - i];
        bytes[sizeof value - 1 - i] = kept;
    }
    float swapped;
    std::memcpy(&swapped, bytes, sizeof swapped);
    return swapped;
}

std::int16_t same_short(std::int16_t value)
{
    return value;
}

std::int32_t same_long(std::int32_t value)
{
    return value;
}

float same_float(float value)
{
    return value;
}

}  // namespace varnholt
