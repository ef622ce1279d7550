// The process-wide symbol table: named symbols get the indices 0, 1, 2, ... in order of first
// use; argument symbols have the four top bits of the index set and print as "_<number>".
#pragma once

#include "expr/expr.hpp"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ond {

constexpr std::uint32_t arg_symbol_mask = 0xF0000000u;

inline bool is_arg_symbol_index(std::uint32_t idx) {
    return (idx & arg_symbol_mask) == arg_symbol_mask;
}

class OND_API Symbols {
public:
    // The symbol named `name`, created with the next free index on first use.
    ExprSym symbol(const char* name);
    // The name of a symbol, or null for a named index the table does not know.
    const char* name(ExprSym const& s) const;
    // The index of the symbol named `name`, if the table has it; the table is not changed.
    std::optional<std::uint32_t> find(std::string_view name) const;
    std::size_t size() const { return names_.size(); }

private:
    std::map<std::string, std::uint32_t, std::less<>> by_name_;
    std::vector<const char*> names_; // point at the keys of by_name_, which never move
};

OND_API Symbols& symbols();
OND_API ExprSym symbol(const char* name);
OND_API ExprSym arg_symbol(std::uint32_t i);

// When set, the printer wraps every symbol in "Sym(" and ")".
OND_API extern bool pp_print_sym;
OND_API void pp_sym_display(bool on);

} // namespace ond
