// Truth tables and the Moebius transform against a row-by-row reading of the expression, on the
// raw nodes that Python cannot build (empty nodes, an Or holding 1, unsorted lists) and across
// the word boundary at 6 inputs; the normal form read from a table in canonical order.
#include "analyses/anf.hpp"
#include "analyses/input_order.hpp"
#include "analyses/truth_table.hpp"
#include "analyses/vectorial_decomp.hpp"
#include "expr/print.hpp"
#include "expr/symbols.hpp"
#include "simps/simplify.hpp"
#include "test_helpers.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

using namespace ond;
namespace an = ond::analyses;
using an::TruthTable;
using ond::test::raw;
using ond::test::raw_esf;

namespace {

using T = expr_type_id;

Vector inputs(unsigned n) {
    Vector v;
    for (unsigned j = 0; j < n; ++j) v.push_back(symbol(("tt" + std::to_string(j)).c_str()));
    return v;
}

// The value of `e` at one row, node by node, with the library's reading of empty nodes.
bool value(Expr const& e, Vector const& in, std::uint64_t row) {
    switch (e.type()) {
    case T::imm: return e.imm_value();
    case T::sym: {
        auto at = std::find(in.begin(), in.end(), e);
        return (row >> (at - in.begin())) & 1;
    }
    default: break;
    }
    ExprArgs const& a = e.args();
    if (e.is_esf()) {
        // e_j of the arguments seen so far, j = 0 .. d.
        std::vector<bool> es(e.esf_degree() + 1, false);
        es[0] = true;
        for (Expr const& x : a) {
            bool v = value(x, in, row);
            for (std::size_t j = es.size() - 1; j >= 1; --j) es[j] = es[j] != (es[j - 1] && v);
        }
        return es.back();
    }
    if (a.empty()) return false;
    bool r = e.is_mul();
    for (Expr const& x : a) {
        bool v = value(x, in, row);
        r = e.is_add() ? r != v : e.is_mul() ? r && v : r || v;
    }
    return r;
}

void expect_rows(Expr const& e, Vector const& in) {
    TruthTable t = an::truth_table(e, in);
    for (std::uint64_t r = 0; r < t.rows(); ++r)
        ASSERT_EQ(t.at(r), value(e, in, r)) << expr_text(e) << " at row " << r;
    // Nothing is set after the rows.
    EXPECT_EQ(t.words()[0] & ~t.word_mask(), 0u) << expr_text(e);
}

Expr random_tree(std::mt19937& g, Vector const& in, int depth) {
    int k = static_cast<int>(g() % 12);
    if (depth == 0 || k < 3) return k == 0 ? Expr::imm(g() & 1) : in[g() % in.size()];
    std::vector<Expr> a(g() % 5);
    for (Expr& x : a) x = random_tree(g, in, depth - 1);
    if (k < 5) return raw_esf(static_cast<std::uint8_t>(g() % 4), std::move(a));
    return raw(k < 8 ? T::add : k < 10 ? T::mul : T::or_, std::move(a));
}

TruthTable random_table(std::mt19937& g, unsigned n) {
    TruthTable t(n);
    for (std::uint64_t& w : t.words()) w = (std::uint64_t(g()) << 32 | g()) & t.word_mask();
    return t;
}

} // namespace

struct RawCase {
    const char* name;
    Expr (*make)(Vector const&);
};

void PrintTo(RawCase const& c, std::ostream* os) { *os << c.name; }

class RawNodes : public ::testing::TestWithParam<RawCase> {};

TEST_P(RawNodes, TableAgreesRowByRow) {
    Vector in = inputs(7);
    expect_rows(GetParam().make(in), in);
}

INSTANTIATE_TEST_SUITE_P(
    TruthTable, RawNodes,
    ::testing::Values(
        RawCase{"empty_esf_degree0", [](Vector const&) { return raw_esf(0, {}); }},
        RawCase{"empty_esf", [](Vector const&) { return raw_esf(2, {}); }},
        RawCase{"empty_mul", [](Vector const&) { return raw(T::mul, {}); }},
        RawCase{"empty_or", [](Vector const&) { return raw(T::or_, {}); }},
        RawCase{"or_holding_one",
                [](Vector const& v) { return raw(T::or_, {v[0], Expr::imm(true)}); }},
        RawCase{"unsorted_sum_of_repeats",
                [](Vector const& v) { return raw(T::add, {v[6], v[0], v[6], v[6]}); }},
        RawCase{"esf_with_repeats_and_immediates",
                [](Vector const& v) {
                    return raw_esf(2, {v[0], v[0], v[6], Expr::imm(true), Expr::imm(false)});
                }},
        RawCase{"esf_degree_above_count", [](Vector const& v) { return raw_esf(3, {v[0], v[1]}); }},
        RawCase{"product_of_repeats_and_one",
                [](Vector const& v) { return raw(T::mul, {v[6], v[6], Expr::imm(true), v[2]}); }},
        // More monomials than inputs: the sum goes through one transform.
        RawCase{"sum_of_many_monomials",
                [](Vector const& v) {
                    std::vector<Expr> a;
                    for (std::size_t i = 0; i < v.size(); ++i)
                        for (std::size_t j = i; j < v.size(); ++j) a.push_back(v[i] * v[j]);
                    a.push_back(Expr::imm(true));
                    return raw(T::add, std::move(a));
                }},
        RawCase{"sum_mixing_monomials_and_nodes",
                [](Vector const& v) {
                    std::vector<Expr> a = {v[0] | v[6], v[1], v[1] * v[2], raw(T::mul, {}),
                                           raw_esf(0, {v[3]})};
                    for (std::size_t i = 0; i < v.size(); ++i) a.push_back(v[i] * v[6]);
                    return raw(T::add, std::move(a));
                }}),
    [](auto const& info) { return std::string(info.param.name); });

TEST(TruthTable, RandomTreesAgreeRowByRowAcrossTheWordBoundary) {
    std::mt19937 g(2024);
    for (unsigned n : {1u, 3u, 5u, 6u, 8u}) {
        Vector in = inputs(n);
        for (int i = 0; i < 300; ++i) expect_rows(random_tree(g, in, 4), in);
    }
}

TEST(TruthTable, NoInputsIsOneRow) {
    Vector none;
    EXPECT_EQ(an::truth_table(Expr::imm(true), none).words()[0], 1u);
    EXPECT_EQ(an::truth_table(raw(T::mul, {}), none).words()[0], 0u);
    EXPECT_EQ(an::anf_from_truth_table(an::truth_table(Expr::imm(true), none), none),
              Expr::imm(true));
}

TEST(TruthTable, SizeLimitsAndInputs) {
    EXPECT_THROW(TruthTable(TruthTable::max_inputs + 1), std::length_error);
    EXPECT_EQ(an::checked_input_count(TruthTable::max_inputs), TruthTable::max_inputs);
    Vector in = inputs(3);
    Expr x = in[0];
    EXPECT_THROW(an::truth_table(x, Vector{x, x}), std::invalid_argument);
    EXPECT_THROW(an::truth_table(x, Vector{x, x * in[1]}), std::invalid_argument);
    EXPECT_THROW(an::truth_table(in[2], Vector{x}), an::UnknownSymbol);
    // The table must have as many inputs as it is read over.
    EXPECT_THROW(an::anf_from_truth_table(TruthTable(2), in), std::invalid_argument);
}

TEST(InputOrder, PositionsAndRanks) {
    Vector in = inputs(4);
    Vector shuffled{in[2], in[0], in[3], in[1]};
    an::InputOrder order(shuffled);
    EXPECT_EQ(order.position(in[3]), 2u);
    EXPECT_EQ(order.find(symbol("tt_none").sym_idx()), an::InputOrder::npos);
    for (std::size_t r = 0; r < 4; ++r) {
        EXPECT_EQ(order.symbol_of_rank(r), in[r]);
        EXPECT_EQ(shuffled[order.position_of_rank(r)], in[r]);
    }
}

TEST(Moebius, IsAnInvolutionAndGivesTheCoefficients) {
    std::mt19937 g(7);
    for (unsigned n = 0; n <= 9; ++n) {
        TruthTable t = random_table(g, n);
        TruthTable c = t;
        an::moebius_transform(c);
        // Coefficient m is the parity of the values at the rows below m (as sets of inputs).
        for (std::uint64_t m = 0; m < t.rows(); ++m) {
            bool parity = false;
            for (std::uint64_t r = m;; r = (r - 1) & m) {
                parity = parity != t.at(r);
                if (r == 0) break;
            }
            ASSERT_EQ(c.at(m), parity) << "n = " << n << ", m = " << m;
        }
        an::moebius_transform(c);
        EXPECT_EQ(c, t) << "n = " << n;
    }
}

TEST(AnfFromTruthTable, CanonicalInAnyInputOrder) {
    std::mt19937 g(99);
    for (unsigned n : {2u, 4u, 6u, 7u}) {
        Vector in = inputs(n);
        for (int i = 0; i < 20; ++i) {
            Vector order = in;
            std::shuffle(order.begin(), order.end(), g);
            TruthTable t = random_table(g, n);
            Expr e = an::anf_from_truth_table(t, order);
            ASSERT_TRUE(simps::is_canonical(e)) << expr_text(e);
            ASSERT_TRUE(an::is_normal_form(e)) << expr_text(e);
            Expr again(e);
            simps::simplify(again);
            ASSERT_EQ(again, e) << expr_text(e);
            ASSERT_EQ(an::truth_table(e, order), t) << expr_text(e);
        }
    }
}

TEST(LookupTable, ShapeAndWidthChecks) {
    std::vector<std::uint64_t> lut = {0, 1, 2, 3};
    EXPECT_THROW(an::tables_of_lookup(lut, 2, 65), std::length_error);
    EXPECT_THROW(an::tables_of_lookup(lut, 3, 2), std::invalid_argument);
    EXPECT_THROW(an::tables_of_lookup(lut, 2, 1), std::overflow_error);
    std::vector<TruthTable> t = an::tables_of_lookup(lut, 2, 2);
    EXPECT_EQ(t[0].words()[0], 0b1010u);
    EXPECT_EQ(t[1].words()[0], 0b1100u);
    // Full-width entries are accepted at 64 bits.
    std::vector<std::uint64_t> wide = {~0ull, 0};
    EXPECT_EQ(an::tables_of_lookup(wide, 1, 64)[63].words()[0], 0b01u);
    Vector in = inputs(2);
    EXPECT_EQ(an::lookup_table(an::anf_from_lookup_table(lut, in, 2), in), lut);
}
