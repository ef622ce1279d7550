// The memory budget of one allocation step: requests that cannot fit in the machine are refused
// with std::bad_alloc before anything is allocated, so that a blow-up (a huge expansion, a
// vector of 2^40 elements) becomes a MemoryError instead of swapping the machine to a halt.
#pragma once

#include "expr/expr.hpp"

#include <cstddef>

namespace ond {

// Bytes one step may ask for: the physical memory (pages times page size), or the process's
// address-space limit when that is lower.
std::size_t memory_limit();

// Throws std::bad_alloc when `count` records of `record` bytes each exceed memory_limit() (an
// overflowing product included). Costs two multiplications once the limit is known.
void require_memory(std::size_t count, std::size_t record);

// Bytes `e` holds on the heap: its argument storage, recursively, with the allocator's overhead
// per block. Linear in the size of the tree.
std::size_t heap_footprint(Expr const& e);

} // namespace ond
