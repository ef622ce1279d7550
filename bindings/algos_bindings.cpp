// Python surface of the enumeration of k-subsets: the SetReadOnly view class and
// ondrex.algos.draw_without_replacement, which calls a Python callable once per k-subset of
// {0, ..., n-1} in lexicographic order.
//
// Cost: the draw array is allocated once; advancing to the next draw is one pass over at most k
// positions; a draw allocates at most one view object (none when the previous view was not
// kept) and calls the callable without building an argument tuple.
#include "common.hpp"
#include "families.hpp"
#include "pickling.hpp"
#include "references.hpp"
#include "safe_iterator.hpp"
#include "set_read_only.hpp"
#include "typed_object.hpp"

#include "expr/memory_budget.hpp"

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

// Hands the draws to f through views of the draw array. A view that nothing but this object
// holds once f has returned is handed out again for the next draw: nobody can tell it from a new
// one, and it saves creating and registering a Python object per draw. A view that f kept
// (directly, through an iterator, a weak reference or otherwise) is detached and replaced.
class Visitor {
public:
    Visitor(PyObject* f, unsigned long const* draw, unsigned long k) : f_(f), draw_(draw), k_(k) {}
    Visitor(Visitor const&) = delete;
    Visitor& operator=(Visitor const&) = delete;
    ~Visitor() {
        if (view_) release();
    }

    // True when f asks for the next draw.
    bool operator()() {
        if (!view_) {
            auto owned = std::make_unique<View>(draw_, k_);
            obj_ = py::cast(owned.get(), py::return_value_policy::take_ownership);
            view_ = owned.release();
        }
        PyObject* r = PyObject_CallOneArg(f_, obj_.ptr());
        if (!r) throw py::error_already_set();
        bool more = py::cast<bool>(py::reinterpret_steal<py::object>(r));
        if (kept()) {
            release();
            view_ = nullptr;
            obj_ = py::object();
        }
        return more;
    }

private:
    // The draw array is about to change or go: iterators over the view go on over copies of
    // what they had left, and the view itself refuses further reads.
    void release() {
        before_change(view_, Change::shape);
        view_->detach();
    }

    // Held by anything but this object, weak references included.
    bool kept() const {
        return Py_REFCNT(obj_.ptr()) != 1 ||
               reinterpret_cast<py::detail::instance*>(obj_.ptr())->weakrefs != nullptr;
    }

    PyObject* f_;
    unsigned long const* draw_;
    unsigned long k_;
    py::object obj_;
    View* view_ = nullptr; // the C++ side of obj_, owned by it
};

// Any object is taken; one that is not callable fails at the first draw.
using DrawCallback = TypedObject<py::typing::Callable<py::typing::Optional<bool>(View)>>;

void draw_without_replacement(unsigned long k, unsigned long n, DrawCallback const& cb) {
    py::object const& f = cb.obj;
    if (k > n) return;
    // A draw array that cannot fit is refused before it is allocated and filled.
    ond::require_memory(k, sizeof(unsigned long));
    // The only subset of size 0 is the empty one: a single call.
    auto c = std::make_unique<unsigned long[]>(k);
    Visitor visit(f.ptr(), c.get(), k);
    if (k == 0) {
        visit();
        return;
    }
    for (unsigned long t = 0; t < k; ++t) c[t] = t;
    unsigned long const last = k - 1;
    for (;;) {
        for (unsigned long i = c[last]; i < n; ++i) {
            c[last] = i;
            if (!visit()) return;
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
    py::class_<View> cls(m, "SetReadOnly");
    cls.def("at", &checked_at)
        .def("size", [](View const& v) { return attached(v).size(); })
        .def("__iter__", [](Self<View> const& self) {
            View const& v = attached(self.obj.cast<View const&>());
            return safe_iterator<"SetReadOnlyIterator", unsigned long>(
                self.obj, &v, v.data(), v.data() + v.size(), by_value);
        });
    def_no_pickling(cls, "it is a view of the current draw, valid during its call only; pickle "
                         "list(view)");
}

void bind_algos(py::module_& m) { m.def("draw_without_replacement", &draw_without_replacement); }

} // namespace ondrex_py
