// libFuzzer entry point of the readers (decode_program.hpp): a broken round trip is reported
// and aborts, so that libFuzzer keeps the input.
#include "decode_program.hpp"
#include "fuzz_program.hpp"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    try {
        ond::fuzz::run_decode(data, size);
    } catch (ond::fuzz::Violation const& v) {
        std::fprintf(stderr, "invariant violated: %s\n", v.what());
        std::abort();
    }
    return 0;
}
