// Matrix: a rectangular array of expressions stored line by line (row-major), built on a private
// Vector of elements plus the column count. Sums, products and GF(2) elimination and inverse.
#pragma once

#include "expr/expr.hpp"
#include "expr/export.hpp"
#include "linalg/vector.hpp"

#include <initializer_list>
#include <vector>

namespace ond {

class OND_API Matrix : private Vector {
public:
    using Vector::const_iterator;
    using Vector::iterator;
    using Vector::size_type;

    Matrix() : ncols_(0) {}
    // The elements in row-major order. A list that is empty or whose length is not a multiple
    // of `ncols` gives the empty matrix with column count 0; `ncols` 0 needs an empty list.
    Matrix(unsigned long ncols, std::initializer_list<Expr> const& l);
    // nlines x ncols immediates 0.
    Matrix(unsigned long nlines, unsigned long ncols);
    // nlines x ncols copies of `e`.
    Matrix(unsigned long nlines, unsigned long ncols, Expr const& e);

    // Takes over `elts` as the row-major storage; its size must be a multiple of `ncols`
    // (0 when `ncols` is 0).
    static Matrix from_storage(unsigned long ncols, Vector elts);
    // nlines x ncols, or the allocation failure when no storage can hold that many elements.
    static unsigned long element_count(unsigned long nlines, unsigned long ncols);
    // n x n with the immediate 1 on the diagonal; n = 0 gives the empty matrix.
    static Matrix identity(unsigned long n);

    unsigned long nlines() const { return ncols_ == 0 ? 0 : size() / ncols_; }
    unsigned long ncols() const { return ncols_; }
    // Same column count and same element count.
    bool same_size(Matrix const& o) const { return ncols_ == o.ncols_ && size() == o.size(); }

    // No range test.
    Expr& at(unsigned long i, unsigned long j) { return (*this)[i * ncols_ + j]; }
    Expr const& at(unsigned long i, unsigned long j) const { return (*this)[i * ncols_ + j]; }

    // Every element in storage order, for the passes that rewrite each of them.
    using Vector::begin;
    using Vector::end;
    Vector& elements() { return *this; }
    Vector const& elements() const { return *this; }

    bool operator==(Matrix const& o) const;
    bool operator!=(Matrix const& o) const { return !(*this == o); }

    // Entry-wise exclusive-or; SizeMismatch unless same_size.
    Matrix& operator+=(Matrix const& o);
    Matrix operator+(Matrix const& o) const;
    // The p x r product of this p x q matrix by a q x r one: each entry an unsimplified Add of
    // q products. SizeMismatch when the column count differs from the other's line count.
    Matrix operator*(Matrix const& o) const;
    // The product by a column vector of length ncols(): one unsimplified Add per line.
    Vector operator*(Vector const& v) const;

    // Line and column operations of the elimination; no range test.
    void swap_lines(unsigned long a, unsigned long b);
    void swap_cols(unsigned long a, unsigned long b);
    // Line dst += line src.
    void add_lines(unsigned long dst, unsigned long src);
    // Line i moves to line perm[i].
    void permute_rows(std::vector<unsigned long> const& perm);

    // Brings a copy U of this matrix (or U itself when &U == this) to upper-triangular form with
    // full pivoting on entries equal to the immediate 1, so that T x A x P = U with P the
    // permutation whose column c selects column perm[c]. Returns the number of pivots.
    unsigned long T_fact(Matrix& T, Matrix& U, std::vector<unsigned long>& perm) const;
    // The inverse over GF(2), or the empty matrix when the matrix is not square, is singular,
    // or holds an entry that is not an immediate.
    Matrix inverse() const;

private:
    unsigned long ncols_;
};

} // namespace ond
