#include "console/name_index.h"

#include <strings.h>

std::size_t hash_name(const char* name)
{
    // FNV-1a over the lower-case bytes.
    std::size_t hash = 14695981039346656037ull;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(name); *p; ++p) {
        const unsigned char c = *p >= 'A' && *p <= 'Z' ? *p + ('a' - 'A') : *p;
        hash = (hash ^ c) * 1099511628211ull;
    }
    return hash;
}

bool same_name(const char* a, const char* b)
{
    return strcasecmp(a, b) == 0;
}
