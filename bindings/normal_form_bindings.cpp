// Python surface of the normal form and of truth tables: anf, truth_table, truth_table_bytes,
// anf_from_truth_table, lookup_table, anf_from_lookup_table, the Vector overloads of or_to_esf
// and or_to_esf_inplace, and the members of Expr that read a normal form or a symbol.
#include "common.hpp"
#include "families.hpp"
#include "python_int.hpp"
#include "references.hpp"

#include "analyses/anf.hpp"
#include "analyses/truth_table.hpp"
#include "expr/bad_type.hpp"
#include "expr/expr.hpp"
#include "expr/symbols.hpp"
#include "expr/symbols_set.hpp"
#include "linalg/vector.hpp"
#include "simps/or_rewriting.hpp"

#include <pybind11/typing.h>

#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>

using ond::Expr;
using ond::Vector;
using ond::analyses::TruthTable;
namespace an = ond::analyses;

namespace ondrex_py {

namespace {

using IntList = py::typing::List<py::int_>;

std::size_t table_bytes(TruthTable const& t) { return (t.rows() + 7) / 8; }

py::bytes bytes_of(TruthTable const& t) {
    return py::bytes(reinterpret_cast<char const*>(t.words().data()), table_bytes(t));
}

TruthTable table_of_int(py::int_ const& table, Vector const& inputs) {
    TruthTable t(an::checked_input_count(inputs.size()));
    auto w = words_from_int(table, t.rows(), "the truth table");
    std::copy(w.begin(), w.end(), t.words().begin());
    return t;
}

TruthTable table_of_bytes(py::bytes const& table, Vector const& inputs) {
    TruthTable t(an::checked_input_count(inputs.size()));
    std::string_view s = table;
    if (s.size() != table_bytes(t))
        throw std::invalid_argument("a truth table of " + std::to_string(t.inputs()) +
                                    " inputs takes " + std::to_string(table_bytes(t)) +
                                    " bytes, got " + std::to_string(s.size()));
    std::memcpy(t.words().data(), s.data(), s.size());
    if (t.words()[0] & ~t.word_mask())
        throw std::invalid_argument("the bits after the " + std::to_string(t.rows()) +
                                    " rows of the truth table must be 0");
    return t;
}

// One entry of a lookup table as a word; the width itself is checked with the other entries.
std::uint64_t lookup_entry(py::handle h, std::size_t r, unsigned nbits) {
    if (!PyLong_Check(h.ptr())) return h.cast<std::uint64_t>();
    unsigned long long v = PyLong_AsUnsignedLongLong(h.ptr());
    if (v == static_cast<unsigned long long>(-1) && PyErr_Occurred()) {
        PyErr_Clear();
        throw std::overflow_error("lookup table entry " + std::to_string(r) + " (" +
                                  py::repr(h).cast<std::string>() + ") does not fit in " +
                                  std::to_string(nbits) + " bits");
    }
    return v;
}

template <class T>
T rewritten(T const& x, void (*rewrite)(T&)) {
    T c(x);
    rewrite(c);
    return c;
}

void or_to_esf_all(Vector& v) {
    for (Expr& e : v) ond::simps::or_to_esf(e);
}

// The table of an expression, and of every element of a vector, in the form `as` gives.
template <class R, class As>
void def_table(py::module_& m, const char* name, As as, const char* doc) {
    m.def(
        name, [as](Expr const& e, Vector const& inputs) { return as(an::truth_table(e, inputs)); },
        py::arg("e"), py::arg("inputs"), doc);
    m.def(
        name,
        [as](Vector const& v, Vector const& inputs) {
            py::typing::List<R> r;
            for (TruthTable const& t : an::truth_tables(v, inputs)) r.append(as(t));
            return r;
        },
        py::arg("v"), py::arg("inputs"), "The truth table of every element, in the same form.");
}

void def_functions(py::module_& m) {
    m.def(
        "anf", [](Expr const& e) { return rewritten<Expr>(e, [](Expr& c) { an::anf(c); }); },
        py::arg("e"),
        "The algebraic normal form of e: Or nodes rewritten into ESF sums, ESF nodes expanded,\n"
        "then simplified. Two expressions are the same Boolean function exactly when their\n"
        "normal forms are equal.");
    m.def(
        "anf", [](Vector const& v) { return rewritten<Vector>(v, [](Vector& c) { an::anf(c); }); },
        py::arg("v"), "The algebraic normal form of every element.");

    def_table<py::int_>(
        m, "truth_table", [](TruthTable const& t) { return int_from_words(t.words()); },
        "The truth table of e over the inputs (distinct symbols, at most 30) as an int of 2**n\n"
        "bits: bit r is the value of e where input j is bit j of r.");
    def_table<py::bytes>(
        m, "truth_table_bytes", &bytes_of,
        "The truth table of e as bytes: row r is bit r % 8 of byte r // 8 (one byte below 3\n"
        "inputs, its unused bits 0).");
    m.def(
        "anf_from_truth_table",
        [](py::int_ const& table, Vector const& inputs) {
            return an::anf_from_truth_table(table_of_int(table, inputs), inputs);
        },
        py::arg("table"), py::arg("inputs"),
        "The algebraic normal form of the function whose truth table over the inputs is\n"
        "`table`, an int below 2**(2**n) or bytes, in the layout of truth_table.");
    m.def(
        "anf_from_truth_table",
        [](py::bytes const& table, Vector const& inputs) {
            return an::anf_from_truth_table(table_of_bytes(table, inputs), inputs);
        },
        py::arg("table"), py::arg("inputs"));
    m.def(
        "lookup_table",
        [](Vector const& outputs, Vector const& inputs) {
            IntList r;
            for (std::uint64_t v : an::lookup_table(outputs, inputs)) r.append(py::int_(v));
            return r;
        },
        py::arg("outputs"), py::arg("inputs"),
        "The lookup table of the vectorial function over the inputs: entry r holds output i\n"
        "at row r in its bit i (at most 64 outputs).");
    m.def(
        "anf_from_lookup_table",
        [](IntList const& table, Vector const& inputs, unsigned nbits) {
            unsigned n = an::checked_input_count(inputs.size());
            an::check_lookup_shape(table.size(), n, nbits);
            std::vector<std::uint64_t> entries;
            entries.reserve(table.size());
            for (std::size_t r = 0; r < table.size(); ++r)
                entries.push_back(lookup_entry(table[r], r, nbits));
            return an::anf_from_lookup_table(entries, inputs, nbits);
        },
        py::arg("table"), py::arg("inputs"), py::arg("nbits"),
        "The algebraic normal forms of the output bits of a lookup table (such as an S-box) of\n"
        "2**n entries below 2**nbits: element i is the normal form of bit i of the entries.");

    // The Vector overloads of the OR rewriting. The in-place one rewrites a copy first, so that
    // an Or too wide to rewrite leaves the vector as it was.
    m.def("or_to_esf_inplace", [](Vector& v) {
        Vector c = rewritten<Vector>(v, or_to_esf_all);
        before_change(&v, Change::values);
        for (std::size_t i = 0; i < v.size(); ++i) v[i] = std::move(c[i]);
    });
    m.def("or_to_esf", [](Vector const& v) { return rewritten<Vector>(v, or_to_esf_all); });
}

py::typing::List<py::typing::Tuple<ond::ExprSym, py::ellipsis>> monomial_tuples(Expr const& e) {
    py::typing::List<py::typing::Tuple<ond::ExprSym, py::ellipsis>> r;
    for (Expr const& m : an::monomials(e)) {
        auto f = an::factors(m);
        py::tuple t(f.size());
        for (std::size_t k = 0; k < f.size(); ++k) t[k] = py::cast(ond::ExprSym(f[k].sym_idx()));
        r.append(std::move(t));
    }
    return r;
}

IntList masks_of(Expr const& e, Vector const& inputs) {
    std::vector<std::uint64_t> w = an::monomial_masks(e, inputs);
    std::size_t words = (inputs.size() + 63) / 64;
    IntList r;
    if (words == 1) {
        for (std::uint64_t x : w) r.append(py::int_(x));
    } else {
        std::size_t count = an::monomials(e).size();
        for (std::size_t k = 0; k < count; ++k)
            r.append(int_from_words(std::span(w).subspan(k * words, words)));
    }
    return r;
}

void def_expr_members(py::class_<Expr> cls) {
    cls.def(
           "sym_name",
           [](Expr const& e) {
               if (!e.is_sym()) throw BadType("Sym", e.name());
               const char* n = ond::symbols().name(ond::ExprSym(e.sym_idx()));
               return n ? std::string(n) : std::to_string(e.sym_idx());
           },
           "The name of a symbol (\"_3\" for argument symbol 3). Throws a BadType exception for\n"
           "any other expression.")
        .def("degree", &an::degree,
             "The algebraic degree of an expression in normal form (see anf): the most symbols\n"
             "in one monomial; 0 for the constant 1, -1 for 0. ValueError for another form.")
        .def(
            "monomial_count", [](Expr const& e) { return an::monomials(e).size(); },
            "The number of monomials of an expression in normal form (the constant 1 counts).")
        .def("monomials", &monomial_tuples,
             "The monomials of an expression in normal form, in its order, each a tuple of its\n"
             "symbols in ascending index order (the constant 1 is the empty tuple).")
        .def("monomial_masks", &masks_of, py::arg("inputs"),
             "The monomials of an expression in normal form as masks over the inputs (distinct\n"
             "symbols): bit j is set when input j is a factor.")
        .def("symbols", &ond::symbols_of, "Every symbol that occurs in the expression.");
}

} // namespace

void bind_normal_forms(py::module_& m) {
    def_functions(m);
    def_expr_members(py::reinterpret_borrow<py::class_<Expr>>(m.attr("Expr")));
}

} // namespace ondrex_py
