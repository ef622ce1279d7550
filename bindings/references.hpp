// Python objects that designate storage inside another core object: element references handed
// out by accessors and iterators, and the iterators themselves (Dependent). They are recorded so
// that an operation which may move or free that storage first detaches them: a reference becomes
// an independent object holding the value it designated, an iterator goes on over copies of what
// it had left to yield (safe_iterator.hpp), instead of a dangling view. While the storage stays,
// they share it as before.
#pragma once

#include "common.hpp"

#include <memory>
#include <optional>
#include <type_traits>
#include <typeinfo>

namespace ondrex_py {

namespace detail {

using Detacher = void (*)(py::detail::instance*, py::detail::type_info const*);

// Turns a reference instance into an owning one holding a copy of the value it designates.
//
// This rewrites a pybind11 instance in place, through pybind11 3.x internals (checked with
// 3.1, internals version 12). It assumes:
// - the class is bound as py::class_<T> with the default holder std::unique_ptr<T> (not
//   py::classh, std::shared_ptr or PYBIND11_USE_SMART_HOLDER_AS_DEFAULT), so an owning instance
//   is its value pointer plus a constructed unique_ptr holder in the holder slot, and the
//   instance's dealloc destroys that holder when `owned` is set;
// - the instance was made with return_value_policy::reference: not owned, holder not
//   constructed, value pointer to the storage inside the owner;
// - the registry of live instances maps value pointers to instances (register_instance and
//   deregister_instance, which also walk offset bases), so the wrapper moves from the old
//   address to the copy's and a later cast of the old address makes a new reference;
// - the keep-alive to the owner, left in place, only keeps the owner alive longer.
// The static_asserts below hold what can be checked at compile time.
template <class T>
void detach(py::detail::instance* inst, py::detail::type_info const* tinfo) {
    static_assert(PYBIND11_VERSION_MAJOR == 3, "detach rewrites pybind11 3.x instances");
    static_assert(std::is_same_v<typename py::class_<T>::holder_type, std::unique_ptr<T>>,
                  "detach constructs a std::unique_ptr holder: py::class_<T> must default to it");
    static_assert(sizeof(std::unique_ptr<T>) == sizeof(void*),
                  "the holder must fit the one-pointer slot of the default holder");
    static_assert(std::is_copy_constructible_v<T>, "a detached reference holds a copy");
    static_assert(
        std::is_same_v<decltype(&py::detail::register_instance),
                       void (*)(py::detail::instance*, void*, py::detail::type_info const*)> &&
            std::is_same_v<decltype(&py::detail::deregister_instance),
                           bool (*)(py::detail::instance*, void*, py::detail::type_info const*)>,
        "the instance registry functions changed");
    auto v_h = inst->get_value_and_holder(tinfo);
    auto* old = static_cast<T*>(v_h.value_ptr());
    auto copy = std::make_unique<T>(*old);
    py::detail::deregister_instance(inst, old, tinfo);
    v_h.value_ptr() = copy.get();
    py::detail::register_instance(inst, copy.get(), tinfo);
    new (std::addressof(v_h.holder<std::unique_ptr<T>>())) std::unique_ptr<T>(std::move(copy));
    v_h.set_holder_constructed();
    inst->owned = true;
}

void record(py::handle ref, void const* ptr, py::detail::type_info const* tinfo, Detacher d,
            py::handle owner, void const* owner_ptr);

} // namespace detail

// The reference to `value`, which lies inside the core object `owner_ptr` wrapped by `owner`: the
// existing wrapper if there is one, else a new one that keeps `owner` alive.
template <class T>
py::object reference_into(py::handle owner, void const* owner_ptr, T& value) {
    py::object r = py::cast(&value, py::return_value_policy::reference);
    auto* inst = reinterpret_cast<py::detail::instance*>(r.ptr());
    if (!inst->owned) {
        py::detail::keep_alive_impl(r, owner);
        detail::record(r, &value, py::detail::get_type_info(typeid(T)), &detail::detach<T>,
                       owner, owner_ptr);
    }
    return r;
}

// A C++ object owned by a Python object (an iterator's state) that reads storage inside a core
// object. Once recorded with depend_on it is told, through detach(), before an operation may move
// or free that storage, and forgotten; after that it must not read the storage again. It forgets
// its record itself when destroyed. Cost: as for a reference.
class Dependent {
public:
    Dependent(Dependent const&) = delete;
    Dependent& operator=(Dependent const&) = delete;

    // Stops reading the storage, which is still intact when this is called. Must not throw:
    // a change that has begun cannot be stopped.
    virtual void detach() noexcept = 0;

protected:
    Dependent() = default;
    ~Dependent();
    // Records that this reads storage inside the core object `ptr`, wrapped by `owner` or lying
    // within it (`owner` may be a reference, whose own owners then count as well).
    void depend_on(py::handle owner, void const* ptr);
    // Forgets the record, for a dependent that will read nothing more.
    void forget();
};

// What a mutation of the object at `p` may do to the storage below it.
enum class Change {
    values, // the elements stay where they are, their contents may be rebuilt
    shape,  // the elements themselves may move or go away
};

// Detaches the recorded references and dependents the change to `p` may invalidate: for
// Change::values those strictly below `p`'s elements, for Change::shape also those of `p`'s
// elements themselves (and the iterators over `p`).
void before_change(void const* p, Change c);

// True when `p` is the core object of a live recorded reference.
bool is_reference(void const* p);

// The operand of an in-place operation on `self`: copied when it is a reference other than
// `self` (which the core operations handle themselves), since a reference may lie inside the
// storage the operation rewrites, or contain `self`.
template <class T, class U>
U const& stable_operand(T const& self, U const& b, std::optional<U>& copy) {
    if (static_cast<void const*>(&self) != static_cast<void const*>(&b) && is_reference(&b))
        return copy.emplace(b);
    return b;
}

} // namespace ondrex_py
