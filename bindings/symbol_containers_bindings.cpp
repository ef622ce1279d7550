// Python surface of the symbol containers: SymbolsSet, SymbolsHist and SymbolsHistValue.
#include <pybind11/pybind11.h>

#include "expr/symbols_hist.hpp"
#include "expr/symbols_set.hpp"

#include <cstdint>
#include <utility>

#include "common.hpp"
#include "families.hpp"
#include "pickling.hpp"
#include "references.hpp"
#include "safe_iterator.hpp"

#include "expr/bad_type.hpp"
#include "expr/print.hpp"
#include "expr/serialize.hpp"

using ond::Expr;
using ond::SymbolsHist;
using ond::SymbolsSet;

// Named selections of overloaded core operations, exported beside the core.
OND_API bool (SymbolsSet::*syms_set_insert)(Expr const&) = &SymbolsSet::insert;
OND_API bool (SymbolsSet::*syms_set_has)(Expr const&) const = &SymbolsSet::has;
OND_API bool (SymbolsHist::*syms_hist_compute)(Expr const&) = &SymbolsHist::compute;
OND_API bool (SymbolsHist::*syms_hist_compute_args_mul)(Expr const&,
                                                         std::uint32_t) = &SymbolsHist::compute;

namespace ondrex_py {

namespace {

using HistValue = std::pair<ond::ExprSym, unsigned int>;

// The core reads any expression as a symbol index; from Python another kind is an error.
Expr const& checked_sym(Expr const& e) {
    if (!e.is_sym()) throw BadType("Sym", e.name());
    return e;
}

bool set_has(SymbolsSet const& s, Expr const& e) { return (s.*syms_set_has)(checked_sym(e)); }

// compute replaces the whole content, except for an expression not in ANF, which it refuses.
void before_compute(SymbolsHist const& h, Expr const& e) {
    if (e.is_anf()) before_change(&h, Change::shape);
}

} // namespace

void bind_symbol_containers(py::module_& m) {
    py::class_<SymbolsSet> set(m, "SymbolsSet");
    set.def(py::init<>())
        .def("insert",
             [](SymbolsSet& s, Expr const& e) {
                 if (set_has(s, e)) return false;
                 before_change(&s, Change::shape);
                 return (s.*syms_set_insert)(e);
             })
        .def("has", &set_has)
        .def("size", &SymbolsSet::size)
        .def("empty", &SymbolsSet::empty)
        .def("__contains__", &set_has)
        .def("__iter__",
             [](Self<SymbolsSet> const& self) {
                 auto& s = self.obj.cast<SymbolsSet const&>();
                 return safe_iterator<"SymbolsSetIterator", ond::ExprSym>(self.obj, &s, s.begin(),
                                                                          s.end(), by_value);
             })
        .def("__len__", &SymbolsSet::size);
    def_pickling(set, [](SymbolsSet const& s) { return ond::encode(s); },
                 &ond::decode_symbols_set);

    // Both classes exist before the histogram's members are bound, so that the signature of
    // its __iter__ names SymbolsHistValue rather than the C++ pair.
    py::class_<SymbolsHist> hist(m, "SymbolsHist");
    py::class_<HistValue> value(m, "SymbolsHistValue");

    hist.def(py::init<>())
        .def("compute",
             [](SymbolsHist& h, Expr const& e) {
                 before_compute(h, e);
                 return (h.*syms_hist_compute)(e);
             })
        .def("compute",
             [](SymbolsHist& h, Expr const& e, std::uint32_t n) {
                 before_compute(h, e);
                 return (h.*syms_hist_compute_args_mul)(e, n);
             })
        .def("size", &SymbolsHist::size)
        .def("empty", &SymbolsHist::empty)
        .def("__iter__",
             [](Self<SymbolsHist> const& self) {
                 auto& h = self.obj.cast<SymbolsHist const&>();
                 return safe_iterator<"SymbolsHistIterator", HistValue>(self.obj, &h, h.begin(),
                                                                        h.end(), by_value);
             })
        .def("__len__", &SymbolsHist::size);
    def_pickling(hist, [](SymbolsHist const& h) { return ond::encode(h); },
                 &ond::decode_symbols_hist);

    value.def("sym", [](HistValue const& v) { return v.first; })
        .def("count", [](HistValue const& v) { return v.second; })
        .def("__repr__", [](HistValue const& v) {
            return "<" + ond::expr_text(v.first) + ": " + std::to_string(v.second) + ">";
        });
    def_pickling(value, [](HistValue const& v) { return ond::encode(v); },
                 &ond::decode_symbols_hist_value);
}

} // namespace ondrex_py
