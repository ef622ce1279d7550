// Gaussian elimination over GF(2) with full pivoting (T_fact) and the inverse.
// Cost: O(nl x nc x min(nl, nc)) entry operations on expressions. A matrix of immediates is
// packed 64 entries to a word first: T_fact then takes O(nl x nc x min(nl, nc) / 64) word
// operations and inverse about n^3 / 512 (tables of line sums), so that packing and unpacking,
// linear in the element count, dominate.
#include "linalg/matrix_elimination.hpp"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <new>
#include <numeric>
#include <utility>

namespace ond {

void Matrix::swap_lines(unsigned long a, unsigned long b) {
    if (a == b) return;
    for (unsigned long c = 0; c < ncols_; ++c) std::swap(at(a, c), at(b, c));
}

void Matrix::swap_cols(unsigned long a, unsigned long b) {
    if (a == b) return;
    for (unsigned long i = 0; i < nlines(); ++i) std::swap(at(i, a), at(i, b));
}

void Matrix::add_lines(unsigned long dst, unsigned long src) {
    for (unsigned long c = 0; c < ncols_; ++c) at(dst, c) += at(src, c);
}

void Matrix::permute_rows(std::vector<unsigned long> const& perm) {
    Matrix copy(*this);
    for (unsigned long i = 0; i < copy.nlines(); ++i)
        for (unsigned long c = 0; c < ncols_; ++c) at(perm[i], c) = copy.at(i, c);
}

namespace {

using word = std::uint64_t;
constexpr unsigned word_bits = 64;

// A 0/1 matrix packed line by line, 64 entries to a word, with the primitives of Matrix.
class BitMatrix {
public:
    BitMatrix() = default;
    BitMatrix(unsigned long nl, unsigned long nc)
        : nl_(nl), nc_(nc), stride_((nc + word_bits - 1) / word_bits), w_(nl * stride_, 0) {}

    static BitMatrix identity(unsigned long n) {
        BitMatrix m(n, n);
        for (unsigned long i = 0; i < n; ++i) m.set(i, i);
        return m;
    }

    unsigned long nlines() const { return nl_; }
    unsigned long ncols() const { return nc_; }
    unsigned long stride() const { return stride_; }
    word* line(unsigned long i) { return w_.data() + i * stride_; }
    word const* line(unsigned long i) const { return w_.data() + i * stride_; }
    bool get(unsigned long i, unsigned long j) const {
        return (line(i)[j / word_bits] >> (j % word_bits)) & 1;
    }
    void set(unsigned long i, unsigned long j) {
        line(i)[j / word_bits] |= word(1) << (j % word_bits);
    }

    void swap_lines(unsigned long a, unsigned long b) {
        if (a != b) std::swap_ranges(line(a), line(a) + stride_, line(b));
    }
    void swap_cols(unsigned long a, unsigned long b) {
        if (a == b) return;
        unsigned long wa = a / word_bits, wb = b / word_bits;
        unsigned sa = a % word_bits, sb = b % word_bits;
        for (unsigned long i = 0; i < nl_; ++i) {
            word* l = line(i);
            if (((l[wa] >> sa) ^ (l[wb] >> sb)) & 1) {
                l[wa] ^= word(1) << sa;
                l[wb] ^= word(1) << sb;
            }
        }
    }
    void add_lines(unsigned long dst, unsigned long src) {
        word* d = line(dst);
        word const* s = line(src);
        for (unsigned long k = 0; k < stride_; ++k) d[k] ^= s[k];
    }
    void permute_rows(std::vector<unsigned long> const& perm) {
        std::vector<word> old(w_);
        for (unsigned long i = 0; i < nl_; ++i)
            std::copy_n(old.data() + i * stride_, stride_, line(perm[i]));
    }

    // The first column at or after `from` holding a 1 in line i, or ncols().
    unsigned long first_one(unsigned long i, unsigned long from) const {
        if (from >= nc_) return nc_;
        word const* l = line(i);
        unsigned long k = from / word_bits;
        word x = l[k] & (~word(0) << (from % word_bits));
        while (x == 0) {
            if (++k == stride_) return nc_;
            x = l[k];
        }
        return k * word_bits + static_cast<unsigned long>(__builtin_ctzll(x));
    }

private:
    unsigned long nl_ = 0, nc_ = 0, stride_ = 0;
    std::vector<word> w_;
};

// Entry tests shared by the algorithms: only the immediate 1 counts.
bool one_at(Matrix const& m, unsigned long i, unsigned long j) { return m.at(i, j).is_one(); }
bool one_at(BitMatrix const& m, unsigned long i, unsigned long j) { return m.get(i, j); }

unsigned long first_one(Matrix const& m, unsigned long i, unsigned long from) {
    for (unsigned long j = from; j < m.ncols(); ++j)
        if (m.at(i, j).is_one()) return j;
    return m.ncols();
}
unsigned long first_one(BitMatrix const& m, unsigned long i, unsigned long from) {
    return m.first_one(i, from);
}

// Packs a matrix of immediates; false, with `out` unspecified, when an entry is not one. The
// kind test is accumulated over a word so that the loop has no branch per entry.
bool pack(Matrix const& m, BitMatrix& out) {
    unsigned long nl = m.nlines(), nc = m.ncols();
    out = BitMatrix(nl, nc);
    Expr const* e = m.elements().data();
    for (unsigned long i = 0; i < nl; ++i) {
        word* l = out.line(i);
        bool all_imm = true;
        for (unsigned long w = 0; w < out.stride(); ++w) {
            unsigned long n = std::min<unsigned long>(word_bits, nc - w * word_bits);
            word x = 0;
            for (unsigned long b = 0; b < n; ++b, ++e) {
                all_imm &= e->is_imm();
                x |= word(e->imm_value()) << b;
            }
            l[w] = x;
        }
        if (!all_imm) return false;
    }
    return true;
}

// Line by line, the immediates 0 are made and the entries that are 1 rebuilt in place while the
// line is still in cache: one pass over the storage.
Matrix unpack(BitMatrix const& b) {
    unsigned long nc = b.ncols();
    Vector elts;
    elts.reserve(b.nlines() * nc);
    for (unsigned long i = 0; i < b.nlines(); ++i) {
        elts.resize(elts.size() + nc);
        Expr* row = elts.data() + i * nc;
        word const* l = b.line(i);
        for (unsigned long w = 0; w < b.stride(); ++w)
            for (word x = l[w]; x != 0; x &= x - 1) {
                Expr* e = row + w * word_bits + static_cast<unsigned long>(__builtin_ctzll(x));
                std::destroy_at(e);
                ::new (static_cast<void*>(e)) Expr(Expr::imm(true));
            }
    }
    return Matrix::from_storage(nc, std::move(elts));
}

void xor_words(word* __restrict dst, word const* __restrict src, unsigned long n) {
    for (unsigned long k = 0; k < n; ++k) dst[k] ^= src[k];
}

void xor_words2(word* __restrict dst, word const* __restrict s1, word const* __restrict s2,
                unsigned long n) {
    for (unsigned long k = 0; k < n; ++k) dst[k] ^= s1[k] ^ s2[k];
}

// Gauss-Jordan on the packed lines [A | I] of a square matrix, sixteen columns at a time: once
// the pivot lines of a block are reduced to the identity on the block, the 256 sums of each
// half of them are tabulated, and every other line is cleared on the block in one pass with one
// line of each table. Cost: about n / 16 x (2 x 256 + n) x 2n / 64 word operations.
class GaussJordan {
public:
    static constexpr unsigned long half = 8, block = 2 * half;

    explicit GaussJordan(BitMatrix const& a)
        : n_(a.nlines()), a_words_(a.stride()), line_words_(2 * a_words_), m_(n_ * line_words_, 0),
          low_(line_words_ << half, 0), high_(line_words_ << half, 0) {
        for (unsigned long i = 0; i < n_; ++i) {
            std::copy_n(a.line(i), a_words_, row(i));
            row(i)[a_words_ + i / word_bits] |= word(1) << (i % word_bits);
        }
    }

    unsigned long size() const { return n_; }

    // The columns first .. first + count - 1, and where they sit in a line.
    struct Block {
        unsigned long first, count;
        unsigned long word_at, shift; // the word holding column `first`, and its bit there
        unsigned long tail; // words from word_at on: lines at or below `first` are 0 left of it
    };

    Block block_at(unsigned long c0) const {
        unsigned long word_at = c0 / word_bits;
        return {c0, std::min(block, n_ - c0), word_at, c0 % word_bits, line_words_ - word_at};
    }

    // Makes lines first .. first + count - 1 the identity on the block's columns, pivoting on
    // the lines below; false when a column has no pivot (A is singular).
    bool reduce_pivots(Block const& b) {
        for (unsigned long t = 0; t < b.count; ++t) {
            unsigned long c = b.first + t, r = c;
            for (; r < n_; ++r) {
                for (unsigned long u = 0; u < t; ++u)
                    if (bit(b, r, u))
                        xor_words(row(r) + b.word_at, row(b.first + u) + b.word_at, b.tail);
                if (bit(b, r, t)) break;
            }
            if (r == n_) return false;
            if (r != c)
                std::swap_ranges(row(r) + b.word_at, row(r) + line_words_, row(c) + b.word_at);
            for (unsigned long u = 0; u < t; ++u)
                if (bit(b, b.first + u, t))
                    xor_words(row(b.first + u) + b.word_at, row(c) + b.word_at, b.tail);
        }
        return true;
    }

    // Clears the block's columns on every other line: the sums of the first eight pivot lines
    // and of the rest are tabulated, so that a line takes one line of each table.
    void clear_others(Block const& b) {
        unsigned long low_count = std::min(half, b.count), high_count = b.count - low_count;
        tabulate(low_, b, b.first, low_count);
        tabulate(high_, b, b.first + half, high_count); // entry 0 stays the zero line
        for (unsigned long i = 0; i < n_; ++i) {
            if (i == b.first) i += b.count;
            if (i >= n_) break;
            word x = row(i)[b.word_at] >> b.shift;
            word x1 = x & ((word(1) << low_count) - 1);
            word x2 = (x >> half) & ((word(1) << high_count) - 1);
            if (x1 | x2)
                xor_words2(row(i) + b.word_at, low_.data() + x1 * line_words_ + b.word_at,
                           high_.data() + x2 * line_words_ + b.word_at, b.tail);
        }
    }

    // Once every block is reduced, the right half of the lines.
    void take_inverse(BitMatrix& inv) {
        inv = BitMatrix(n_, n_);
        for (unsigned long i = 0; i < n_; ++i)
            std::copy_n(row(i) + a_words_, a_words_, inv.line(i));
    }

private:
    word* row(unsigned long i) { return m_.data() + i * line_words_; }
    word bit(Block const& b, unsigned long i, unsigned long t) {
        return (row(i)[b.word_at] >> (b.shift + t)) & 1;
    }

    // Line x of `table` is the sum of the pivot lines first + j for the bits j of x, built
    // from the line without x's lowest bit.
    void tabulate(std::vector<word>& table, Block const& b, unsigned long first,
                  unsigned long count) {
        for (unsigned long x = 1; x < (1ul << count); ++x) {
            word* dst = table.data() + x * line_words_ + b.word_at;
            std::copy_n(table.data() + (x & (x - 1)) * line_words_ + b.word_at, b.tail, dst);
            unsigned long p = first + static_cast<unsigned long>(__builtin_ctzl(x));
            xor_words(dst, row(p) + b.word_at, b.tail);
        }
    }

    unsigned long n_;
    unsigned long a_words_;        // words of a line of A, and of I
    unsigned long line_words_;     // words of a line of [A | I]
    std::vector<word> m_;          // the lines [A | I]
    std::vector<word> low_, high_; // the tabulated sums of each half of a block's pivot lines
};

// The inverse of `a` in `inv`; false when `a` is singular.
bool invert_packed(BitMatrix const& a, BitMatrix& inv) {
    GaussJordan g(a);
    for (unsigned long c0 = 0; c0 < g.size(); c0 += GaussJordan::block) {
        GaussJordan::Block b = g.block_at(c0);
        if (!g.reduce_pivots(b)) return false;
        g.clear_others(b);
    }
    g.take_inverse(inv);
    return true;
}

// The reduction proper, once T is the identity and U the matrix to reduce.
template <class M>
unsigned long reduce(M& T, M& U, std::vector<unsigned long>& perm) {
    unsigned long nl = U.nlines(), nc = U.ncols();
    if (nc == 0) {
        perm.clear();
        return 0;
    }
    perm.resize(nc);
    std::iota(perm.begin(), perm.end(), 0ul);
    if (nl == 0) return 0;
    for (unsigned long k = 0;; ++k) {
        if (k >= nc) return k;
        unsigned long r = k, j = nc;
        for (; r < nl; ++r)
            if ((j = first_one(U, r, k)) < nc) break;
        if (r == nl) return k;
        U.swap_lines(r, k);
        T.swap_lines(r, k);
        U.swap_cols(j, k);
        std::swap(perm[j], perm[k]);
        if (k + 1 == nl) return nl;
        for (unsigned long i = k + 1; i < nl; ++i)
            if (one_at(U, i, k)) {
                U.add_lines(i, k);
                T.add_lines(i, k);
            }
    }
}

// Back substitution on a full-rank n x n reduction, then the column permutation undone on T.
template <class M>
void complete_inverse(M& T, M& U, std::vector<unsigned long> const& perm, unsigned long n) {
    for (unsigned long r = n - 1; r-- > 0;)
        for (unsigned long c = n - 1; c > r; --c)
            if (one_at(U, r, c)) {
                U.add_lines(r, c);
                T.add_lines(r, c);
            }
    T.permute_rows(perm);
}

} // namespace

unsigned long T_fact_exprs(Matrix const& a, Matrix& T, Matrix& U,
                          std::vector<unsigned long>& perm) {
    T = Matrix::identity(a.nlines());
    if (&U != &a) U = a;
    return reduce(T, U, perm);
}

Matrix inverse_exprs(Matrix const& a) {
    unsigned long n = a.ncols();
    if (n != 0 && a.nlines() != n) return Matrix();
    Matrix T, U;
    std::vector<unsigned long> perm;
    if (T_fact_exprs(a, T, U, perm) != n) return Matrix();
    if (n == 0) return Matrix();
    complete_inverse(T, U, perm, n);
    return T;
}

unsigned long Matrix::T_fact(Matrix& T, Matrix& U, std::vector<unsigned long>& perm) const {
    BitMatrix bits;
    if (&T == this || !pack(*this, bits)) return T_fact_exprs(*this, T, U, perm);
    BitMatrix bt = BitMatrix::identity(nlines());
    unsigned long rank = reduce(bt, bits, perm);
    T = unpack(bt);
    U = unpack(bits);
    return rank;
}

// The inverse of an invertible matrix is unique, so the packed path may eliminate in any order
// and still give exactly what the reduction and back substitution give.
Matrix Matrix::inverse() const {
    unsigned long n = ncols_;
    if (n == 0 || nlines() != n) return Matrix();
    BitMatrix bits, inv;
    if (!pack(*this, bits) || !invert_packed(bits, inv)) return Matrix();
    return unpack(inv);
}

} // namespace ond
