#include "expr/symbols.hpp"
#include "linalg/matrix.hpp"
#include "linalg/matrix_elimination.hpp"
#include "linalg/size_mismatch.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

using ond::Expr;
using ond::Matrix;
using ond::Vector;

namespace {

using Bits = std::vector<std::vector<int>>;

Expr I(int v) { return Expr::imm(v != 0); }

Matrix random_bits(unsigned long nl, unsigned long nc, std::mt19937& rng, double ones = 0.5) {
    std::bernoulli_distribution d(ones);
    Matrix m(nl, nc);
    for (unsigned long i = 0; i < nl; ++i)
        for (unsigned long j = 0; j < nc; ++j) m.at(i, j) = I(d(rng));
    return m;
}

Bits bits_of(Matrix const& m) {
    Bits b(m.nlines(), std::vector<int>(m.ncols()));
    for (unsigned long i = 0; i < m.nlines(); ++i)
        for (unsigned long j = 0; j < m.ncols(); ++j) {
            EXPECT_TRUE(m.at(i, j).is_imm());
            b[i][j] = m.at(i, j).is_one();
        }
    return b;
}

Bits product(Bits const& a, Bits const& b, unsigned long inner, unsigned long ncols) {
    Bits r(a.size(), std::vector<int>(ncols));
    for (unsigned long i = 0; i < a.size(); ++i)
        for (unsigned long j = 0; j < ncols; ++j)
            for (unsigned long m = 0; m < inner; ++m) r[i][j] ^= a[i][m] & b[m][j];
    return r;
}

unsigned long reference_rank(Bits a) {
    unsigned long rank = 0, nc = a.empty() ? 0 : a[0].size();
    for (unsigned long c = 0; c < nc && rank < a.size(); ++c) {
        auto p = std::find_if(a.begin() + rank, a.end(), [c](auto const& l) { return l[c]; });
        if (p == a.end()) continue;
        std::swap(*p, a[rank]);
        for (unsigned long i = 0; i < a.size(); ++i)
            if (i != rank && a[i][c])
                for (unsigned long k = 0; k < nc; ++k) a[i][k] ^= a[rank][k];
        ++rank;
    }
    return rank;
}

struct Shape {
    unsigned long nl, nc;
    double ones;
};

class TFactOnImmediates : public ::testing::TestWithParam<Shape> {};

} // namespace

TEST_P(TFactOnImmediates, RankPermutationAndFactorisation) {
    auto [nl, nc, ones] = GetParam();
    std::mt19937 rng(static_cast<unsigned>(nl * 1000 + nc));
    for (int round = 0; round < 4; ++round) {
        Matrix a = random_bits(nl, nc, rng, ones);
        Matrix T, U;
        std::vector<unsigned long> perm{7, 7, 7};
        unsigned long r = a.T_fact(T, U, perm);
        EXPECT_EQ(r, reference_rank(bits_of(a)));

        std::vector<unsigned long> sorted = perm;
        std::sort(sorted.begin(), sorted.end());
        std::vector<unsigned long> iota(nc);
        for (unsigned long c = 0; c < nc; ++c) iota[c] = c;
        EXPECT_EQ(sorted, iota);

        Bits P(nc, std::vector<int>(nc));
        for (unsigned long c = 0; c < nc; ++c) P[perm[c]][c] = 1;
        Bits u = bits_of(U);
        EXPECT_EQ(product(product(bits_of(T), bits_of(a), nl, nc), P, nc, nc), u);
        for (unsigned long k = 0; k < r; ++k) {
            EXPECT_EQ(u[k][k], 1);
            for (unsigned long i = k + 1; i < nl; ++i) EXPECT_EQ(u[i][k], 0);
        }
        for (unsigned long i = r; i < nl; ++i)
            for (unsigned long j = r; j < nc; ++j) EXPECT_EQ(u[i][j], 0);

        // The packed path and the elimination on expressions take the same steps.
        Matrix T2, U2;
        std::vector<unsigned long> perm2;
        EXPECT_EQ(ond::T_fact_exprs(a, T2, U2, perm2), r);
        EXPECT_EQ(T, T2);
        EXPECT_EQ(U, U2);
        EXPECT_EQ(perm, perm2);
        if (nl == nc) {
            EXPECT_EQ(a.inverse(), ond::inverse_exprs(a));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Shapes, TFactOnImmediates,
                         ::testing::Values(Shape{1, 1, 0.5}, Shape{3, 2, 0.5}, Shape{2, 5, 0.5},
                                           Shape{6, 6, 0.3}, Shape{8, 8, 0.5}, Shape{70, 70, 0.5},
                                           Shape{65, 130, 0.1}, Shape{130, 65, 0.5},
                                           Shape{64, 64, 0.02}, Shape{0, 4, 0.5}));

TEST(TFact, ZeroFirstColumnPivotsOnColumnOne) {
    Matrix a(2, {I(0), I(1), I(0), I(0)});
    Matrix T, U;
    std::vector<unsigned long> perm;
    EXPECT_EQ(a.T_fact(T, U, perm), 1u);
    ASSERT_EQ(perm.size(), 2u);
    EXPECT_EQ(perm[0], 1u);
    EXPECT_EQ(U, Matrix(2, {I(1), I(0), I(0), I(0)}));
}

TEST(TFact, ThreeByTwoOfRankTwo) {
    Matrix a(2, {I(1), I(1), I(1), I(0), I(0), I(1)});
    Matrix T, U;
    std::vector<unsigned long> perm(5, 3);
    EXPECT_EQ(a.T_fact(T, U, perm), 2u);
    EXPECT_EQ(perm.size(), 2u);
    EXPECT_EQ(T.nlines(), 3u);
}

TEST(TFact, ReducesInPlaceWhenUIsTheMatrix) {
    std::mt19937 rng(3);
    Matrix a = random_bits(9, 9, rng);
    Matrix T1, U1, T2;
    std::vector<unsigned long> p1, p2;
    unsigned long r1 = a.T_fact(T1, U1, p1);
    Matrix b = a;
    EXPECT_EQ(b.T_fact(T2, b, p2), r1);
    EXPECT_EQ(b, U1);
    EXPECT_EQ(T2, T1);
    EXPECT_EQ(p2, p1);
}

TEST(TFact, SymbolicEntriesAreNeverPivots) {
    Expr x = ond::symbol("x");
    Matrix a(2, {I(1), x, I(0), I(1)});
    Matrix T, U;
    std::vector<unsigned long> perm;
    EXPECT_EQ(a.T_fact(T, U, perm), 2u);
    EXPECT_EQ(U, a);
    EXPECT_EQ(T, Matrix::identity(2));
    // The elimination on expressions alone answers the identity; the public inverse refuses.
    EXPECT_EQ(ond::inverse_exprs(a), Matrix::identity(2));
    EXPECT_EQ(a.inverse(), Matrix());
    Matrix only_x(1, {x});
    EXPECT_EQ(only_x.T_fact(T, U, perm), 0u);
}

TEST(MatrixRows, PermuteRows) {
    Matrix m(1, {I(0), I(1), ond::symbol("p")});
    Matrix cyc = m;
    cyc.permute_rows({1, 2, 0});
    EXPECT_EQ(cyc, Matrix(1, {ond::symbol("p"), I(0), I(1)}));
    // Not a permutation: line 1 is designated twice and receives line 2; line 2 keeps its own.
    Matrix dup = m;
    dup.permute_rows({0, 1, 1});
    EXPECT_EQ(dup, Matrix(1, {I(0), ond::symbol("p"), ond::symbol("p")}));
}

TEST(MatrixRows, SwapsAndAdditions) {
    Expr x = ond::symbol("x");
    Matrix m(3, {I(1), I(0), x, I(0), x, I(1)});
    Matrix s = m;
    s.swap_cols(0, 2);
    EXPECT_EQ(s, Matrix(3, {x, I(0), I(1), I(1), x, I(0)}));
    s.swap_cols(1, 1);
    s.swap_lines(0, 1);
    EXPECT_EQ(s, Matrix(3, {I(1), x, I(0), x, I(0), I(1)}));
    s.add_lines(1, 0);
    EXPECT_EQ(s, Matrix(3, {I(1), x, I(0), x + I(1), I(0) + x, I(1)}));
    Matrix empty(0, 3);
    empty.swap_cols(0, 2);
    EXPECT_EQ(empty, Matrix(0, 3));
}

struct ListCase {
    unsigned long ncols;
    unsigned long count;
    unsigned long nlines, expected_ncols;
};

class MatrixFromList : public ::testing::TestWithParam<ListCase> {};

TEST_P(MatrixFromList, ShapeRules) {
    auto [ncols, count, nlines, expected_ncols] = GetParam();
    std::vector<Expr> pool{I(1), I(0), ond::symbol("a"), ond::symbol("b"), I(1), I(1)};
    std::initializer_list<Expr> lists[] = {{},
                                           {I(1)},
                                           {I(1), I(0)},
                                           {I(1), I(0), ond::symbol("a")},
                                           {I(1), I(0), ond::symbol("a"), ond::symbol("b")},
                                           {I(1), I(0), ond::symbol("a"), ond::symbol("b"), I(1)},
                                           {I(1), I(0), ond::symbol("a"), ond::symbol("b"), I(1),
                                            I(1)}};
    Matrix m(ncols, lists[count]);
    EXPECT_EQ(m.nlines(), nlines);
    EXPECT_EQ(m.ncols(), expected_ncols);
    for (unsigned long k = 0; k < nlines * expected_ncols; ++k)
        EXPECT_EQ(m.at(k / expected_ncols, k % expected_ncols), pool[k]);
}

INSTANTIATE_TEST_SUITE_P(Lists, MatrixFromList,
                         ::testing::Values(ListCase{2, 5, 0, 0}, ListCase{2, 0, 0, 0},
                                           ListCase{3, 6, 2, 3}, ListCase{2, 6, 3, 2},
                                           ListCase{1, 3, 3, 1}, ListCase{4, 6, 0, 0}));

TEST(VectorCore, InPlaceShiftsAndPartialReads) {
    Expr a = ond::symbol("a"), b = ond::symbol("b"), c = ond::symbol("c");
    Vector v{a, b, c};
    Vector w = v;
    w >>= 1;
    EXPECT_EQ(w, (Vector{I(0), a, b}));
    EXPECT_EQ(w, v >> 1);
    w <<= 2;
    EXPECT_EQ(w, (Vector{b, I(0), I(0)}));
    w >>= 3;
    EXPECT_EQ(w, Vector(3));

    Vector partial{I(1), c, I(1)};
    bool ok = true;
    EXPECT_EQ(partial.get_int_be(&ok), 1u);
    EXPECT_FALSE(ok);
    EXPECT_EQ(partial.get_int_le(nullptr), 4u);
    EXPECT_THROW(Vector(2) + Vector(3), ond::errors::SizeMismatch);
    EXPECT_STREQ(ond::errors::SizeMismatch().what(), "size mismatch");
}

TEST(Inverse, PackedPathAgreesWithEliminationOnExpressions) {
    std::mt19937 rng(11);
    for (unsigned long n : {2ul, 7ul, 9ul, 64ul, 65ul, 130ul}) {
        // Random line operations on the identity keep it invertible and of immediates.
        Matrix a = Matrix::identity(n);
        std::uniform_int_distribution<unsigned long> pick(0, n - 1);
        for (unsigned long k = 0; k < 4 * n; ++k) {
            unsigned long i = pick(rng), j = pick(rng);
            if (i == j)
                a.swap_lines(i, (i + 1) % n);
            else
                a.add_lines(i, j);
        }
        Matrix inv = a.inverse();
        ASSERT_EQ(inv.nlines(), n);
        EXPECT_EQ(inv, ond::inverse_exprs(a));
        Bits id(n, std::vector<int>(n));
        for (unsigned long i = 0; i < n; ++i) id[i][i] = 1;
        EXPECT_EQ(product(bits_of(a), bits_of(inv), n, n), id);
        Matrix singular = a;
        for (unsigned long c = 0; c < n; ++c) singular.at(n - 1, c) = singular.at(0, c);
        EXPECT_EQ(singular.inverse(), Matrix());
        EXPECT_EQ(ond::inverse_exprs(singular), Matrix());
    }
}
