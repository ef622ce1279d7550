// Folding of OR patterns back into Or nodes. The plain search tests every k-subset of the N
// symbol arguments of a sum, for k from N down to 2: up to 2^N - N - 1 candidates per round, and
// a round per fold. The pruned search only tests the subsets that some product term of the sum
// spells out, in the same order, so it costs O(T k log N) per round for T product terms.
#include "simps/or_rewriting.hpp"

#include "expr/combinations.hpp"

#include <algorithm>
#include <cstddef>
#include <vector>

namespace ond::simps {

namespace {

constexpr std::size_t none = static_cast<std::size_t>(-1);

using Positions = std::vector<std::size_t>;

bool same_args(Expr const& t, ExprArgs const& s) {
    return t.has_args() && Expr::ExprArgsStorage::args_equal_with(t.args(), s);
}

// The state of one fold over the arguments of an Add node. Index bounds into the argument list
// are kept up to date across removals instead of rescanning the node for every candidate.
class Fold {
public:
    explicit Fold(Expr& e) : e_(e) {}

    // Finds the first ESF (optional), the first product after it and the run of at least two
    // symbols after that product.
    bool locate() {
        if (!e_.is_add() || e_.args().empty()) return false;
        ExprArgs const& a = e_.args();
        std::size_t n = a.size();
        std::size_t i = 0;
        while (i < n && !a[i].is_esf()) ++i;
        esf_ = i < n ? i : none;
        i = esf_ == none ? 0 : esf_ + 1;
        while (i < n && !a[i].is_mul()) ++i;
        if (i == n) return false;
        mul_ = i;
        while (i < n && !a[i].is_sym()) ++i;
        if (i + 1 >= n || !a[i + 1].is_sym()) return false;
        sym_ = i;
        run_ = 0;
        while (sym_ + run_ < n && a[sym_ + run_].is_sym()) ++run_;
        return true;
    }

    std::size_t run() const { return run_; }
    bool has_esf() const { return esf_ != none; }

    // Tests the symbols at run positions `p` (ascending) and folds them on a match.
    bool try_fold(Positions const& p) {
        std::size_t k = p.size();
        ExprArgs const& a = e_.args();
        cand_.clear();
        for (std::size_t q : p) cand_.push_back(a[sym_ + q]);
        esfs_.clear();
        if (k >= 3) {
            if (esf_ == none) return false;
            std::size_t d = 2;
            for (std::size_t i = esf_; i < mul_ && d < k; ++i) {
                Expr const& t = a[i];
                if (!t.is_esf() || t.esf_degree() < d) continue;
                if (t.esf_degree() > d) return false;
                if (same_args(t, cand_)) {
                    esfs_.push_back(i);
                    ++d;
                }
            }
            if (d < k) return false;
        }
        std::size_t prod = none;
        // Sums may stand between the products and the symbols of a sorted but unflattened
        // node; one of them over the candidate's symbols is not the product.
        for (std::size_t i = mul_; i < sym_; ++i)
            if (a[i].is_mul() && same_args(a[i], cand_)) {
                prod = i;
                break;
            }
        if (prod == none) return false;

        found_.insert(Expr(expr_type_id::or_, cand_));
        ExprArgs& args = e_.args();
        auto at = [&](std::size_t i) { return args.begin() + static_cast<std::ptrdiff_t>(i); };
        for (std::size_t j = k; j-- > 0;) args.erase(at(sym_ + p[j]));
        args.erase(at(prod));
        for (std::size_t j = esfs_.size(); j-- > 0;) args.erase(at(esfs_[j]));
        run_ -= k;
        sym_ -= 1 + esfs_.size();
        mul_ -= esfs_.size();
        return true;
    }

    // The subsets of run positions that a product term spells out, by size, each sorted in
    // enumeration order. Requires a sorted argument list whose symbol run is strictly rising.
    std::vector<std::vector<Positions>> spelled_subsets() const {
        std::vector<std::vector<Positions>> by_size(run_ + 1);
        ExprArgs const& a = e_.args();
        auto first = a.begin() + static_cast<std::ptrdiff_t>(sym_);
        for (std::size_t i = mul_; i < sym_; ++i) {
            Expr const& t = a[i];
            if (!t.has_args() || t.args().size() < 2 || t.args().size() > run_) continue;
            Positions p;
            p.reserve(t.args().size());
            auto hint = first;
            for (Expr const& x : t.args()) {
                if (!x.is_sym()) break;
                auto [pos, present] = a.locate(x, hint);
                std::size_t q = static_cast<std::size_t>(pos - first);
                if (pos < first || q >= run_ || !present) break;
                if (!p.empty() && q <= p.back()) break;
                p.push_back(q);
                hint = pos + 1;
            }
            if (p.size() == t.args().size()) by_size[p.size()].push_back(std::move(p));
        }
        for (auto& v : by_size) {
            std::sort(v.begin(), v.end());
            v.erase(std::unique(v.begin(), v.end()), v.end());
        }
        return by_size;
    }

    // A product term can only be mapped onto run positions when the list is in order.
    bool prunable() const {
        ExprArgs const& a = e_.args();
        if (!std::is_sorted(a.begin(), a.end())) return false;
        for (std::size_t i = sym_ + 1; i < sym_ + run_; ++i)
            if (!(a[i - 1] < a[i])) return false;
        return true;
    }

    // Inserts the Or nodes found, or lets a single one replace an emptied sum.
    bool finish() {
        if (found_.empty()) return false;
        if (e_.args().empty() && found_.size() == 1) {
            Expr only(std::move(found_[0]));
            e_ = std::move(only);
            return true;
        }
        for (Expr& o : found_) e_.args().insert(std::move(o));
        return true;
    }

private:
    Expr& e_;
    std::size_t esf_ = none, mul_ = 0, sym_ = 0, run_ = 0;
    ExprArgs found_;
    ExprArgs cand_;
    Positions esfs_;
};

bool enumerate_size(Fold& f, std::size_t k, bool skip_without_esf) {
    if (skip_without_esf && k >= 3 && !f.has_esf()) return false;
    Positions p(k);
    for (std::size_t i = 0; i < k; ++i) p[i] = i;
    do {
        if (f.try_fold(p)) return true;
    } while (next_combination(p, f.run()));
    return false;
}

// Every k-subset in lexicographic order, k from the run length down. `skip_without_esf` leaves
// out the sizes that cannot match without ESF terms, which changes no result.
void search_exhaustive(Fold& f, bool skip_without_esf) {
    std::size_t k = f.run();
    for (;;) {
        if (enumerate_size(f, k, skip_without_esf)) {
            if (f.run() <= 1) return;
            k = f.run();
        } else {
            if (--k == 1) return;
        }
    }
}

// Same folds as the exhaustive search: a candidate only matches when a product term has exactly
// its symbols, and failed tests have no effect, so skipping every other subset changes nothing.
void search_pruned(Fold& f) {
    for (;;) {
        auto by_size = f.spelled_subsets();
        bool folded = false;
        for (std::size_t k = f.run(); k >= 2 && !folded; --k) {
            // Three or more symbols need ESF terms of every degree below k.
            if (k >= 3 && !f.has_esf()) continue;
            for (Positions const& p : by_size[k])
                if (f.try_fold(p)) {
                    folded = true;
                    break;
                }
        }
        if (!folded || f.run() <= 1) return;
    }
}

} // namespace

bool identify_ors_no_rec(Expr& e) {
    Fold f(e);
    if (!f.locate()) return false;
    if (f.prunable())
        search_pruned(f);
    else
        search_exhaustive(f, true);
    return f.finish();
}

bool identify_ors_no_rec_exhaustive(Expr& e) {
    Fold f(e);
    if (!f.locate()) return false;
    search_exhaustive(f, false);
    return f.finish();
}

bool identify_ors(Expr& e) {
    if (!e.has_args()) return false;
    bool changed = identify_ors_no_rec(e);
    // The node may have become an Or, or lost arguments: walk what it holds now.
    if (e.has_args())
        for (Expr& a : e.args()) changed |= identify_ors(a);
    return changed;
}

} // namespace ond::simps
