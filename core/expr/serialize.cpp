// Binary form of expressions and symbol containers: the token stream, the symbol table and the
// checks that make reading damaged input an error instead of a fault.
#include "expr/serialize.hpp"

#include "expr/symbols.hpp"
#include "expr/symbols_hist.hpp"
#include "expr/symbols_set.hpp"

#include <algorithm>
#include <unordered_set>

namespace ond {

namespace errors {
BadEncoding::BadEncoding(std::string const& what) : std::invalid_argument(what) {}
} // namespace errors

namespace {

constexpr char magic[3] = {'o', 'n', 'd'};
constexpr std::size_t header_size = 5;

// Token codes, the top 3 bits of a token byte. The operator codes are the node kinds.
constexpr unsigned code_named = 4;
constexpr unsigned code_arg = 5;
constexpr unsigned code_imm = 6;
constexpr unsigned code_monomial = 7;
constexpr unsigned inline_limit = 31; // low 5 bits: the number itself below this, else 31 + varint
constexpr std::uint32_t arg_number_limit = ~arg_symbol_mask + 1u; // 2^28

const char* kind_name(std::uint8_t k) {
    switch (static_cast<EncodedKind>(k)) {
    case EncodedKind::expr: return "Expr";
    case EncodedKind::vector: return "Vector";
    case EncodedKind::matrix: return "Matrix";
    case EncodedKind::aff_app: return "AffApp";
    case EncodedKind::vector_app: return "VectorApp";
    case EncodedKind::app: return "App";
    case EncodedKind::symbols_set: return "SymbolsSet";
    case EncodedKind::symbols_hist: return "SymbolsHist";
    case EncodedKind::symbols_hist_value: return "SymbolsHistValue";
    }
    return nullptr;
}

// A product written as one monomial token: strictly ascending named symbols.
bool is_monomial(Expr const& e) {
    if (!e.is_mul() || e.args().empty()) return false;
    std::uint32_t prev = 0;
    bool first = true;
    for (Expr const& x : e.args()) {
        if (!x.is_sym() || is_arg_symbol_index(x.sym_idx())) return false;
        if (!first && x.sym_idx() <= prev) return false;
        prev = x.sym_idx();
        first = false;
    }
    return true;
}

[[noreturn]] void too_deep() {
    throw errors::BadEncoding("expression nested deeper than " +
                              std::to_string(max_encoded_depth) + " levels cannot be saved");
}

} // namespace

// Encoder ---------------------------------------------------------------------------------------

void Encoder::collect(Expr const& root) {
    std::vector<Expr const*> todo{&root};
    while (!todo.empty()) {
        Expr const& e = *todo.back();
        todo.pop_back();
        if (e.is_sym()) {
            std::uint32_t idx = e.sym_idx();
            if (is_arg_symbol_index(idx)) continue;
            if (idx >= symbols().size())
                throw errors::BadEncoding("symbol " + std::to_string(idx) +
                                          " has no name and cannot be saved");
            if (used_.size() <= idx) used_.resize(symbols().size());
            used_[idx] = true;
        } else if (e.has_args()) {
            for (Expr const& x : e.args())
                if (x.has_args() || x.is_sym()) todo.push_back(&x);
        }
    }
}

void Encoder::begin(EncodedKind kind) {
    out_.append(magic, sizeof magic);
    out_.push_back(static_cast<char>(encoding_version));
    out_.push_back(static_cast<char>(kind));
    local_.assign(used_.size(), 0);
    std::uint32_t n = 0;
    for (std::size_t i = 0; i < used_.size(); ++i)
        if (used_[i]) local_[i] = n++;
    put_varint(n);
    for (std::size_t i = 0; i < used_.size(); ++i) {
        if (!used_[i]) continue;
        const char* name = symbols().name(ExprSym(static_cast<std::uint32_t>(i)));
        std::string_view s(name);
        put_varint(s.size());
        out_.append(s);
    }
}

std::uint32_t Encoder::local_id(std::uint32_t sym_idx) const { return local_[sym_idx]; }

void Encoder::put_varint(std::uint64_t v) {
    while (v >= 0x80) {
        out_.push_back(static_cast<char>(0x80 | (v & 0x7F)));
        v >>= 7;
    }
    out_.push_back(static_cast<char>(v));
}

void Encoder::put_token(unsigned code, std::uint64_t n) {
    if (n < inline_limit) {
        out_.push_back(static_cast<char>((code << 5) | n));
        return;
    }
    out_.push_back(static_cast<char>((code << 5) | inline_limit));
    put_varint(n - inline_limit);
}

void Encoder::write_number(std::uint64_t n) { put_varint(n); }

void Encoder::write(Expr const& root) {
    // Writes the token of `e`; true when its arguments follow as tokens of their own.
    auto put = [this](Expr const& e) {
        switch (e.type()) {
        case expr_type_id::sym:
            if (is_arg_symbol_index(e.sym_idx()))
                put_token(code_arg, e.sym_idx() & ~arg_symbol_mask);
            else
                put_token(code_named, local_id(e.sym_idx()));
            return false;
        case expr_type_id::imm: put_token(code_imm, e.imm_value() ? 1 : 0); return false;
        default: break;
        }
        ExprArgs const& a = e.args();
        if (is_monomial(e)) {
            put_token(code_monomial, a.size());
            std::uint32_t prev = 0;
            for (std::size_t i = 0; i < a.size(); ++i) {
                std::uint32_t id = local_id(a[i].sym_idx());
                put_varint(i == 0 ? id : id - prev - 1);
                prev = id;
            }
            return false;
        }
        put_token(static_cast<unsigned>(e.type()), a.size());
        if (e.is_esf()) out_.push_back(static_cast<char>(e.esf_degree()));
        return !a.empty();
    };
    std::vector<std::pair<Expr const*, std::size_t>> path;
    if (put(root)) path.emplace_back(&root, 0);
    while (!path.empty()) {
        auto& [node, next] = path.back();
        ExprArgs const& a = node->args();
        if (next == a.size()) {
            path.pop_back();
            continue;
        }
        Expr const& x = a[next++];
        if (put(x)) {
            if (path.size() == max_encoded_depth) too_deep();
            path.emplace_back(&x, 0);
        }
    }
}

// Decoder ---------------------------------------------------------------------------------------

Decoder::Decoder(std::string_view bytes, EncodedKind kind) : bytes_(bytes) {
    if (bytes.size() < header_size || !std::equal(magic, magic + sizeof magic, bytes.begin()))
        fail("not ondrex data (no header)");
    pos_ = sizeof magic;
    std::uint8_t version = get_byte();
    if (version != encoding_version)
        fail("format version " + std::to_string(version) + " is not supported (this ondrex reads "
             "version " + std::to_string(encoding_version) + ")");
    std::uint8_t k = get_byte();
    if (k != static_cast<std::uint8_t>(kind)) {
        const char* got = kind_name(k);
        fail(std::string("the data holds ") + (got ? got : "an unknown kind of value") +
             ", not " + kind_name(static_cast<std::uint8_t>(kind)));
    }
    read_table();
}

void Decoder::fail(std::string const& what) const {
    throw errors::BadEncoding("invalid ondrex data at byte " + std::to_string(pos_) + ": " + what);
}

std::uint8_t Decoder::get_byte() {
    if (pos_ == bytes_.size()) fail("truncated input");
    return static_cast<std::uint8_t>(bytes_[pos_++]);
}

std::uint64_t Decoder::read_number() {
    std::uint64_t v = 0;
    for (unsigned shift = 0;; shift += 7) {
        std::uint8_t b = get_byte();
        if (shift == 63 && b > 1) fail("number too large");
        v |= std::uint64_t(b & 0x7F) << shift;
        if (!(b & 0x80)) return v;
    }
}

std::uint64_t Decoder::read_count(std::size_t min_bytes) {
    std::uint64_t n = read_number();
    if (min_bytes != 0 && n > left() / min_bytes)
        fail("a count of " + std::to_string(n) + " is larger than the input");
    return n;
}

std::uint64_t Decoder::token_number(std::uint8_t token) {
    unsigned small = token & 0x1F;
    if (small < inline_limit) return small;
    std::uint64_t extra = read_number();
    if (extra > UINT64_MAX - inline_limit) fail("number too large");
    return inline_limit + extra;
}

void Decoder::read_table() {
    std::uint64_t n = read_count(1);
    index_.reserve(n);
    std::unordered_set<std::string_view> seen;
    std::size_t next_new = symbols().size();
    for (std::uint64_t i = 0; i < n; ++i) {
        std::uint64_t len = read_count(1);
        std::string_view name = bytes_.substr(pos_, len);
        if (name.find('\0') != std::string_view::npos) fail("a symbol name holds a NUL character");
        if (!seen.insert(name).second) fail("the symbol table repeats a name");
        pos_ += len;
        std::uint32_t idx;
        if (auto known = symbols().find(name)) {
            idx = *known;
        } else {
            if (is_arg_symbol_index(static_cast<std::uint32_t>(next_new)))
                fail("too many symbols for this process");
            idx = static_cast<std::uint32_t>(next_new++);
            new_names_.push_back(name);
        }
        if (!index_.empty() && idx < index_.back()) resort_ = true;
        index_.push_back(idx);
    }
}

Expr Decoder::read_monomial(std::uint64_t n) {
    ExprArgs args;
    args.reserve(n);
    std::uint64_t id = 0;
    for (std::uint64_t i = 0; i < n; ++i) {
        std::uint64_t d = read_number();
        if (i == 0) {
            id = d;
        } else {
            if (d >= index_.size()) fail("a monomial names a symbol outside the table");
            id += d + 1;
        }
        if (id >= index_.size()) fail("a monomial names a symbol outside the table");
        args.push_back(Expr::sym(index_[id]));
    }
    if (resort_) args.sort();
    return Expr(expr_type_id::mul, std::move(args));
}

ExprSym Decoder::read_symbol() {
    std::size_t at = pos_;
    Expr e = read_expr();
    if (!e.is_sym()) {
        pos_ = at;
        fail("expected a symbol");
    }
    return ExprSym(e.sym_idx());
}

namespace {

// A node whose arguments are still being read.
struct OpenNode {
    expr_type_id kind;
    std::uint8_t degree;
    std::uint64_t missing;
    ExprArgs args;
};

// Hands the finished node `done` to the open nodes, innermost first, closing each that it
// completes; true when `done` is then the whole expression.
bool hand_up(std::vector<OpenNode>& open, Expr& done, bool resort) {
    while (true) {
        if (open.empty()) return true;
        OpenNode& top = open.back();
        top.args.push_back(std::move(done));
        if (--top.missing > 0) return false;
        if (resort) top.args.sort();
        done = Expr(top.kind, std::move(top.args));
        done.set_esf_degree(top.degree);
        open.pop_back();
    }
}

} // namespace

void Decoder::check_count(std::uint64_t n, std::uint64_t owed, const char* what) const {
    if (n > left() || n > left() - owed)
        fail(std::string(what) + " of " + std::to_string(n) + " is larger than the input");
}

Expr Decoder::read_leaf(unsigned code, std::uint64_t n, std::uint64_t owed) {
    switch (code) {
    case code_named:
        if (n >= index_.size()) fail("symbol " + std::to_string(n) + " is not in the table");
        return Expr::sym(index_[n]);
    case code_arg:
        if (n >= arg_number_limit) fail("argument symbol number out of range");
        return Expr::sym(static_cast<std::uint32_t>(n) | arg_symbol_mask);
    case code_imm:
        if (n > 1) fail("invalid immediate " + std::to_string(n));
        return Expr::imm(n == 1);
    default:
        if (n == 0) fail("an empty monomial");
        check_count(n, owed, "a monomial size");
        return read_monomial(n);
    }
}

Expr Decoder::read_expr() {
    // Nodes whose arguments are still being read, innermost last.
    std::vector<OpenNode> open;
    // Argument tokens the open nodes still wait for, not yet begun: each takes a byte at least,
    // so what the open nodes reserve stays within the size of the input.
    std::uint64_t owed = 0;
    while (true) {
        std::uint8_t token = get_byte();
        if (!open.empty()) --owed;
        unsigned code = token >> 5;
        std::uint64_t n = token_number(token);
        Expr done;
        if (code >= code_named) {
            done = read_leaf(code, n, owed);
        } else {
            // An operator node; the codes below the leaf tokens are the node kinds.
            auto kind = static_cast<expr_type_id>(code);
            std::uint8_t degree = kind == expr_type_id::esf ? get_byte() : 0;
            check_count(n, owed, "an argument count");
            if (n > 0) {
                if (open.size() == max_encoded_depth)
                    fail("nesting deeper than " + std::to_string(max_encoded_depth) + " levels");
                ExprArgs args;
                args.reserve(n);
                open.push_back({kind, degree, n, std::move(args)});
                owed += n;
                continue;
            }
            done = Expr(kind, ExprArgs());
            done.set_esf_degree(degree);
        }
        if (hand_up(open, done, resort_)) return done;
    }
}

void Decoder::finish() {
    if (left() != 0) fail(std::to_string(left()) + " bytes left after the value");
    std::size_t first = symbols().size();
    for (std::size_t i = 0; i < new_names_.size(); ++i) {
        ExprSym s = symbols().symbol(std::string(new_names_[i]).c_str());
        if (s.idx() != first + i) throw std::logic_error("symbol table changed while decoding");
    }
    new_names_.clear();
}

// Expressions and symbol containers -------------------------------------------------------------

// The parts that encode_value() finds by argument-dependent lookup (hence not in an unnamed
// namespace); internal to the core all the same.
void collect(Encoder& w, Expr const& e) { w.collect(e); }
void write(Encoder& w, Expr const& e) { w.write(e); }

// The symbol containers: their length, then each entry (a histogram's with its count).
void collect(Encoder& w, SymbolsSet const& s) {
    for (ExprSym x : s) w.collect(x);
}
void write(Encoder& w, SymbolsSet const& s) {
    w.write_number(s.size());
    for (ExprSym x : s) w.write(x);
}
void collect(Encoder& w, std::pair<ExprSym, unsigned int> const& v) { w.collect(v.first); }
void write(Encoder& w, std::pair<ExprSym, unsigned int> const& v) {
    w.write(v.first);
    w.write_number(v.second);
}
void collect(Encoder& w, SymbolsHist const& h) {
    for (auto const& v : h) collect(w, v);
}
void write(Encoder& w, SymbolsHist const& h) {
    w.write_number(h.size());
    for (auto const& v : h) write(w, v);
}

namespace {

std::pair<ExprSym, unsigned int> read_hist_value(Decoder& r) {
    ExprSym s = r.read_symbol();
    std::uint64_t c = r.read_number();
    if (c > UINT32_MAX) r.fail("a count does not fit in 32 bits");
    return {s, static_cast<unsigned int>(c)};
}

} // namespace

std::string encode(Expr const& e) { return encode_value(e, EncodedKind::expr); }

Expr decode_expr(std::string_view bytes) {
    return decode_value(bytes, EncodedKind::expr, [](Decoder& r) { return r.read_expr(); });
}

std::string encode(SymbolsSet const& s) { return encode_value(s, EncodedKind::symbols_set); }

SymbolsSet decode_symbols_set(std::string_view bytes) {
    return decode_value(bytes, EncodedKind::symbols_set, [](Decoder& r) {
        SymbolsSet s;
        for (std::uint64_t n = r.read_count(); n > 0; --n)
            if (!s.insert(r.read_symbol())) r.fail("a symbol is repeated in the set");
        return s;
    });
}

std::string encode(SymbolsHist const& h) { return encode_value(h, EncodedKind::symbols_hist); }

SymbolsHist decode_symbols_hist(std::string_view bytes) {
    return decode_value(bytes, EncodedKind::symbols_hist, [](Decoder& r) {
        SymbolsHist h;
        for (std::uint64_t n = r.read_count(2); n > 0; --n) {
            auto [s, c] = read_hist_value(r);
            // compute() never stores a count of 0, which also keeps the repetition test exact.
            if (c == 0) r.fail("a histogram count of 0");
            if (h.count(s) != 0) r.fail("a symbol is repeated in the histogram");
            h.set_count(s, c);
        }
        return h;
    });
}

std::string encode(std::pair<ExprSym, unsigned int> const& v) {
    return encode_value(v, EncodedKind::symbols_hist_value);
}

std::pair<ExprSym, unsigned int> decode_symbols_hist_value(std::string_view bytes) {
    return decode_value(bytes, EncodedKind::symbols_hist_value, read_hist_value);
}

} // namespace ond
