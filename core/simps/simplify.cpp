// The simplification driver: one sort of the whole tree, then a bottom-up walk that runs the
// node loop on every node. A node is re-sorted only when one of its arguments changed; each
// loop iteration costs the passes' linear or n log n work on that node's list.
#include "simps/simplify.hpp"
#include "simps/simplify_rec.hpp"

namespace ond::simps {

Expr& simplify(Expr& e) {
    sort(e);
    simplify_rec(e);
    return e;
}

bool simplify_rec(Expr& e) {
    if (!e.has_args()) return false;
    bool changed = false;
    // Simplifying an argument rewrites it in place and never changes the length of the list.
    for (Expr& a : e.args()) changed |= simplify_rec(a);
    if (changed) sort_no_rec(e);
    return simplify_no_rec(e) || changed;
}

bool simplify_no_rec(Expr& e) {
    bool changed = false;
    for (;;) {
        changed |= constants_prop_no_rec(e);
        changed |= flatten_no_rec(e);
        changed |= constants_prop_sorted_no_rec(e);
        changed |= remove_dead_ops_no_rec(e);
        changed |= flatten_no_rec(e);
        if (!expand_no_rec(e)) return changed;
        changed = true;
    }
}

} // namespace ond::simps
