// The inputs of a Boolean function, given as a Vector of distinct symbols: position j of the
// Vector is input j (bit j of a truth-table row, bit j of a monomial mask). InputOrder finds
// the position of a symbol and lists the inputs by symbol index, the order of the normal form.
#pragma once

#include "expr/expr.hpp"
#include "expr/export.hpp"
#include "linalg/vector.hpp"

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace ond::analyses {

class OND_API InputOrder {
public:
    static constexpr std::size_t npos = static_cast<std::size_t>(-1);

    // Throws std::invalid_argument unless every element is a symbol and none repeats.
    // O(n log n).
    explicit InputOrder(Vector const& inputs);

    std::size_t size() const { return by_index_.size(); }
    // The position of the symbol of index `idx`, or npos. O(log n).
    std::size_t find(std::uint32_t idx) const;
    // The position of the symbol `s`; throws UnknownSymbol when it is no input.
    std::size_t position(Expr const& s) const;
    // The input of rank r in ascending symbol index: its position and its symbol index.
    std::size_t position_of_rank(std::size_t r) const { return by_index_[r].second; }
    ExprSym symbol_of_rank(std::size_t r) const { return ExprSym(by_index_[r].first); }

private:
    std::vector<std::pair<std::uint32_t, std::size_t>> by_index_; // (symbol index, position)
};

} // namespace ond::analyses
