// Flattening: merges children of the node's own kind into it and collapses empty and
// one-argument nodes. Each merge reserves the merged size once and inserts with the hinted
// search, so merging m elements into a list of n costs O(m log n) comparisons plus the shifts
// of the insertions, which are short when the lists do not interleave.
#include "simps/simplify.hpp"
#include "simps/simplify_rec.hpp"

#include <iterator>
#include <utility>

namespace ond::simps {

namespace {

// Exclusive-or of one element into a sorted list: a present equal element cancels with it.
void toggle(ExprArgs& r, Expr&& x) {
    auto [pos, found] = r.find(x);
    if (found || (pos != r.end() && *pos == x))
        r.erase(pos);
    else
        r.insert_at(pos, std::move(x));
}

// One merge step of a node with same-kind children; the node keeps its kind.
void merge_children(Expr& e, std::size_t merged_size) {
    expr_type_id kind = e.type();
    ExprArgs old;
    old.swap(e.args());
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
            toggle(r, std::move(x));
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
        if (a.size() == 1) {
            Expr only(std::move(a[0]));
            e = std::move(only);
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
        if (e.is_add() && e.args().size() == 1) {
            Expr only(std::move(e.args()[0]));
            e = std::move(only);
        }
    }
}

bool flatten(Expr& e) { return bottom_up(e, flatten_no_rec); }

} // namespace ond::simps
