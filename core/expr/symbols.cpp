#include "expr/symbols.hpp"

namespace ond {

namespace {
// Created when the shared object is loaded; only grows.
Symbols g_symbols;
std::map<std::uint32_t, std::string> g_arg_names;
} // namespace

bool pp_print_sym = false;

void pp_sym_display(bool on) { pp_print_sym = on; }

Symbols& symbols() { return g_symbols; }

ExprSym Symbols::symbol(const char* name) {
    auto it = by_name_.find(name);
    if (it != by_name_.end()) return ExprSym(it->second);
    auto idx = static_cast<std::uint32_t>(names_.size());
    names_.reserve(names_.size() + 1);
    it = by_name_.emplace(name, idx).first;
    names_.push_back(it->first.c_str());
    return ExprSym(idx);
}

const char* Symbols::name(ExprSym const& s) const {
    std::uint32_t idx = s.idx();
    if (is_arg_symbol_index(idx)) {
        std::uint32_t k = idx & ~arg_symbol_mask;
        auto it = g_arg_names.find(k);
        if (it == g_arg_names.end()) {
            std::string text(1, '_');
            text.append(std::to_string(k));
            it = g_arg_names.emplace(k, std::move(text)).first;
        }
        return it->second.c_str();
    }
    if (idx < names_.size()) return names_[idx];
    return nullptr;
}

std::optional<std::uint32_t> Symbols::find(std::string_view name) const {
    auto it = by_name_.find(name);
    if (it == by_name_.end()) return std::nullopt;
    return it->second;
}

ExprSym symbol(const char* name) { return g_symbols.symbol(name); }

ExprSym arg_symbol(std::uint32_t i) { return ExprSym(i | arg_symbol_mask); }

} // namespace ond
