#include "linalg/vector.hpp"

#include "linalg/size_mismatch.hpp"

#include <algorithm>

namespace ond {

namespace {

constexpr unsigned long int_bits = 64;

void check_same_length(Vector const& a, Vector const& b) {
    if (a.size() != b.size()) throw errors::SizeMismatch();
}

// Shared walk of both integer readers: `bit_of(i, n)` is the bit that element i stands for.
template <class BitOf>
unsigned long read_int(Vector const& v, bool* ok, BitOf bit_of) {
    unsigned long n = std::min<unsigned long>(v.size(), int_bits);
    unsigned long r = 0;
    for (unsigned long i = 0; i < n; ++i) {
        Expr const& e = v[i];
        if (!e.is_imm()) {
            if (ok) *ok = false;
            return r;
        }
        if (e.imm_value()) r |= 1ul << bit_of(i, n);
    }
    if (ok) *ok = true;
    return r;
}

// What an element-wise operator gives for a vector combined with itself: the null vector
// (x + x) or the vector itself (x * x, x | x). The alias is answered before the lengths are
// compared.
enum class WithItself { null, same };

// The element-wise combination `op` of two vectors of equal length, into a fresh vector.
template <class Op>
Vector combined(Vector const& a, Vector const& b, WithItself self, Op op) {
    if (&a == &b) return self == WithItself::null ? Vector(a.size()) : a;
    check_same_length(a, b);
    Vector r;
    r.reserve(a.size());
    for (Vector::size_type i = 0; i < a.size(); ++i) r.push_back(op(a[i], b[i]));
    return r;
}

// The same in place: `op_into(x, y)` applies the operation to the element x.
template <class OpInto>
Vector& combine_into(Vector& a, Vector const& b, WithItself self, OpInto op_into) {
    if (&a == &b) {
        if (self == WithItself::null) a.set_null();
        return a;
    }
    check_same_length(a, b);
    for (Vector::size_type i = 0; i < a.size(); ++i) op_into(a[i], b[i]);
    return a;
}

} // namespace

void Vector::set_null() { std::fill(elts_.begin(), elts_.end(), Expr()); }

// Every element is reset, the value 0 included, so that setting 0 reads back as 0.
void Vector::set_int_be(unsigned long value, unsigned short nbits) {
    elts_.assign(nbits, Expr());
    for (unsigned i = 0; i < nbits && value != 0; ++i, value >>= 1)
        if (value & 1) elts_[i] = Expr::imm(true);
}

void Vector::set_int_le(unsigned long value, unsigned short nbits) {
    elts_.assign(nbits, Expr());
    for (unsigned i = 0; i < nbits && value != 0; ++i, value >>= 1)
        if (value & 1) elts_[nbits - 1 - i] = Expr::imm(true);
}

unsigned long Vector::get_int_be(bool* ok) const {
    return read_int(*this, ok, [](unsigned long i, unsigned long) { return i; });
}

unsigned long Vector::get_int_le(bool* ok) const {
    return read_int(*this, ok, [](unsigned long i, unsigned long n) { return n - 1 - i; });
}

Vector Vector::operator<<(unsigned long k) const {
    Vector r(*this);
    r <<= k;
    return r;
}

Vector& Vector::operator<<=(unsigned long k) {
    if (k >= size()) {
        set_null();
        return *this;
    }
    std::move(elts_.begin() + k, elts_.end(), elts_.begin());
    std::fill(elts_.end() - k, elts_.end(), Expr());
    return *this;
}

Vector Vector::operator>>(unsigned long k) const {
    Vector r(size());
    if (k < size()) std::copy(elts_.begin(), elts_.end() - k, r.elts_.begin() + k);
    return r;
}

Vector& Vector::operator>>=(unsigned long k) {
    if (k >= size()) {
        set_null();
        return *this;
    }
    std::move_backward(elts_.begin(), elts_.end() - k, elts_.end());
    std::fill(elts_.begin(), elts_.begin() + k, Expr());
    return *this;
}

Vector Vector::operator+(Vector const& o) const {
    return combined(*this, o, WithItself::null, [](Expr const& x, Expr const& y) { return x + y; });
}

Vector& Vector::operator+=(Vector const& o) {
    return combine_into(*this, o, WithItself::null, [](Expr& x, Expr const& y) { x += y; });
}

Vector Vector::operator*(Vector const& o) const {
    return combined(*this, o, WithItself::same, [](Expr const& x, Expr const& y) { return x * y; });
}

Vector& Vector::operator*=(Vector const& o) {
    return combine_into(*this, o, WithItself::same, [](Expr& x, Expr const& y) { x *= y; });
}

Vector Vector::operator|(Vector const& o) const {
    return combined(*this, o, WithItself::same, [](Expr const& x, Expr const& y) { return x | y; });
}

Vector& Vector::operator|=(Vector const& o) {
    return combine_into(*this, o, WithItself::same, [](Expr& x, Expr const& y) { x |= y; });
}

namespace {

// Every element that is not an immediate takes a copy of `e` into its product.
void require_product_memory(Vector const& v, Expr const& e) {
    std::size_t fp = heap_footprint(e);
    if (fp == 0) return;
    std::size_t n = 0;
    for (Expr const& x : v) n += !x.is_imm();
    require_memory(n, fp);
}

} // namespace

Vector Vector::operator*(Expr const& e) const {
    require_product_memory(*this, e);
    Vector r;
    r.reserve(size());
    for (Expr const& x : elts_) r.push_back(x * e);
    return r;
}

Vector& Vector::operator*=(Expr const& e) {
    require_product_memory(*this, e);
    for (Expr& x : elts_) x *= e;
    return *this;
}

bool Vector::operator==(Vector const& o) const { return &o == this || elts_ == o.elts_; }

} // namespace ond
