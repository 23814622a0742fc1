#include "varnholt/base/copy_string.h"

#include <cstring>

namespace varnholt {

char* copy_string(const char* text)
{
    if (!text)
        return nullptr;
    const std::size_t size = std::strlen(text) + 1;
    char* copy = new char[size];
    std::memcpy(copy, text, size);
    return copy;
}

}  // namespace varnholt
