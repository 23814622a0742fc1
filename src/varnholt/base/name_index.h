/*
 * A hash index from names, compared ignoring ASCII case, to the objects of a
 * registry that keeps its own order in an IntrusiveList. Like the list, it
 * lives inside the objects: each one keeps its hash-chain link (a NameLink
 * member) and the hash of its name (name_hash()), so filing and removing an
 * object touch only its own chain and nothing is re-keyed when one goes.
 *
 * A chain holds its objects in the order they were filed. Registries file an
 * object when they append it to their list, so among objects of the same
 * name find() returns the first in list order. The bucket array doubles
 * when there are more objects than buckets, so a lookup stays as cheap with
 * 100,000 names as with 40.
 */
#pragma once

#include <cstddef>
#include <vector>

namespace varnholt {

// A name to look up: its characters, its length and its hash.
struct NameKey {
    const char* text;
    std::size_t length;
    std::size_t hash;
};

namespace name_detail {
// Folds ASCII letters to lower case, and a few other bytes onto others too
// ('@' onto '`', '_' onto DEL): names that are equal ignoring case still
// hash alike, and the comparison below tells the rest apart.
inline unsigned char rough_fold(char c)
{
    return static_cast<unsigned char>(c | 0x20);
}

inline bool same_character(char a, char b)
{
    if (a == b)
        return true;
    const unsigned char lower = rough_fold(a);
    return lower == rough_fold(b) && lower >= 'a' && lower <= 'z';
}

// FNV-1a over the folded bytes.
constexpr std::size_t hash_start = 14695981039346656037ull;
inline std::size_t hash_step(std::size_t hash, char c)
{
    return (hash ^ rough_fold(c)) * 1099511628211ull;
}
}

// The key of the zero-terminated `name`, in one pass.
inline NameKey name_key(const char* name)
{
    std::size_t hash = name_detail::hash_start;
    const char* end = name;
    for (; *end; ++end)
        hash = name_detail::hash_step(hash, *end);
    return {name, static_cast<std::size_t>(end - name), hash};
}

// The key of the `length` characters at `name`, which need no zero after them.
inline NameKey name_key(const char* name, std::size_t length)
{
    std::size_t hash = name_detail::hash_start;
    for (std::size_t i = 0; i < length; ++i)
        hash = name_detail::hash_step(hash, name[i]);
    return {name, length, hash};
}

// Whether the zero-terminated `name` is the key's name, ignoring ASCII case.
inline bool same_name(const char* name, const NameKey& key)
{
    for (std::size_t i = 0; i < key.length; ++i) {
        if (!name[i] || !name_detail::same_character(name[i], key.text[i]))
            return false;
    }
    return !name[key.length];
}

// Whether two zero-terminated names are equal ignoring ASCII case.
inline bool same_name(const char* a, const char* b)
{
    for (; *a && *b; ++a, ++b) {
        if (!name_detail::same_character(*a, *b))
            return false;
    }
    return *a == *b;
}

// How many leading characters two zero-terminated names share, ignoring
// ASCII case.
inline std::size_t shared_name_length(const char* a, const char* b)
{
    std::size_t length = 0;
    while (a[length] && name_detail::same_character(a[length], b[length]))
        ++length;
    return length;
}

// Orders names ignoring ASCII case (as if lower case), then by their bytes:
// negative, zero or positive as `a` comes first, equals `b` or comes last.
inline int compare_names(const char* a, const char* b)
{
    const std::size_t shared = shared_name_length(a, b);
    const auto lower = [](char c) -> int { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : static_cast<unsigned char>(c); };
    if (a[shared] || b[shared])
        return lower(a[shared]) - lower(b[shared]);
    for (; *a; ++a, ++b) {
        if (*a != *b)
            return static_cast<unsigned char>(*a) - static_cast<unsigned char>(*b);
    }
    return 0;
}

// The link an object keeps in its hash chain.
template <typename T>
struct NameLink {
    T* next = nullptr;
};

// T offers name() and name_hash(), the hash name_key() gives for the name.
template <typename T, NameLink<T> T::*link>
class NameIndex {
public:
    // The first object filed under the key's name, or null.
    T* find(const NameKey& key) const
    {
        if (buckets.empty())
            return nullptr;
        for (T* object = buckets[slot(key.hash)]; object; object = (object->*link).next) {
            if (object->name_hash() == key.hash && same_name(object->name(), key))
                return object;
        }
        return nullptr;
    }
    // Files `object` after every object filed before it.
    void insert(T& object)
    {
        if (count == buckets.size())
            grow();
        ++count;
        T** place = &buckets[slot(object.name_hash())];
        while (*place)
            place = &((*place)->*link).next;
        *place = &object;
        (object.*link).next = nullptr;
    }
    // `object` must be filed here.
    void erase(T& object)
    {
        T** place = &buckets[slot(object.name_hash())];
        while (*place != &object)
            place = &((*place)->*link).next;
        *place = (object.*link).next;
        (object.*link).next = nullptr;
        --count;
    }

private:
    static constexpr std::size_t first_size = 64;  // a power of two

    std::size_t slot(std::size_t hash) const { return (hash ^ (hash >> 32)) & (buckets.size() - 1); }

    // Doubles the buckets. Each chain splits in two, its objects keeping
    // their order.
    void grow()
    {
        const std::size_t old_size = buckets.size();
        buckets.resize(old_size ? old_size * 2 : first_size, nullptr);
        for (std::size_t i = 0; i < old_size; ++i) {
            T* object = buckets[i];
            T** ends[2] = {&buckets[i], &buckets[i + old_size]};
            *ends[0] = *ends[1] = nullptr;
            while (object) {
                T* const next = (object->*link).next;
                T**& end = ends[slot(object->name_hash()) == i ? 0 : 1];
                *end = object;
                end = &(object->*link).next;
                *end = nullptr;
                object = next;
            }
        }
    }

    std::vector<T*> buckets;  // chain starts; the size is a power of two or 0
    std::size_t count = 0;    // objects filed
};

}  // namespace varnholt
