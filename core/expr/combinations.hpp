// Enumeration of k-element subsets of 0 .. n-1 as ascending index tuples, in lexicographic
// order, shared by the ESF expansion and the OR rewriting. O(k) per step.
#pragma once

#include <cstddef>
#include <vector>

namespace ond {

// Advances (i1 < ... < ik) to the next tuple; false, leaving it unchanged, after the last one
// (n-k, ..., n-1).
inline bool next_combination(std::vector<std::size_t>& idx, std::size_t n) {
    std::size_t k = idx.size();
    std::size_t j = k;
    while (j > 0 && idx[j - 1] == n - k + (j - 1)) --j;
    if (j == 0) return false;
    ++idx[j - 1];
    for (std::size_t i = j; i < k; ++i) idx[i] = idx[i - 1] + 1;
    return true;
}

} // namespace ond
