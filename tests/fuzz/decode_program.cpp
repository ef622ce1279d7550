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

#include <iterator>
#include <string>
#include <string_view>

namespace ond::fuzz {

namespace {

// Reads `bytes` with `Decode`; a value read writes back to bytes that read as the same bytes.
template <auto Decode>
void round_trip(std::string_view bytes, const char* what) {
    std::string written;
    try {
        written = encode(Decode(bytes));
    } catch (errors::BadEncoding const&) {
        return;
    }
    if (encode(Decode(written)) != written)
        throw Violation(std::string(what) + ": written form does not read back the same");
}

// The printed form of what the text reader read is text it accepts, and its binary form reads
// back equal.
void read_text(std::string_view text, const char*) {
    Expr e;
    try {
        e = parse(text);
    } catch (errors::ParseError const&) {
        return;
    }
    parse(expr_text(e));
    if (!(decode_expr(encode(e)) == e)) throw Violation("parse: binary form differs");
}

// The readers by the first byte of an input: readers[byte % size]. Append-only, like the core
// program's operations: the checked-in corpus means what these numbers meant when it was
// written, so a new reader takes the next number and none is renumbered or removed.
struct Reader {
    const char* name;
    void (*run)(std::string_view input, const char* name);
};

constexpr Reader readers[] = {
    {"Expr", round_trip<decode_expr>},
    {"Vector", round_trip<decode_vector>},
    {"Matrix", round_trip<decode_matrix>},
    {"AffApp", round_trip<decode_aff_app>},
    {"VectorApp", round_trip<decode_vector_app>},
    {"App", round_trip<decode_app>},
    {"SymbolsSet", round_trip<decode_symbols_set>},
    {"SymbolsHist", round_trip<decode_symbols_hist>},
    {"SymbolsHistValue", round_trip<decode_symbols_hist_value>},
    {"text", read_text},
};

} // namespace

void run_decode(std::uint8_t const* data, std::size_t size) {
    if (size == 0) return;
    std::string_view rest(reinterpret_cast<char const*>(data + 1), size - 1);
    Reader const& r = readers[data[0] % std::size(readers)];
    r.run(rest, r.name);
}

std::size_t reader_count() {
    return std::size(readers);
}

const char* reader_name(std::size_t number) {
    return number < std::size(readers) ? readers[number].name : nullptr;
}

} // namespace ond::fuzz
