/*
 * The list behind every registry (commands, variables, archive formats):
 * objects link themselves in through a ListLink member of their own, in
 * registration order, behind a head object that the list holds and that is
 * never unlinked. Appending goes through the tail pointer and unlinking
 * through the object's back link, so both cost the same at any length and
 * registering N objects costs N, not N squared.
 *
 * The list owns nothing but its head: members unlink themselves before they
 * die. Registries reach their list through a function that creates it on
 * first use, so that it exists before the first static object registers and
 * outlives the last one.
 */
#pragma once

#include <cassert>
#include <utility>

namespace varnholt {

// The links an object keeps for one list. `previous` is null while the
// object is not linked, and always for the head.
template <typename T>
struct ListLink {
    T* next = nullptr;
    T* previous = nullptr;
};

template <typename T, ListLink<T> T::*link>
class IntrusiveList {
public:
    // The head is built from `head_arguments`.
    template <typename... Arguments>
    explicit IntrusiveList(Arguments&&... head_arguments) : head_(std::forward<Arguments>(head_arguments)...)
    {
    }
    IntrusiveList(const IntrusiveList&) = delete;
    IntrusiveList& operator=(const IntrusiveList&) = delete;

    T& head() { return head_; }
    T* last() const { return tail; }

    // `object` must not be linked yet.
    void append(T& object)
    {
        assert(!is_linked(object));
        (tail->*link).next = &object;
        (object.*link).previous = tail;
        (object.*link).next = nullptr;
        tail = &object;
    }
    // `object` must be linked in this list.
    void unlink(T& object)
    {
        assert(is_linked(object));
        ListLink<T>& links = object.*link;
        (links.previous->*link).next = links.next;
        if (links.next)
            (links.next->*link).previous = links.previous;
        else
            tail = links.previous;
        links = ListLink<T> {};
    }
    static bool is_linked(const T& object) { return (object.*link).previous != nullptr; }

private:
    T head_;
    T* tail = &head_;
};

}  // namespace varnholt
