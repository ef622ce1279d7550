// The compact, versioned binary form of values, which pickling writes and reads. Symbols travel
// by name and argument symbols by number: reading interns the names in the reading process, so a
// value moves between processes whose symbol tables differ.
//
// Layout (version 1): the magic "ond", the version byte, the kind of the value (EncodedKind);
// the table of the named symbols used, ascending by their index in the writing process (a
// varint count, then each name as a varint length and its UTF-8 bytes); then the value. An
// expression is written in preorder, one token per node: a byte holding the token code in its
// top 3 bits and a small number in its low 5 (31: the number minus 31 follows as a varint).
// Operator nodes carry their argument count (an ESF node also its degree byte), a named symbol
// its position in the table, an argument symbol its number, an immediate its value; a product of
// strictly ascending named symbols (a monomial) is one token with the positions delta-coded.
//
// Reading checks everything it reads before it allocates: every count is bounded by the bytes
// left, nesting by max_encoded_depth; the names are interned only once the whole value has been
// read, so damaged input leaves the symbol table unchanged. Cost: linear in the size of the
// value, both ways; no recursion.
#pragma once

#include "expr/expr.hpp"
#include "expr/export.hpp"

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ond {

class SymbolsHist;
class SymbolsSet;

namespace errors {

// Bytes that are not the binary form of the value asked for (truncated, corrupted, another
// version or kind), or a value that has no binary form. A ValueError in Python.
class OND_API BadEncoding : public std::invalid_argument {
public:
    explicit BadEncoding(std::string const& what);
};

} // namespace errors

// What the bytes hold, recorded after the version.
enum class EncodedKind : std::uint8_t {
    expr = 1,
    vector = 2,
    matrix = 3,
    aff_app = 4,
    vector_app = 5,
    app = 6,
    symbols_set = 7,
    symbols_hist = 8,
    symbols_hist_value = 9,
};

inline constexpr std::uint8_t encoding_version = 1;

// Deepest nesting written or read. The rest of the library (copies, comparisons, the passes,
// the printer) walks trees recursively; this bound keeps a loaded tree within what they handle
// on a default thread stack.
inline constexpr std::size_t max_encoded_depth = 10000;

// Writes one value: first every expression of it is collected (the symbol table is built from
// them), then begin() writes the header and the table, then the same parts are written in the
// same order.
class OND_API Encoder {
public:
    void collect(Expr const& e);
    void begin(EncodedKind kind);
    void write(Expr const& e);
    void write_number(std::uint64_t n);
    std::string take() { return std::move(out_); }

private:
    void put_varint(std::uint64_t v);
    void put_token(unsigned code, std::uint64_t n);
    std::uint32_t local_id(std::uint32_t sym_idx) const;

    std::vector<bool> used_;       // by symbol index: named symbols met by collect()
    std::vector<std::uint32_t> local_; // by symbol index: position in the written table
    std::string out_;
};

// Reads one value: the constructor checks the header and reads the table, the read calls
// follow the order of the writes, finish() checks that nothing is left and interns the names.
// The symbols of the expressions read hold their final indices, valid once finish() returned.
class OND_API Decoder {
public:
    Decoder(std::string_view bytes, EncodedKind kind);
    Expr read_expr();
    // An expression that must be a symbol.
    ExprSym read_symbol();
    std::uint64_t read_number();
    // A count of items that take at least `min_bytes` bytes each in the rest of the input.
    std::uint64_t read_count(std::size_t min_bytes = 1);
    void finish();
    // Bytes not read yet.
    std::size_t left() const { return bytes_.size() - pos_; }
    // Refuses the input, naming the position reached.
    [[noreturn]] void fail(std::string const& what) const;

private:
    std::uint8_t get_byte();
    std::uint64_t token_number(std::uint8_t token);
    void read_table();
    Expr read_monomial(std::uint64_t n);
    // A token that is a whole expression (a symbol, an immediate or a monomial) holding the
    // number `n`; `owed` bytes of the rest are reserved by the nodes still open.
    Expr read_leaf(unsigned code, std::uint64_t n, std::uint64_t owed);
    // Refuses `n` items of a byte at least each when the rest, less `owed`, cannot hold them.
    void check_count(std::uint64_t n, std::uint64_t owed, const char* what) const;

    std::string_view bytes_;
    std::size_t pos_ = 0;
    std::vector<std::uint32_t> index_;   // by table position: the index in this process
    std::vector<std::string_view> new_names_; // names this process does not know yet, in order
    bool resort_ = false; // the table's order is not this process's order
};

// The whole binary form of `value`, whose parts `collect(w, value)` and `write(w, value)` visit.
template <class T>
std::string encode_value(T const& value, EncodedKind kind) {
    Encoder w;
    collect(w, value);
    w.begin(kind);
    write(w, value);
    return w.take();
}

// The value that `read(r)` reads from the whole of `bytes`.
template <class Read>
auto decode_value(std::string_view bytes, EncodedKind kind, Read read) {
    Decoder r(bytes, kind);
    auto value = read(r);
    r.finish();
    return value;
}

// The binary forms of expressions and of the symbol containers.
OND_API std::string encode(Expr const& e);
OND_API Expr decode_expr(std::string_view bytes);
OND_API std::string encode(SymbolsSet const& s);
OND_API SymbolsSet decode_symbols_set(std::string_view bytes);
OND_API std::string encode(SymbolsHist const& h);
OND_API SymbolsHist decode_symbols_hist(std::string_view bytes);
OND_API std::string encode(std::pair<ExprSym, unsigned int> const& v);
OND_API std::pair<ExprSym, unsigned int> decode_symbols_hist_value(std::string_view bytes);

} // namespace ond
