#include "analyses/input_order.hpp"

#include "analyses/vectorial_decomp.hpp"
#include "expr/print.hpp"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace ond::analyses {

InputOrder::InputOrder(Vector const& inputs) {
    by_index_.reserve(inputs.size());
    for (std::size_t j = 0; j < inputs.size(); ++j) {
        if (!inputs[j].is_sym())
            throw std::invalid_argument("inputs must be distinct symbols: element " +
                                        std::to_string(j) + " is " + expr_text(inputs[j]));
        by_index_.emplace_back(inputs[j].sym_idx(), j);
    }
    std::sort(by_index_.begin(), by_index_.end());
    auto twin = std::adjacent_find(by_index_.begin(), by_index_.end(),
                                   [](auto const& a, auto const& b) { return a.first == b.first; });
    if (twin != by_index_.end())
        throw std::invalid_argument("inputs must be distinct symbols: element " +
                                    std::to_string(std::next(twin)->second) + " repeats element " +
                                    std::to_string(twin->second) + " (" +
                                    expr_text(inputs[twin->second]) + ")");
}

std::size_t InputOrder::find(std::uint32_t idx) const {
    auto it = std::lower_bound(by_index_.begin(), by_index_.end(), idx,
                               [](auto const& p, std::uint32_t i) { return p.first < i; });
    return it != by_index_.end() && it->first == idx ? it->second : npos;
}

std::size_t InputOrder::position(Expr const& s) const {
    std::size_t p = find(s.sym_idx());
    if (p == npos) throw UnknownSymbol(s);
    return p;
}

} // namespace ond::analyses
