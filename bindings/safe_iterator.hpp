// The Python iterators of the module: iterators over a container that stay valid whatever the
// program does to the container while they live. While the container's storage stays, the
// iterator walks it and hands out what the container holds (element references or values);
// before an operation may move or free that storage (before_change, references.hpp), it copies
// the elements it has not handed out yet and goes on over those copies, handing each out as an
// independent value. So it never reads freed or moved storage, and it behaves as the element
// references it yields: shared while the storage stays, detached when it may go.
//
// Using it, for any container class bound to Python: one call in the binding of `__iter__`,
//
//     .def("__iter__", [](Self<Vector> const& self) {
//         Vector& v = self.obj.cast<Vector&>();
//         return safe_iterator<"VectorIterator", Expr>(self.obj, &v, v.begin(), v.end(),
//                                                      element_reference);
//     })
//
// with the name of the iterator's Python type, the Python type of the elements (for signatures),
// the container's Python object and core object, the range to walk inside it, and how a live
// element is handed out: `element_reference` (a reference into the container, for elements that
// are bound core objects) or `by_value` (a copy). Every operation that may move or free the
// container's storage must call before_change on the container (or on an object containing it)
// first, as the in-place bindings do. The iterator keeps the container alive until it has been
// exhausted, refuses pickling and copying (TypeError) and cannot be built from Python.
//
// Cost: one record per live iterator; a step costs what handing out the element costs; a detach
// copies the elements not yet handed out.
#pragma once

#include "common.hpp"
#include "references.hpp"

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <typeinfo>
#include <utility>
#include <vector>

namespace ondrex_py {

// A string literal as a template argument: the name of an iterator type.
template <std::size_t N>
struct TypeName {
    constexpr TypeName(char const (&s)[N]) { std::copy_n(s, N, text); }
    char text[N];
};

// Hands out a live element as a reference into its container (see reference_into).
struct ElementReference {
    template <class T>
    py::object operator()(py::handle owner, void const* container, T& element) const {
        return reference_into(owner, container, element);
    }
};
inline constexpr ElementReference element_reference;

// Hands out a live element as a copy.
struct ByValue {
    template <class T>
    py::object operator()(py::handle, void const*, T&& element) const {
        return py::cast(std::forward<T>(element));
    }
};
inline constexpr ByValue by_value;

namespace detail {

template <TypeName Name, class It, class Yield>
class SafeIterator final : public Dependent {
public:
    using Value = std::iter_value_t<It>;

    SafeIterator(py::object owner, void const* container, It first, It last, Yield yield)
        : owner_(std::move(owner)), container_(container), it_(first), last_(last),
          yield_(std::move(yield)) {
        depend_on(owner_, container_);
    }
    ~SafeIterator() = default;

    py::object next() {
        if (lost_) throw std::bad_alloc();
        if (rest_) {
            if (next_rest_ < rest_->size()) return py::cast(std::move((*rest_)[next_rest_++]));
        } else if (owner_ && it_ != last_) {
            // Advanced first: handing out may allocate, and nothing may be left to advance past
            // if that led to a detach.
            It cur = it_++;
            return yield_(owner_, container_, *cur);
        }
        finish();
        throw py::stop_iteration();
    }

    // Without memory for the copies, the elements left are lost: the next step raises
    // MemoryError rather than read storage that may be gone.
    void detach() noexcept override {
        try {
            rest_.emplace(it_, last_);
        } catch (...) {
            lost_ = true;
        }
        it_ = last_;
    }

    static void bind() {
        if (py::detail::get_type_info(typeid(SafeIterator))) return;
        // As Python's own unpicklable objects say it; copy.copy and deepcopy go through here too.
        auto refuse = [] {
            throw py::type_error(std::string("cannot pickle '") + Name.text + "' object");
        };
        // Not entered in the module's namespace; named after it all the same.
        py::class_<SafeIterator> cls(py::handle(), Name.text, py::module_local());
        cls.attr("__module__") = "ondrex";
        cls.def("__iter__", [](py::object self) { return self; })
            .def("__next__", &SafeIterator::next)
            .def("__reduce__", [refuse](SafeIterator const&) { refuse(); })
            .def("__reduce_ex__", [refuse](SafeIterator const&, py::handle) { refuse(); });
    }

private:
    // Exhausted: nothing more is read, so the container is released and the record dropped.
    void finish() {
        forget();
        rest_.reset();
        owner_ = py::object();
    }

    py::object owner_;
    void const* container_;
    It it_, last_;
    Yield yield_;
    std::optional<std::vector<Value>> rest_; // what was left when the storage was to change
    std::size_t next_rest_ = 0;
    bool lost_ = false;
};

} // namespace detail

// A Python iterator over [first, last), a range of the core object `container` wrapped by `owner`
// (or lying within it), handing out each live element as `yield(owner, container, element)`.
// T is the Python-side type of the elements, as signatures show it.
template <TypeName Name, class T, class It, class Yield>
py::typing::Iterator<T> safe_iterator(py::object owner, void const* container, It first, It last,
                                      Yield yield) {
    using State = detail::SafeIterator<Name, It, Yield>;
    State::bind();
    // Recorded at its final address, before the Python object exists.
    auto state =
        std::make_unique<State>(std::move(owner), container, first, last, std::move(yield));
    return py::reinterpret_steal<py::typing::Iterator<T>>(py::cast(std::move(state)).release());
}

} // namespace ondrex_py
