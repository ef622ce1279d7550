// Memory budget: the physical memory is read once and cached, the address-space limit at each
// check of a large request; a check is O(1), the footprint of an expression a walk of its tree.
#include "expr/memory_budget.hpp"

#include <cstdint>
#include <new>

#include <sys/resource.h>
#include <unistd.h>

namespace ond {

namespace {

// What malloc adds to every block: its header, rounded up to its alignment.
constexpr std::size_t block_overhead = 16;

// Requests below this size are granted without looking at the limits (no system call on the
// small steps that make up most of the work).
constexpr std::size_t always_granted = std::size_t(64) << 20;

std::size_t physical_memory() {
    long pages = sysconf(_SC_PHYS_PAGES);
    long page = sysconf(_SC_PAGESIZE);
    std::size_t phys;
    if (pages <= 0 || page <= 0 ||
        __builtin_mul_overflow(static_cast<std::size_t>(pages), static_cast<std::size_t>(page),
                               &phys))
        return SIZE_MAX;
    return phys;
}

} // namespace

std::size_t memory_limit() {
    // The address-space limit can be lowered while the process runs (a test does): it is read
    // each time, the physical memory once.
    static std::size_t const phys = physical_memory();
    rlimit as{};
    if (getrlimit(RLIMIT_AS, &as) == 0 && as.rlim_cur != RLIM_INFINITY && as.rlim_cur < phys)
        return static_cast<std::size_t>(as.rlim_cur);
    return phys;
}

void require_memory(std::size_t count, std::size_t record) {
    std::size_t bytes;
    if (__builtin_mul_overflow(count, record, &bytes)) throw std::bad_alloc();
    if (bytes > always_granted && bytes > memory_limit())
        throw std::bad_alloc();
}

std::size_t heap_footprint(Expr const& e) {
    if (!e.has_args()) return 0;
    ExprArgs const& a = e.args();
    std::size_t n = block_overhead + a.size() * sizeof(Expr);
    for (Expr const& x : a) n += heap_footprint(x);
    return n;
}

} // namespace ond
