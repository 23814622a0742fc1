/*
 * A hash index from names, compared ignoring ASCII case, to the objects of a
 * registry that keeps its own order in a linked list. The registry decides
 * which object a name leads to; the index only makes finding it cheap.
 *
 * Keys point at the objects' own name strings: an entry must be erased or
 * re-keyed before the object that owns its key releases the name.
 */
#pragma once

#include <cstddef>
#include <unordered_map>

// The hash and equality of registry names, ignoring ASCII case.
std::size_t hash_name(const char* name);
bool same_name(const char* a, const char* b);

template <typename T>
class NameIndex {
public:
    // The object filed under `name`, or null.
    T* find(const char* name) const
    {
        const auto entry = entries.find(name);
        return entry == entries.end() ? nullptr : entry->second;
    }
    // Files `object` under its `name` unless another object holds it.
    void insert(const char* name, T* object) { entries.emplace(name, object); }
    // Files `object` under `name`, keyed by `name` from now on.
    void replace(const char* name, T* object)
    {
        entries.erase(name);
        entries.emplace(name, object);
    }
    void erase(const char* name) { entries.erase(name); }

private:
    struct Hash {
        std::size_t operator()(const char* name) const { return hash_name(name); }
    };
    struct Equal {
        bool operator()(const char* a, const char* b) const { return same_name(a, b); }
    };

    std::unordered_map<const char*, T*, Hash, Equal> entries;
};
