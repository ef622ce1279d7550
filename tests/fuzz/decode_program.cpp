// Cost per input: linear in its size (the readers and writers are), plus one print of what the
// text reader read.
#include "decode_program.hpp"

#include "fuzz_program.hpp"

#include "analyses/serialize_apps.hpp"
#include "expr/parse.hpp"
#include "expr/print.hpp"
#include "expr/serialize.hpp"
#include "expr/symbols_hist.hpp"
#include "expr/symbols_set.hpp"
#include "linalg/serialize_linalg.hpp"

#include <string>
#include <string_view>

namespace ond::fuzz {

namespace {

// Reads `bytes` with `decode`; a value read writes back to bytes that read as the same bytes.
template <class Decode>
void round_trip(std::string_view bytes, Decode decode, const char* what) {
    std::string written;
    try {
        written = encode(decode(bytes));
    } catch (errors::BadEncoding const&) {
        return;
    }
    if (encode(decode(written)) != written)
        throw Violation(std::string(what) + ": written form does not read back the same");
}

} // namespace

void run_decode(std::uint8_t const* data, std::size_t size) {
    if (size == 0) return;
    std::string_view rest(reinterpret_cast<char const*>(data + 1), size - 1);
    switch (data[0] % 10) {
    case 0: round_trip(rest, decode_expr, "Expr"); break;
    case 1: round_trip(rest, decode_vector, "Vector"); break;
    case 2: round_trip(rest, decode_matrix, "Matrix"); break;
    case 3: round_trip(rest, decode_aff_app, "AffApp"); break;
    case 4: round_trip(rest, decode_vector_app, "VectorApp"); break;
    case 5: round_trip(rest, decode_app, "App"); break;
    case 6: round_trip(rest, decode_symbols_set, "SymbolsSet"); break;
    case 7: round_trip(rest, decode_symbols_hist, "SymbolsHist"); break;
    case 8: round_trip(rest, decode_symbols_hist_value, "SymbolsHistValue"); break;
    default: {
        Expr e;
        try {
            e = parse(rest);
        } catch (errors::ParseError const&) {
            return;
        }
        // The printed form of what was read is text the reader accepts, and its binary form
        // reads back equal.
        parse(expr_text(e));
        if (!(decode_expr(encode(e)) == e)) throw Violation("parse: binary form differs");
    }
    }
}

} // namespace ond::fuzz
