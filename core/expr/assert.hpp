// OND_ASSERT(cond, "what broke"): an internal invariant, stated where it is established. Builds
// configured with OND_ASSERTS=ON (sanitizer, fuzz and assertion builds) define OND_ENABLE_ASSERTS;
// there a false condition prints the file, the line and the message to stderr and aborts, so that
// sanitizers and fuzzers report it as a crash. Otherwise the condition is compiled (it must stay
// valid code) but never evaluated: Release pays nothing for it. A check that compares with the
// state before an operation records that state under `asserts_enabled && ...`, which Release
// never evaluates either.
#pragma once

#ifdef OND_ENABLE_ASSERTS

#include <cstdio>
#include <cstdlib>

namespace ond {
inline constexpr bool asserts_enabled = true;
} // namespace ond

namespace ond::detail {

[[noreturn]] inline void assert_failed(const char* file, int line, const char* cond,
                                       const char* what) {
    std::fprintf(stderr, "%s:%d: invariant broken: %s (%s)\n", file, line, what, cond);
    std::fflush(stderr);
    std::abort();
}

} // namespace ond::detail

#define OND_ASSERT(cond, what)                                                                     \
    ((cond) ? static_cast<void>(0) : ::ond::detail::assert_failed(__FILE__, __LINE__, #cond, what))

#else

namespace ond {
inline constexpr bool asserts_enabled = false;
} // namespace ond

// A branch that is never taken: the condition stays type-checked and the helpers it names count as
// used, but the optimiser drops it.
#define OND_ASSERT(cond, what) (false ? static_cast<void>(!(cond)) : static_cast<void>(0))

#endif
