// Construction, sums and products of matrices. A product costs p x r x q expression products and
// one sort of q arguments per entry (O(p r q log q)); sums are linear in the element count.
#include "linalg/matrix.hpp"

#include "linalg/size_mismatch.hpp"

#include <algorithm>
#include <new>

namespace ond {

namespace {

// The exclusive-or node over `terms`, unsimplified: equal terms stay side by side, in ascending
// order, which is what inserting them one by one at their sorted place gives. Sorting once keeps
// an entry of a q-term product at O(q log q) instead of q insertions into a growing list.
Expr raw_sum(std::vector<Expr>&& terms) {
    std::stable_sort(terms.begin(), terms.end());
    return Expr(expr_type_id::add, ExprArgs(std::move(terms)));
}

} // namespace

unsigned long Matrix::element_count(unsigned long nlines, unsigned long ncols) {
    unsigned long n;
    if (__builtin_mul_overflow(nlines, ncols, &n)) throw std::bad_alloc();
    return Vector::fitting(n);
}

Matrix::Matrix(unsigned long ncols, std::initializer_list<Expr> const& l) : ncols_(0) {
    if (l.size() == 0 || ncols == 0 || l.size() % ncols != 0) return;
    storage().assign(l.begin(), l.end());
    ncols_ = ncols;
}

Matrix::Matrix(unsigned long nlines, unsigned long ncols)
    : Vector(element_count(nlines, ncols)), ncols_(ncols) {}

Matrix::Matrix(unsigned long nlines, unsigned long ncols, Expr const& e)
    : Vector(element_count(nlines, ncols), e), ncols_(ncols) {}

Matrix Matrix::from_storage(unsigned long ncols, Vector elts) {
    Matrix m;
    m.elements() = std::move(elts);
    m.ncols_ = ncols;
    return m;
}

Matrix Matrix::identity(unsigned long n) {
    Matrix m(n, n);
    for (unsigned long i = 0; i < n; ++i) m.at(i, i) = Expr::imm(true);
    return m;
}

bool Matrix::operator==(Matrix const& o) const {
    return &o == this || (ncols_ == o.ncols_ && elements() == o.elements());
}

Matrix& Matrix::operator+=(Matrix const& o) {
    if (!same_size(o)) throw errors::SizeMismatch();
    elements() += o.elements();
    return *this;
}

Matrix Matrix::operator+(Matrix const& o) const {
    if (!same_size(o)) throw errors::SizeMismatch();
    return from_storage(ncols_, elements() + o.elements());
}

Matrix Matrix::operator*(Matrix const& o) const {
    if (ncols_ != o.nlines()) throw errors::SizeMismatch();
    unsigned long p = nlines(), q = ncols_, r = o.ncols_;
    // At least an exclusive-or of q products per entry, before any product is formed.
    unsigned long entries;
    if (__builtin_mul_overflow(p, r, &entries)) throw std::bad_alloc();
    require_memory(entries, sizeof(Expr) + (q == 0 ? 0 : 16 + q * sizeof(Expr)));
    Vector elts;
    elts.reserve(p * r);
    std::vector<Expr> terms;
    for (unsigned long i = 0; i < p; ++i)
        for (unsigned long j = 0; j < r; ++j) {
            terms.reserve(q);
            for (unsigned long m = 0; m < q; ++m) terms.push_back(at(i, m) * o.at(m, j));
            elts.push_back(raw_sum(std::move(terms)));
            terms.clear();
        }
    return from_storage(r, std::move(elts));
}

Vector Matrix::operator*(Vector const& v) const {
    if (v.size() != ncols_) throw errors::SizeMismatch();
    Vector r;
    r.reserve(ncols_);
    if (ncols_ == 0) return r;
    std::vector<Expr> terms;
    for (unsigned long i = 0; i < nlines(); ++i) {
        terms.reserve(ncols_);
        for (unsigned long m = 0; m < ncols_; ++m) terms.push_back(at(i, m) * v[m]);
        r.push_back(raw_sum(std::move(terms)));
        terms.clear();
    }
    return r;
}

} // namespace ond
