// Bit-sliced evaluation: every node of an expression becomes a table, computed word by word into
// a scratch table of its nesting level. The monomials among the arguments of a sum are gathered
// into one table of coefficients and transformed at once, so that a sum of thousands of
// monomials over 24 inputs costs 24 passes over the words instead of one pass per monomial.
#include "analyses/truth_table.hpp"

#include "expr/collapse.hpp"
#include "expr/memory_budget.hpp"
#include "simps/simplify.hpp"

#include <algorithm>
#include <bit>
#include <cassert>
#include <stdexcept>
#include <string>

namespace ond::analyses {

namespace {

using Words = std::span<std::uint64_t>;

// Input j < 6 within every word: bit b of the word is row bit b, so input j is set where bit j
// of b is.
constexpr std::uint64_t var_word[6] = {0xAAAAAAAAAAAAAAAAull, 0xCCCCCCCCCCCCCCCCull,
                                       0xF0F0F0F0F0F0F0F0ull, 0xFF00FF00FF00FF00ull,
                                       0xFFFF0000FFFF0000ull, 0xFFFFFFFF00000000ull};

std::size_t word_count(unsigned n) { return n < 6 ? 1 : std::size_t(1) << (n - 6); }

std::uint64_t row_mask(unsigned n) { return n < 6 ? (std::uint64_t(1) << (1u << n)) - 1 : ~0ull; }


// In word w, a product of inputs is `lo` where the word index holds all of `hi`, else 0: its
// inputs below 6 vary within a word, the others from word to word.
struct Monomial {
    std::uint64_t lo;
    std::uint64_t hi;

    explicit Monomial(std::uint32_t mask) : lo(~0ull), hi(mask >> 6) {
        for (unsigned j = 0; j < 6; ++j)
            if ((mask >> j) & 1) lo &= var_word[j];
    }
    std::uint64_t at(std::size_t w) const { return (w & hi) == hi ? lo : 0; }
};

void transform(Words t, unsigned n) {
    // Rows with bit j clear, within a word.
    static constexpr std::uint64_t low[6] = {0x5555555555555555ull, 0x3333333333333333ull,
                                             0x0F0F0F0F0F0F0F0Full, 0x00FF00FF00FF00FFull,
                                             0x0000FFFF0000FFFFull, 0x00000000FFFFFFFFull};
    unsigned inner = std::min(n, 6u);
    for (std::uint64_t& x : t)
        for (unsigned j = 0; j < inner; ++j) x ^= (x & low[j]) << (1u << j);
    for (unsigned j = 6; j < n; ++j) {
        std::size_t stride = std::size_t(1) << (j - 6);
        for (std::size_t b = 0; b < t.size(); b += 2 * stride)
            for (std::size_t i = b; i < b + stride; ++i) t[i + stride] ^= t[i];
    }
}

class Evaluator {
public:
    explicit Evaluator(InputOrder const& in)
        : in_(in), n_(static_cast<unsigned>(in.size())), mask_(row_mask(n_)) {}

    // The table of `e` into `out`, a table at nesting `level`.
    void eval(Expr const& e, Words out, std::size_t level) {
        switch (e.type()) {
        case expr_type_id::imm: fill(out, e.imm_value() ? mask_ : 0); return;
        case expr_type_id::sym: put(out, Monomial(bit_of(e))); return;
        case expr_type_id::add: eval_add(e.args(), out, level); return;
        case expr_type_id::mul: eval_mul(e.args(), out, level); return;
        case expr_type_id::or_: eval_or(e.args(), out, level); return;
        case expr_type_id::esf: eval_esf(e.esf_degree(), e.args(), out, level); return;
        }
    }

private:
    std::uint32_t bit_of(Expr const& sym) const {
        return std::uint32_t(1) << in_.position(sym);
    }

    // The inputs of a symbol, of a non-empty product of symbols or of the immediate 1.
    bool as_monomial(Expr const& e, std::uint32_t& m) const {
        if (e.is_sym()) {
            m = bit_of(e);
            return true;
        }
        if (e.is_one()) {
            m = 0;
            return true;
        }
        if (!e.is_mul() || e.args().empty()) return false;
        for (Expr const& f : e.args())
            if (!f.is_sym()) return false;
        m = 0;
        for (Expr const& f : e.args()) m |= bit_of(f);
        return true;
    }

    // The scratch table of `level`; tables of deeper levels stay in place as new ones come.
    Words scratch(std::size_t level) {
        while (scratch_.size() < level) {
            require_memory(word_count(n_), sizeof(std::uint64_t));
            scratch_.emplace_back(word_count(n_));
        }
        return scratch_[level - 1];
    }

    Words child(Expr const& a, std::size_t level) {
        Words t = scratch(level + 1);
        eval(a, t, level + 1);
        return t;
    }

    static void fill(Words out, std::uint64_t v) { std::fill(out.begin(), out.end(), v); }

    void put(Words out, Monomial m) const {
        for (std::size_t w = 0; w < out.size(); ++w) out[w] = m.at(w) & mask_;
    }

    void eval_add(ExprArgs const& args, Words out, std::size_t level) {
        fill(out, 0);
        std::vector<std::uint32_t> monomials;
        for (Expr const& a : args) {
            std::uint32_t m;
            if (as_monomial(a, m)) {
                monomials.push_back(m);
            } else if (!a.is_zero()) {
                Words t = child(a, level);
                for (std::size_t w = 0; w < out.size(); ++w) out[w] ^= t[w];
            }
        }
        if (monomials.size() <= n_) {
            for (std::uint32_t m : monomials) {
                Monomial p(m);
                for (std::size_t w = 0; w < out.size(); ++w) out[w] ^= p.at(w) & mask_;
            }
            return;
        }
        // More monomials than inputs: one transform of their coefficients is cheaper.
        Words c = scratch(level + 1);
        fill(c, 0);
        for (std::uint32_t m : monomials) c[m >> 6] ^= std::uint64_t(1) << (m & 63);
        transform(c, n_);
        for (std::size_t w = 0; w < out.size(); ++w) out[w] ^= c[w];
    }

    void eval_mul(ExprArgs const& args, Words out, std::size_t level) {
        // A product without factors is 0 here, not the empty product 1: the interface reads every
        // argument-less node as 0 (the simplification passes too), and the tables must agree.
        if (args.empty()) return fill(out, 0);
        fill(out, mask_);
        std::uint32_t syms = 0;
        for (Expr const& a : args) {
            if (a.is_sym()) {
                syms |= bit_of(a);
            } else if (a.is_zero()) {
                return fill(out, 0);
            } else if (!a.is_one()) {
                Words t = child(a, level);
                for (std::size_t w = 0; w < out.size(); ++w) out[w] &= t[w];
            }
        }
        Monomial p(syms);
        for (std::size_t w = 0; w < out.size(); ++w) out[w] &= p.at(w);
    }

    void eval_or(ExprArgs const& args, Words out, std::size_t level) {
        fill(out, 0);
        for (Expr const& a : args) {
            if (a.is_one()) return fill(out, mask_);
            if (a.is_zero()) continue;
            if (a.is_sym()) {
                Monomial p(bit_of(a));
                for (std::size_t w = 0; w < out.size(); ++w) out[w] |= p.at(w) & mask_;
                continue;
            }
            Words t = child(a, level);
            for (std::size_t w = 0; w < out.size(); ++w) out[w] |= t[w];
        }
    }

    // ESF_d of m values is the parity of binomial(k, d), k the number of true ones, which is
    // odd exactly when every bit of d is set in k (Lucas): count the true arguments of every
    // row in bit planes, then AND the planes of d's bits. O(m log m) word operations.
    void eval_esf(unsigned d, ExprArgs const& args, Words out, std::size_t level) {
        if (d == 0) return fill(out, mask_);
        if (d > args.size()) return fill(out, 0);
        std::size_t nw = out.size();
        unsigned planes = static_cast<unsigned>(std::bit_width(args.size()));
        require_memory(planes * nw, sizeof(std::uint64_t));
        std::vector<std::uint64_t> count(planes * nw, 0);
        for (Expr const& a : args) {
            Words t = child(a, level);
            for (std::size_t w = 0; w < nw; ++w) {
                std::uint64_t carry = t[w];
                for (unsigned p = 0; p < planes && carry; ++p) {
                    std::uint64_t& x = count[p * nw + w];
                    std::uint64_t sum = x ^ carry;
                    carry &= x;
                    x = sum;
                }
            }
        }
        for (std::size_t w = 0; w < nw; ++w) {
            std::uint64_t r = mask_;
            for (unsigned p = 0; p < planes; ++p)
                if ((d >> p) & 1) r &= count[p * nw + w];
            out[w] = r;
        }
    }

    InputOrder const& in_;
    unsigned n_;
    std::uint64_t mask_;
    std::vector<std::vector<std::uint64_t>> scratch_;
};

// Reads the coefficients in the order of the canonical sum: products by growing size and, within
// a size, lexicographically by their symbols' indices; then the lone symbols, then 1.
class CanonicalReader {
public:
    CanonicalReader(TruthTable const& coefficients, InputOrder const& in)
        : c_(coefficients), in_(in), n_(static_cast<unsigned>(in.size())) {
        // Rank r (ascending symbol index) is bit n - 1 - r of a "rank mask": within one size, the
        // products in lexicographic order are the rank masks in descending numeric order.
        for (unsigned k = 0; k < 4; ++k)
            for (unsigned v = 0; v < 256; ++v) {
                std::uint32_t m = 0;
                for (unsigned b = 0; b < 8; ++b) {
                    unsigned bit = 8 * k + b;
                    if (((v >> b) & 1) && bit < n_)
                        m |= std::uint32_t(1) << in_.position_of_rank(n_ - 1 - bit);
                }
                positions_[k][v] = m;
            }
    }

    Expr read() const {
        std::vector<Expr> terms;
        std::size_t count = 0;
        for (std::uint64_t w : c_.words()) count += static_cast<std::size_t>(std::popcount(w));
        require_memory(count, sizeof(Expr));
        terms.reserve(count);
        std::uint64_t all = (std::uint64_t(1) << n_) - 1;
        for (unsigned d = 2; d <= n_; ++d) {
            // The rank masks with d bits in descending order: the complements of those with
            // n - d bits in ascending order (Gosper's successor).
            for (std::uint64_t x = (std::uint64_t(1) << (n_ - d)) - 1;;) {
                std::uint64_t g = all ^ x;
                if (c_.at(position_mask(g))) terms.push_back(product(g, d));
                if (x == 0) break;
                std::uint64_t low = x & (~x + 1), r = x + low;
                x = r | (((x ^ r) >> 2) >> std::countr_zero(low));
                if (x > all) break;
            }
        }
        for (unsigned r = 0; r < n_; ++r)
            if (c_.at(std::uint64_t(1) << in_.position_of_rank(r)))
                terms.push_back(in_.symbol_of_rank(r));
        if (c_.at(0)) terms.push_back(Expr::imm(true));
        if (terms.empty()) return Expr::imm(false);
        return node_or_single(expr_type_id::add, ExprArgs(std::move(terms)));
    }

private:
    std::uint32_t position_mask(std::uint64_t g) const {
        return positions_[0][g & 255] | positions_[1][(g >> 8) & 255] |
               positions_[2][(g >> 16) & 255] | positions_[3][(g >> 24) & 255];
    }

    Expr product(std::uint64_t g, unsigned d) const {
        std::vector<Expr> f;
        f.reserve(d);
        while (g) {
            unsigned b = 63 - static_cast<unsigned>(std::countl_zero(g));
            f.push_back(in_.symbol_of_rank(n_ - 1 - b));
            g ^= std::uint64_t(1) << b;
        }
        return Expr(expr_type_id::mul, ExprArgs(std::move(f)));
    }

    TruthTable const& c_;
    InputOrder const& in_;
    unsigned n_;
    std::uint32_t positions_[4][256];
};

} // namespace

unsigned checked_input_count(std::size_t n) {
    if (n > TruthTable::max_inputs)
        throw std::length_error("truth tables have at most " +
                                std::to_string(TruthTable::max_inputs) + " inputs, got " +
                                std::to_string(n));
    return static_cast<unsigned>(n);
}

void check_lookup_shape(std::size_t entries, unsigned n, unsigned nbits) {
    if (nbits > lookup_max_bits)
        throw std::length_error("lookup tables have at most " + std::to_string(lookup_max_bits) +
                                " output bits, got " + std::to_string(nbits));
    if (entries != (std::uint64_t(1) << n))
        throw std::invalid_argument("a lookup table over " + std::to_string(n) + " inputs has " +
                                    std::to_string(std::uint64_t(1) << n) + " entries, got " +
                                    std::to_string(entries));
}

TruthTable::TruthTable(unsigned n) : n_(checked_input_count(n)) {
    require_memory(word_count(n), sizeof(std::uint64_t));
    words_.assign(word_count(n), 0);
}

std::uint64_t TruthTable::word_mask() const { return row_mask(n_); }

void TruthTable::set(std::uint64_t row, bool v) {
    std::uint64_t b = std::uint64_t(1) << (row & 63);
    if (v)
        words_[row >> 6] |= b;
    else
        words_[row >> 6] &= ~b;
}

void moebius_transform(TruthTable& t) { transform(t.words(), t.inputs()); }

TruthTable truth_table(Expr const& e, InputOrder const& inputs) {
    checked_input_count(inputs.size());
    TruthTable t(static_cast<unsigned>(inputs.size()));
    Evaluator(inputs).eval(e, t.words(), 0);
    return t;
}

TruthTable truth_table(Expr const& e, Vector const& inputs) {
    checked_input_count(inputs.size());
    return truth_table(e, InputOrder(inputs));
}

std::vector<TruthTable> truth_tables(Vector const& outputs, Vector const& inputs) {
    checked_input_count(inputs.size());
    InputOrder order(inputs);
    Evaluator ev(order);
    std::vector<TruthTable> r;
    r.reserve(outputs.size());
    for (Expr const& e : outputs) {
        r.emplace_back(static_cast<unsigned>(order.size()));
        ev.eval(e, r.back().words(), 0);
    }
    return r;
}

Expr anf_from_truth_table(TruthTable const& t, Vector const& inputs) {
    checked_input_count(inputs.size());
    InputOrder order(inputs);
    if (t.inputs() != order.size())
        throw std::invalid_argument("a truth table of " + std::to_string(t.inputs()) +
                                    " inputs read over " + std::to_string(order.size()) +
                                    " inputs");
    TruthTable c(t);
    moebius_transform(c);
    Expr r = CanonicalReader(c, order).read();
    assert(simps::is_canonical(r));
    return r;
}

std::vector<TruthTable> tables_of_lookup(std::span<std::uint64_t const> entries, unsigned n,
                                         unsigned nbits) {
    checked_input_count(n);
    check_lookup_shape(entries.size(), n, nbits);
    for (std::size_t r = 0; r < entries.size(); ++r)
        if (nbits < 64 && entries[r] >> nbits)
            throw std::overflow_error("lookup table entry " + std::to_string(r) + " (" +
                                      std::to_string(entries[r]) + ") does not fit in " +
                                      std::to_string(nbits) + " bits");
    std::vector<TruthTable> tables(nbits, TruthTable(n));
    for (std::size_t r = 0; r < entries.size(); ++r)
        for (std::uint64_t v = entries[r]; v; v &= v - 1)
            tables[std::countr_zero(v)].words()[r >> 6] |= std::uint64_t(1) << (r & 63);
    return tables;
}

Vector anf_from_lookup_table(std::span<std::uint64_t const> entries, Vector const& inputs,
                             unsigned nbits) {
    checked_input_count(inputs.size());
    InputOrder order(inputs);
    std::vector<TruthTable> tables =
        tables_of_lookup(entries, static_cast<unsigned>(order.size()), nbits);
    Vector r;
    r.reserve(nbits);
    for (TruthTable& t : tables) {
        moebius_transform(t);
        r.push_back(CanonicalReader(t, order).read());
    }
    return r;
}

std::vector<std::uint64_t> lookup_table(Vector const& outputs, Vector const& inputs) {
    if (outputs.size() > lookup_max_bits)
        throw std::length_error("lookup tables have at most " + std::to_string(lookup_max_bits) +
                                " output bits, got " + std::to_string(outputs.size()));
    checked_input_count(inputs.size());
    InputOrder order(inputs);
    unsigned n = static_cast<unsigned>(order.size());
    require_memory(std::size_t(1) << n, sizeof(std::uint64_t));
    std::vector<std::uint64_t> entries(std::size_t(1) << n, 0);
    TruthTable t(n);
    Evaluator ev(order);
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        ev.eval(outputs[i], t.words(), 0);
        for (std::size_t r = 0; r < entries.size(); ++r)
            entries[r] |= static_cast<std::uint64_t>(t.at(r)) << i;
    }
    return entries;
}

} // namespace ond::analyses
