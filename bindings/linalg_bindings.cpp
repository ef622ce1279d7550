// Python surface of vectors and matrices: Vector, Matrix (with Matrix.inverse) and the plain
// class VectorNotImmediate.
#include "common.hpp"
#include "families.hpp"
#include "pickling.hpp"
#include "references.hpp"
#include "safe_iterator.hpp"
#include "typed_object.hpp"
#include "vector_not_immediate.hpp"

#include "expr/expr.hpp"
#include "linalg/matrix.hpp"
#include "linalg/print_linalg.hpp"
#include "linalg/serialize_linalg.hpp"
#include "linalg/vector.hpp"

using ond::Expr;
using ond::Matrix;
using ond::Vector;

// Named selections of overloaded core operations, exported beside the core.
OND_API Expr& (Vector::*vector_at)(Vector::size_type) = &Vector::at;
OND_API Vector (Vector::*vector_lshift)(unsigned long) const = &Vector::operator<<;
OND_API Vector (Vector::*vector_rshift)(unsigned long) const = &Vector::operator>>;
OND_API Expr& (Matrix::*matrix_at)(unsigned long, unsigned long) = &Matrix::at;

namespace ondrex_py {

namespace {

Expr& checked_at(Vector& v, Vector::size_type i) {
    if (i >= v.size()) throw py::index_error("vector index out of range");
    return (v.*vector_at)(i);
}

Self<Expr> element_at(Self<Vector> const& self, Vector::size_type i) {
    Vector& v = self.obj.cast<Vector&>();
    return {reference_into(self.obj, &v, checked_at(v, i))};
}

// Sets the vector from an integer; another bit count moves or drops the elements.
template <void (Vector::*set)(unsigned long, unsigned short)>
void set_int(Vector& v, unsigned long value, unsigned short nbits) {
    before_change(&v, nbits == v.size() ? Change::values : Change::shape);
    (v.*set)(value, nbits);
}

Vector slice_of(Vector const& v, py::slice const& s) {
    py::ssize_t start, stop, step, len;
    if (!s.compute(static_cast<py::ssize_t>(v.size()), &start, &stop, &step, &len))
        throw py::error_already_set();
    Vector r;
    r.reserve(static_cast<Vector::size_type>(len));
    for (py::ssize_t k = 0; k < len; ++k, start += step)
        r.push_back(v[static_cast<Vector::size_type>(start)]);
    return r;
}

template <class Integer>
Integer read_int(Vector const& v, Integer (Vector::*get)(bool*) const) {
    bool ok = true;
    Integer r = (v.*get)(&ok);
    if (!ok) throw VectorNotImmediate();
    return r;
}

// An in-place operator on the left operand's own object, handed back as itself.
template <class T, class Arg, class Op>
auto in_place(Op op) {
    return [op](Self<T> self, Arg const& b) {
        T& x = self.obj.template cast<T&>();
        std::optional<Arg> copy;
        Arg const& operand = stable_operand(x, b, copy);
        before_change(&x, Change::values);
        op(x, operand);
        return self;
    };
}

// Any object is taken: one that is not callable fails at its first call, so only when the
// matrix has elements.
using ElementFunction = TypedObject<py::typing::Callable<Expr(unsigned long, unsigned long)>>;

Matrix matrix_from_callable(unsigned long nl, unsigned long nc, ElementFunction const& fn) {
    py::object const& f = fn.obj;
    Vector elts;
    elts.reserve(Matrix::element_count(nl, nc));
    for (unsigned long i = 0; i < nl; ++i)
        for (unsigned long j = 0; j < nc; ++j) elts.push_back(f(i, j).cast<Expr>());
    return Matrix::from_storage(nc, std::move(elts));
}

} // namespace

void bind_vector(py::module_& m) {
    py::class_<Vector> cls(m, "Vector", "Represents a vector of Expr objects");
    cls.def(py::init<Vector::size_type>())
        .def(py::init<Vector::size_type, Expr const&>())
        .def(py::init<Vector const&>())
        .def("at", &element_at)
        .def("size", &Vector::size)
        .def("set_null",
             [](Vector& v) {
                 before_change(&v, Change::values);
                 v.set_null();
             })
        .def("set_int_be", &set_int<&Vector::set_int_be>)
        .def("set_int_le", &set_int<&Vector::set_int_le>)
        .def("get_int_be", [](Vector const& v) { return read_int(v, &Vector::get_int_be); })
        .def("get_int_le", [](Vector const& v) { return read_int(v, &Vector::get_int_le); })
        .def("__iter__",
             [](Self<Vector> const& self) {
                 Vector& v = self.obj.cast<Vector&>();
                 return safe_iterator<"VectorIterator", Expr>(self.obj, &v, v.begin(), v.end(),
                                                              element_reference);
             })
        .def(
            "__add__", [](Vector const& a, Vector const& b) { return a + b; }, py::is_operator())
        .def("__iadd__", in_place<Vector, Vector>([](Vector& a, Vector const& b) { a += b; }),
             py::is_operator())
        .def(
            "__mul__", [](Vector const& a, Vector const& b) { return a * b; }, py::is_operator())
        .def("__imul__", in_place<Vector, Vector>([](Vector& a, Vector const& b) { a *= b; }),
             py::is_operator())
        .def(
            "__mul__", [](Vector const& a, Expr const& e) { return a * e; }, py::is_operator())
        .def("__imul__", in_place<Vector, Expr>([](Vector& a, Expr const& e) { a *= e; }),
             py::is_operator())
        .def(
            "__or__", [](Vector const& a, Vector const& b) { return a | b; }, py::is_operator())
        .def("__ior__", in_place<Vector, Vector>([](Vector& a, Vector const& b) { a |= b; }),
             py::is_operator())
        .def("__getitem__", &element_at)
        .def("__getitem__", &slice_of)
        .def("__setitem__",
             [](Vector& v, Vector::size_type i, Expr const& e) {
                 std::optional<Expr> copy;
                 Expr const& value = stable_operand(v, e, copy);
                 Expr& slot = checked_at(v, i);
                 before_change(&v, Change::values);
                 slot = value;
             })
        .def("__len__", &Vector::size)
        .def("__repr__", &ond::vector_text)
        .def("__lshift__", vector_lshift)
        .def("__rshift__", vector_rshift)
        .def("__eq__", [](Vector const& a, Vector const& b) { return a == b; })
        .def("__ne__", [](Vector const& a, Vector const& b) { return a != b; });
    def_pickling(cls, [](Vector const& v) { return ond::encode(v); }, &ond::decode_vector);
}

void bind_matrix(py::module_& m) {
    py::class_<Matrix> cls(m, "Matrix", "Represents a matrix of Expr objects");
    cls.def(py::init<unsigned long, unsigned long>())
        .def(py::init<unsigned long, unsigned long, Expr const&>())
        .def(py::init(&matrix_from_callable))
        .def("nlines", &Matrix::nlines)
        .def("ncols", &Matrix::ncols)
        .def("same_size", &Matrix::same_size)
        .def("inverse", &Matrix::inverse)
        .def(
            "at",
            [](Self<Matrix> const& self, unsigned long i, unsigned long j) -> Self<Expr> {
                Matrix& a = self.obj.cast<Matrix&>();
                if (i >= a.nlines() || j >= a.ncols())
                    throw py::index_error("matrix index out of range");
                return {reference_into(self.obj, &a, (a.*matrix_at)(i, j))};
            })
        .def(
            "__add__", [](Matrix const& a, Matrix const& b) { return a + b; }, py::is_operator())
        .def("__iadd__", in_place<Matrix, Matrix>([](Matrix& a, Matrix const& b) { a += b; }),
             py::is_operator())
        .def(
            "__mul__", [](Matrix const& a, Matrix const& b) { return a * b; }, py::is_operator())
        .def(
            "__mul__", [](Matrix const& a, Vector const& v) { return a * v; }, py::is_operator())
        // Reached through the class; called on an instance, the instance takes the size's place.
        .def("identity", &Matrix::identity)
        .def("__iter__",
             [](Self<Matrix> const& self) {
                 Matrix& a = self.obj.cast<Matrix&>();
                 return safe_iterator<"MatrixIterator", Expr>(self.obj, &a, a.begin(), a.end(),
                                                              element_reference);
             })
        .def("__repr__", &ond::matrix_text)
        .def("__eq__", [](Matrix const& a, Matrix const& b) { return a == b; })
        .def("__ne__", [](Matrix const& a, Matrix const& b) { return a != b; });
    def_pickling(cls, [](Matrix const& a) { return ond::encode(a); }, &ond::decode_matrix);
}

void bind_vector_not_immediate(py::module_& m) {
    py::class_<VectorNotImmediate> cls(m, "VectorNotImmediate");
    def_no_pickling(cls, "it is the error of get_int_be and get_int_le, not a value");
}

} // namespace ondrex_py
