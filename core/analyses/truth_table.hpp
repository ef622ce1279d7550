// Truth tables of Boolean functions of at most 30 inputs, bit-sliced: row r of a table over the
// inputs x_0 .. x_(n-1) holds the value at x_j = bit j of r, and 64 rows share one word. The
// Moebius transform takes a table to the coefficients of its algebraic normal form and back, so
// tables and normal forms convert into each other in O(n 2^n / 64) word operations.
#pragma once

#include "analyses/input_order.hpp"
#include "expr/expr.hpp"
#include "expr/export.hpp"
#include "linalg/vector.hpp"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace ond::analyses {

class OND_API TruthTable {
public:
    // The most inputs a table may have: 2^30 rows take 128 MiB.
    static constexpr unsigned max_inputs = 30;

    // The zero function of n inputs. Throws std::length_error past max_inputs, std::bad_alloc
    // when the rows cannot fit in memory.
    explicit TruthTable(unsigned n);

    unsigned inputs() const { return n_; }
    std::uint64_t rows() const { return std::uint64_t(1) << n_; }
    // max(1, rows / 64) words: row r is bit r % 64 of word r / 64. Below 6 inputs the single
    // word holds the rows in its low bits and zeros above them (word_mask()).
    std::span<std::uint64_t> words() { return words_; }
    std::span<std::uint64_t const> words() const { return words_; }
    // The bits of every word that hold rows.
    std::uint64_t word_mask() const;

    bool at(std::uint64_t row) const { return (words_[row >> 6] >> (row & 63)) & 1; }
    void set(std::uint64_t row, bool v);

    bool operator==(TruthTable const&) const = default;

private:
    unsigned n_;
    std::vector<std::uint64_t> words_;
};

// `n`, or std::length_error when a truth table cannot have that many inputs.
OND_API unsigned checked_input_count(std::size_t n);

// The Moebius transform, in place: the values of a function become the coefficients of its
// algebraic normal form (bit m is the coefficient of the product of the inputs j with bit j set
// in m; m = 0 is the constant), and applied again, the coefficients become the values.
// n passes over the words.
OND_API void moebius_transform(TruthTable& t);

// The table of `e` over the inputs (distinct symbols, InputOrder). Any expression is accepted,
// with the library's reading of nodes: a node without arguments is 0, except an ESF of degree 0,
// which is 1. The monomials among the arguments of a sum go through one Moebius transform
// (O(n 2^n / 64)), every other node costs one pass over the words, plus one scratch table per
// level of nesting. Throws std::length_error past TruthTable::max_inputs and UnknownSymbol for a
// symbol of `e` that is no input.
OND_API TruthTable truth_table(Expr const& e, Vector const& inputs);
OND_API TruthTable truth_table(Expr const& e, InputOrder const& inputs);
// truth_table of every element, sharing the scratch tables.
OND_API std::vector<TruthTable> truth_tables(Vector const& outputs, Vector const& inputs);

// The algebraic normal form of the table's function over the inputs, in the canonical form of
// `anf` (monomials as products of symbols in ascending index order, sorted). The table must
// have as many inputs as there are symbols in `inputs` (std::invalid_argument otherwise).
// O(n 2^n / 64) for the transform, O(2^n) to read the coefficients in canonical order, plus the
// size of the result.
OND_API Expr anf_from_truth_table(TruthTable const& t, Vector const& inputs);

// The most output bits of a lookup table: one entry is a 64-bit word.
inline constexpr unsigned lookup_max_bits = 64;

// Throws std::length_error past lookup_max_bits output bits, std::invalid_argument unless there
// are 2^n entries.
OND_API void check_lookup_shape(std::size_t entries, unsigned n, unsigned nbits);

// The tables of the output bits of a lookup table over n inputs: bit i of entry r is row r of
// table i. Throws std::invalid_argument when there are not 2^n entries, std::length_error past
// 64 output bits, and std::overflow_error for an entry of nbits bits or more. O(2^n nbits).
OND_API std::vector<TruthTable> tables_of_lookup(std::span<std::uint64_t const> entries,
                                                 unsigned n, unsigned nbits);

// The algebraic normal forms of the output bits of a lookup table over the inputs: element i of
// the result is the normal form of bit i of the entries, as anf_from_truth_table gives it.
OND_API Vector anf_from_lookup_table(std::span<std::uint64_t const> entries, Vector const& inputs,
                                     unsigned nbits);

// The lookup table of a vectorial function over the inputs: entry r holds the value of output
// i at row r in its bit i. At most 64 outputs (std::length_error); O(2^n / 64) per output node
// as truth_table, then O(2^n nbits) to gather the entries.
OND_API std::vector<std::uint64_t> lookup_table(Vector const& outputs, Vector const& inputs);

} // namespace ond::analyses
