// Python surface of the expression model, arithmetic and symbols: ExprType, ExprArgs, Expr,
// ExprSym, ExprWithArgs, imm, symbol and arg_symbol.
#include "common.hpp"
#include "families.hpp"
#include "pending_terms.hpp"
#include "pickling.hpp"
#include "references.hpp"
#include "safe_iterator.hpp"

#include "expr/bad_type.hpp"
#include "expr/expr.hpp"
#include "expr/print.hpp"
#include "expr/serialize.hpp"
#include "expr/symbols.hpp"
#include "linalg/subs.hpp"
#include "simps/simplify.hpp"

#include <pybind11/typing.h>

#include <map>

using ond::Expr;
using ond::ExprArgs;
using ond::expr_type_id;

// Named selections of overloaded core operations, exported beside the core.
OND_API bool (Expr::*expr_eq)(Expr const&) const = &Expr::operator==;
OND_API bool (Expr::*expr_neq)(Expr const&) const = &Expr::operator!=;
OND_API Expr const& (ExprArgs::*exprargs_at)(ExprArgs::size_type) const = &ExprArgs::operator[];

namespace ondrex_py {

namespace {

Self<ExprArgs> checked_args(Self<Expr> const& self) {
    Expr& e = self.obj.cast<Expr&>();
    if (!e.has_args()) throw BadType(e.name());
    return {reference_into(self.obj, &e, e.args())};
}

// An in-place operator on the left operand's own object: the references below it are detached
// first, since the operation may rebuild or free the argument lists they designate.
template <class Op>
auto in_place(Op op) {
    return [op](Self<Expr> self, Expr const& b) {
        Expr& e = self.obj.cast<Expr&>();
        std::optional<Expr> copy;
        Expr const& operand = stable_operand(e, b, copy);
        before_change(&e, Change::shape);
        op(e, operand);
        return self;
    };
}

// `e += b`: single terms wait in a batch (pending_terms.hpp) when they can; the operand is
// loaded, and so settled, before anything else, and `e` itself is taken without settling.
Self<Expr> add_in_place(Self<Expr> self, Expr const& b) {
    require_value<Expr>(self.obj);
    py::detail::type_caster_base<Expr> raw;
    if (!raw.load(self.obj, false)) throw py::reference_cast_error();
    Expr& e = *static_cast<Expr*>(raw.value);
    std::optional<Expr> copy;
    Expr const& operand = stable_operand(e, b, copy);
    before_change(&e, Change::shape);
    if (!add_pending(self.obj, e, operand)) e += operand;
    return self;
}

Expr node_with_args(expr_type_id t, ExprArgs args) {
    switch (t) {
    case expr_type_id::add:
    case expr_type_id::mul:
    case expr_type_id::or_: return Expr(t, std::move(args));
    default: throw BadType("invalid");
    }
}

// ExprType(value): the member rebuilt from its value.
py::tuple enum_reduction(expr_type_id t) {
    return py::make_tuple(py::type::handle_of(py::cast(t)), py::make_tuple(static_cast<int>(t)));
}

// Validates the kind before converting any element.
void check_with_args_kind(expr_type_id t) {
    if (t != expr_type_id::add && t != expr_type_id::mul && t != expr_type_id::or_)
        throw BadType("invalid");
}

} // namespace

void bind_expr_type(py::module_& m) {
    py::enum_<expr_type_id>(m, "ExprType", "Enum of the various expression types")
        .value("esf", expr_type_id::esf)
        .value("mul", expr_type_id::mul)
        .value("add", expr_type_id::add)
        .value("or_", expr_type_id::or_)
        .value("sym", expr_type_id::sym)
        .value("imm", expr_type_id::imm)
        // By value at every protocol: pickle's fallback for protocols 0 and 1 cannot build it.
        .def("__reduce_ex__", [](expr_type_id t, int) { return enum_reduction(t); })
        .def("__reduce__", &enum_reduction);
}

// Only the class: its members name Expr in their signatures, so they are defined once Expr is
// registered (bind_expr), and the module keeps ExprArgs before Expr.
void bind_expr_args(py::module_& m) {
    py::class_<ExprArgs>(m, "ExprArgs", "Represents the argument of an expression");
}

namespace {

void def_expr_args_members(py::class_<ExprArgs> cls) {
    cls.def("__iter__",
            [](Self<ExprArgs> const& self) {
                ExprArgs& a = self.obj.cast<ExprArgs&>();
                return safe_iterator<"ExprArgsIterator", Expr>(self.obj, &a, a.begin(), a.end(),
                                                               element_reference);
            })
        .def("size", &ExprArgs::size)
        .def("len", &ExprArgs::size)
        .def("__len__", &ExprArgs::size)
        .def(
            "__getitem__",
            [](Self<ExprArgs> const& self, ExprArgs::size_type i) -> Self<Expr> {
                ExprArgs const& a = self.obj.cast<ExprArgs const&>();
                if (i >= a.size()) throw py::index_error("argument index out of range");
                return {reference_into(self.obj, &a, const_cast<Expr&>((a.*exprargs_at)(i)))};
            });
    def_no_pickling(cls, "it is a view of an expression's arguments; pickle the expression, or "
                         "list(args)");
}

} // namespace

void bind_expr(py::module_& m) {
    py::class_<Expr> cls(m, "Expr", "Represents a symbolic boolean expression");
    def_expr_args_members(py::reinterpret_borrow<py::class_<ExprArgs>>(m.attr("ExprArgs")));
    cls.def("has_args", &Expr::has_args)
        .def(
            "__add__", [](Expr const& a, Expr const& b) { return a + b; }, py::is_operator())
        .def("__iadd__", &add_in_place, py::is_operator())
        .def(
            "__mul__", [](Expr const& a, Expr const& b) { return a * b; }, py::is_operator())
        .def("__imul__", in_place([](Expr& a, Expr const& b) { a *= b; }),
             py::is_operator())
        .def(
            "__or__", [](Expr const& a, Expr const& b) { return a | b; }, py::is_operator())
        .def("__ior__", in_place([](Expr& a, Expr const& b) { a |= b; }),
             py::is_operator())
        .def("__repr__", [](Expr const& e) { return ond::expr_text(e); })
        .def("__eq__", expr_eq)
        .def("__ne__", expr_neq)
        .def("__lt__", [](Expr const& a, Expr const& b) { return a < b; })
        .def("args", &checked_args,
             "Returns a reference to an ExprArgs object if this expression\t\t\t\tcontains "
             "arguments. Throws a BadType exception otherwise")
        .def("type", &Expr::type)
        .def(
            "sym_idx",
            [](Expr const& e) {
                if (!e.is_sym()) throw BadType("Sym", e.name());
                return e.sym_idx();
            },
            "Returns the index associated to a symbol is this expression is\t\t\t\ta symbol. "
            "Throws a BadType exception otherwise")
        .def("imm_value",
             [](Expr const& e) {
                 if (!e.is_imm()) throw BadType("Imm", e.name());
                 return e.imm_value();
             })
        .def("is_imm", [](Expr const& e) { return e.is_imm(); })
        .def("is_sym", &Expr::is_sym)
        .def("is_add", &Expr::is_add)
        .def("is_mul", &Expr::is_mul)
        .def("is_esf", &Expr::is_esf)
        .def("name", &Expr::name)
        .def("contains", &Expr::contains,
             "Returns true iif arg0 is in self. This does not try to search for\t\t\t\tit "
             "recursively")
        .def(
            "anf_esf_max_degree",
            // A leaf has no monomial, so no ESF can hide in it.
            [](Expr const& e) { return e.has_args() ? e.anf_esf_max_degree() : 0u; },
            "Returns the maximum possible degree that a potential ESF could\t\t\t\thave in the "
            "expression. This is used by find_esfs")
        .def("esf_degree",
             [](Expr const& e) -> unsigned {
                 // "SF", not "ESF" or "SEF": deliberately the name the interface fixes for
                 // this message; Python callers and the bad-input tests match on it.
                 if (!e.is_esf()) throw BadType("SF", e.name());
                 return e.esf_degree();
             })
        .def(
            "copy", [](Expr const& e) { return Expr(e); }, "Create a deep copy of the expression")
        .def("__hash__", &Expr::hash)
        .def("eval", [](Expr const& e, std::map<Expr, Expr> const& m) {
            Expr c(e);
            ond::subs_map(c, m);
            ond::simps::simplify(c);
            return c;
        });
    def_pickling(cls, [](Expr const& e) { return ond::encode(e); }, &ond::decode_expr);
    watch_pending(cls);
}

void bind_expr_sym(py::module_& m) {
    py::class_<ond::ExprSym, Expr> cls(m, "ExprSym");
    def_pickling(cls, [](ond::ExprSym const& e) { return ond::encode(e); },
                 [](std::string_view b) {
                     Expr e = ond::decode_expr(b);
                     if (!e.is_sym())
                         throw ond::errors::BadEncoding(std::string("an ExprSym cannot hold an ") +
                                                        e.name() + " expression");
                     return ond::ExprSym(e.sym_idx());
                 });
}

void bind_expr_with_args(py::module_& m) {
    m.def("ExprWithArgs", [](expr_type_id t, py::typing::List<Expr> l) {
        check_with_args_kind(t);
        ExprArgs a;
        a.reserve(l.size());
        for (py::handle h : l) a.push_back(h.cast<Expr const&>());
        a.sort();
        return node_with_args(t, std::move(a));
    });
    m.def("ExprWithArgs", [](expr_type_id t, ExprArgs const& a) { return node_with_args(t, a); });
}

void bind_imm(py::module_& m) {
    m.def("imm", [](int v) { return Expr::imm(v != 0); });
}

void bind_symbol_functions(py::module_& m) {
    m.def("symbol", [](std::string const& name) {
        // The table keys names as C strings: an embedded NUL would silently alias a shorter name.
        if (name.find('\0') != std::string::npos)
            throw py::value_error("symbol names cannot contain NUL characters");
        return ond::symbol(name.c_str());
    });
    m.def("arg_symbol", [](std::uint32_t i) { return ond::arg_symbol(i); });
}

} // namespace ondrex_py
