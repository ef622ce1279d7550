// Flattening: merges children of the node's own kind into it and collapses empty and
// one-argument nodes. Merging the k children one after the other would cost k passes over the
// growing list; when every list involved ascends strictly (the canonical shape), the merges are
// set operations and are paired off instead, O(N log k) for N elements in all. Otherwise the
// children are merged in order, each merge O(n + m).
#include "expr/collapse.hpp"
#include "simps/simplify.hpp"
#include "simps/simplify_rec.hpp"

#include <iterator>
#include <utility>
#include <vector>

namespace ond::simps {

namespace {

// With every list strictly ascending, each merge of the sequence keeps the running list strictly
// ascending, so the sequence computes the symmetric difference (Add) or the union of the lists,
// whatever their order: merge them pairwise, like the rounds of a tournament.
bool merge_children_as_sets(ExprArgs& old, expr_type_id kind, ExprArgs& out) {
    std::size_t lists = 0;
    for (Expr const& x : old) lists += x.type() == kind;
    if (lists < 3) return false;
    Expr const* prev_single = nullptr;
    for (Expr const& x : old) {
        if (x.type() == kind) {
            if (!x.args().strictly_ascending()) return false;
        } else {
            if (prev_single && !(*prev_single < x)) return false;
            prev_single = &x;
        }
    }
    std::vector<ExprArgs> parts;
    parts.reserve(lists + 1);
    ExprArgs singles;
    for (Expr& x : old) {
        if (x.type() == kind)
            parts.emplace_back().swap(x.args());
        else
            singles.push_back(std::move(x));
    }
    if (!singles.empty()) parts.push_back(std::move(singles));
    while (parts.size() > 1) {
        std::size_t w = 0;
        for (std::size_t i = 0; i < parts.size(); i += 2) {
            if (i + 1 < parts.size()) {
                if (kind == expr_type_id::add)
                    parts[i] = ExprArgs::merged_ascending<true>(std::move(parts[i]),
                                                                std::move(parts[i + 1]));
                else
                    parts[i] = ExprArgs::merged_ascending<false>(std::move(parts[i]),
                                                                 std::move(parts[i + 1]));
            }
            if (w != i) parts[w].swap(parts[i]);
            ++w;
        }
        parts.resize(w);
    }
    out.swap(parts[0]);
    return true;
}

// One merge step of a node with same-kind children; the node keeps its kind.
void merge_children(Expr& e, std::size_t merged_size) {
    expr_type_id kind = e.type();
    ExprArgs old;
    old.swap(e.args());
    if (ExprArgs r; merge_children_as_sets(old, kind, r)) {
        e.args().swap(r);
        return;
    }
    ExprArgs r;
    r.reserve(merged_size);
    for (Expr& x : old) {
        if (x.type() == kind) {
            auto first = std::make_move_iterator(x.args().begin());
            auto last = std::make_move_iterator(x.args().end());
            if (kind == expr_type_id::add)
                r.merge_exclusive(first, last);
            else
                r.merge_union(first, last);
        } else if (kind == expr_type_id::add) {
            r.toggle(std::move(x));
        } else {
            r.insert_unique(std::move(x));
        }
    }
    e.args().swap(r);
}

} // namespace

bool flatten_no_rec(Expr& e) {
    bool changed = false;
    for (;;) {
        if (!e.has_args()) return changed;
        if (esf_degree_zero_to_one(e)) {
            changed = true;
            continue;
        }
        ExprArgs& a = e.args();
        if (a.empty()) {
            // Whatever the operator, an empty node stands for 0 here.
            e = Expr::imm(false);
            changed = true;
            continue;
        }
        if (e.is_esf()) return changed;
        if (collapse_single(e)) {
            changed = true;
            continue;
        }
        std::size_t merged = 0;
        bool any = false;
        for (Expr const& x : a) {
            if (x.type() == e.type()) {
                merged += x.args().size();
                any = true;
            } else {
                ++merged;
            }
        }
        if (!any) return changed;
        merge_children(e, merged);
        changed = true;
        if (e.is_add()) collapse_single(e);
    }
}

bool flatten(Expr& e) { return bottom_up(e, flatten_no_rec); }

} // namespace ond::simps
