// Python surface of the enumeration of k-subsets: the SetReadOnly view class and
// ondrex.algos.draw_without_replacement, which calls a Python callable once per k-subset of
// {0, ..., n-1} in lexicographic order.
//
// Cost: the draw array is allocated once; advancing to the next draw is one pass over at most k
// positions; each draw allocates one view object and calls the callable without building an
// argument tuple.
#include "families.hpp"
#include "set_read_only.hpp"

#include <memory>

namespace ondrex_py {

namespace {

using View = SetReadOnly<unsigned long>;

// A view may outlive its draw (a callable can keep it); the enumeration detaches it when the
// draw ends, and every read checks for that so that no stale or freed array is ever read.
View const& attached(View const& v) {
    if (!v.attached())
        throw py::value_error("operation forbidden on a SetReadOnly whose draw has ended");
    return v;
}

unsigned long checked_at(View const& v, unsigned long i) {
    if (i >= attached(v).size()) throw py::index_error("SetReadOnly index out of range");
    return v.at(i);
}

// Iterator over a view that reads through it at each step, so that iterating after the draw
// has ended raises instead of reading the released array.
struct ViewCursor {
    View const* view;
    unsigned long i;
    unsigned long operator*() const { return checked_at(*view, i); }
    ViewCursor& operator++() {
        ++i;
        return *this;
    }
    bool operator==(ViewCursor const& o) const { return i == o.i; }
};

// Hands one draw to f; true when f asks for more. The view is detached whatever f does.
bool visit(PyObject* f, unsigned long const* draw, unsigned long k) {
    auto owned = std::make_unique<View>(draw, k);
    py::object obj = py::cast(owned.get(), py::return_value_policy::take_ownership);
    View* view = owned.release();
    struct Detach {
        View* v;
        ~Detach() { v->detach(); }
    } detach{view};
    PyObject* r = PyObject_CallOneArg(f, obj.ptr());
    if (!r) throw py::error_already_set();
    return py::cast<bool>(py::reinterpret_steal<py::object>(r));
}

void draw_without_replacement(unsigned long k, unsigned long n, py::object const& f) {
    if (k > n) return;
    // The only subset of size 0 is the empty one: a single call.
    auto c = std::make_unique<unsigned long[]>(k);
    if (k == 0) {
        visit(f.ptr(), c.get(), 0);
        return;
    }
    for (unsigned long t = 0; t < k; ++t) c[t] = t;
    unsigned long const last = k - 1;
    for (;;) {
        for (unsigned long i = c[last]; i < n; ++i) {
            c[last] = i;
            if (!visit(f.ptr(), c.get(), k)) return;
            if (i == n - 1) break;
        }
        // c[last] is n - 1 here: advance the rightmost prefix position that still has room.
        unsigned long j = last;
        while (j > 0 && c[j - 1] == n - k + (j - 1)) --j;
        if (j == 0) return;
        --j;
        ++c[j];
        for (unsigned long t = j + 1; t < k; ++t) c[t] = c[t - 1] + 1;
    }
}

} // namespace

void bind_set_read_only(py::module_& m) {
    py::class_<View>(m, "SetReadOnly")
        .def("at", &checked_at)
        .def("size", [](View const& v) { return attached(v).size(); })
        .def(
            "__iter__",
            [](View const& v) {
                attached(v);
                return py::make_iterator(ViewCursor{&v, 0}, ViewCursor{&v, v.size()});
            },
            py::keep_alive<0, 1>());
}

void bind_algos(py::module_& m) { m.def("draw_without_replacement", &draw_without_replacement); }

} // namespace ondrex_py
