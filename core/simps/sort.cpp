// Sorting of argument lists: O(n log n) comparisons per node, one pass over the tree.
#include "simps/simplify.hpp"

namespace ond::simps {

void sort_no_rec(Expr& e) {
    if (e.has_args()) e.args().sort();
}

void sort(Expr& e) {
    if (!e.has_args()) return;
    for (Expr& a : e.args()) sort(a);
    sort_no_rec(e);
}

} // namespace ond::simps
