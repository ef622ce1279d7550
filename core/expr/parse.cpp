// Reading expressions: a scanner over UTF-8 text and a parser with an explicit stack of open
// groups (parentheses and ESF argument lists), so that nesting costs heap, not call stack.
#include "expr/parse.hpp"

#include "expr/collapse.hpp"
#include "expr/serialize.hpp"
#include "expr/symbols.hpp"

#include <algorithm>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

namespace ond {

namespace errors {
ParseError::ParseError(std::size_t position, std::string const& what)
    : std::invalid_argument("parse error at position " + std::to_string(position) + ": " + what),
      position_(position) {}
} // namespace errors

namespace {

constexpr const char* name_hint =
    " (a symbol name cannot hold white space, parentheses, commas or any of + ^ * & | ~)";

bool is_space(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

bool is_delimiter(char c) {
    switch (c) {
    case '(':
    case ')':
    case '+':
    case '^':
    case '*':
    case '&':
    case '|':
    case '~':
    case ',': return true;
    default: return is_space(c);
    }
}

bool all_digits(std::string_view s) {
    return !s.empty() &&
           std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The three binary operators, loosest first; a level's run of operands is combined at once.
enum Level { level_or = 0, level_xor = 1, level_and = 2 };

// Whether the arguments of `e`, an operand of an operator of kind `k`, can be merged into the
// run as the operator would merge them one operand at a time: at least two strictly ascending
// arguments, none of the operator's own kind, and no immediate the operator would absorb. Nodes
// built by the operators always qualify; only raw nodes (from ESF of degree 1 or of full degree,
// or the empty node) do not.
bool merges_flat(Expr const& e, expr_type_id k) {
    ExprArgs const& a = e.args();
    if (a.size() < 2) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        Expr const& x = a[i];
        if (x.type() == k) return false;
        if (x.is_imm() && (k != expr_type_id::add || !x.imm_value())) return false;
        if (i > 0 && !(a[i - 1] < x)) return false;
    }
    return true;
}

Expr apply(expr_type_id k, Expr const& a, Expr const& b) {
    switch (k) {
    case expr_type_id::add: return a + b;
    case expr_type_id::mul: return a * b;
    default: return a | b;
    }
}

// The left fold of `run`, one operand at a time, as the operators would compute it.
Expr fold_one_at_a_time(expr_type_id k, std::vector<Expr>& run) {
    Expr acc = std::move(run[0]);
    for (std::size_t i = 1; i < run.size(); ++i) acc = apply(k, acc, run[i]);
    return acc;
}

// The operands of `run` that are not immediates, with the arguments of those of kind `k` in
// their place. What the immediates come to is left in `one`: for a sum whether a 1 remains, for
// the other kinds whether the `absorbing` immediate came.
std::vector<Expr> gather_atoms(expr_type_id k, std::vector<Expr>& run, bool absorbing, bool& one) {
    bool in_place = std::none_of(run.begin(), run.end(), [k](Expr const& x) {
        return x.type() == k || x.is_imm();
    });
    if (in_place) return std::move(run);
    bool is_add = k == expr_type_id::add;
    std::vector<Expr> atoms;
    atoms.reserve(run.size());
    auto take = [&](Expr&& x) {
        if (!x.is_imm())
            atoms.push_back(std::move(x));
        else if (is_add)
            one ^= x.imm_value();
        else if (x.imm_value() == absorbing)
            one = true;
    };
    for (Expr& x : run) {
        if (x.type() == k)
            for (Expr& y : x.args()) take(std::move(y));
        else
            take(std::move(x));
    }
    return atoms;
}

// Of each run of equal neighbours in the sorted `atoms`, a sum keeps one when the run is odd
// (pairs cancel), the other kinds keep one always.
void drop_equal_neighbours(std::vector<Expr>& atoms, bool is_add) {
    std::size_t n = 0;
    for (std::size_t i = 0; i < atoms.size(); ++i) {
        if (i + 1 < atoms.size() && atoms[i] == atoms[i + 1]) {
            if (is_add) {
                ++i; // a pair cancels
                continue;
            }
            continue; // the last of equal operands is kept
        }
        if (n != i) atoms[n] = std::move(atoms[i]);
        ++n;
    }
    atoms.resize(n);
}

// The left fold of the operator of kind `k` over `run`, computed at once: exclusive-or cancels
// equal operands in pairs, conjunction and disjunction keep one of each; immediates are absorbed
// as the operators absorb them. Runs holding raw nodes are folded one operand at a time.
Expr combine(expr_type_id k, std::vector<Expr>& run) {
    if (run.size() == 1) return std::move(run[0]);
    bool flat = std::all_of(run.begin(), run.end(), [k](Expr const& x) {
        return x.type() != k || merges_flat(x, k);
    });
    if (!flat) return fold_one_at_a_time(k, run);
    bool is_add = k == expr_type_id::add;
    // The immediate that ends a product (0) or a disjunction (1), and the one that vanishes.
    bool absorbing = k == expr_type_id::or_;
    bool one = false;
    std::vector<Expr> atoms = gather_atoms(k, run, absorbing, one);
    if (!is_add && one) return Expr::imm(absorbing);
    if (!std::is_sorted(atoms.begin(), atoms.end())) std::sort(atoms.begin(), atoms.end());
    drop_equal_neighbours(atoms, is_add);
    if (is_add && one) atoms.push_back(Expr::imm(true));
    if (atoms.empty()) return Expr::imm(!is_add && !absorbing);
    return node_or_single(k, ExprArgs(std::move(atoms)));
}

class Parser {
public:
    explicit Parser(std::string_view text) : text_(text) {}
    Expr run();

private:
    // An open group: the whole text, a parenthesis, or the argument list of an ESF.
    struct Group {
        enum Kind { top, paren, esf };
        Group(Kind k, std::size_t at) : kind(k), start(at) {}
        Kind kind;
        std::size_t start;                 // where it was opened, for the error of a missing ')'
        std::uint8_t degree = 0;           // ESF
        std::vector<Expr> esf_args;        // ESF: the arguments before the current one
        std::vector<Expr> runs[3];         // operands waiting at each level
        std::size_t nots = 0;              // '~' read before the current operand
    };

    [[noreturn]] void fail(std::size_t at, std::string const& what) const;
    std::size_t char_position(std::size_t byte) const;
    void skip_space() {
        while (pos_ < text_.size() && is_space(text_[pos_])) ++pos_;
    }
    bool take(std::string_view s) {
        if (text_.substr(pos_, s.size()) != s) return false;
        pos_ += s.size();
        return true;
    }
    std::string_view read_name() {
        std::size_t b = pos_;
        while (pos_ < text_.size() && !is_delimiter(text_[pos_])) {
            if (text_[pos_] == '\0') fail(pos_, "a NUL character");
            ++pos_;
        }
        return text_.substr(b, pos_ - b);
    }
    // "(empty)" at the current position, read if present.
    bool take_empty();
    Expr symbol_named(std::string_view name, std::size_t at);
    Expr leaf(std::string_view name, std::size_t at);
    void operand(Expr e);
    void close_levels(Group& g, int down_to);
    Expr close_group(Group& g);
    void open(Group g);
    std::string describe(std::size_t at) const;
    void read_operand(std::size_t at);
    void read_esf_call(std::size_t at);
    void read_sym_call();
    Expr finish(std::size_t at);
    void read_operator(std::size_t at);
    void close_innermost(Group& g);

    std::string_view text_;
    std::size_t pos_ = 0;
    std::vector<Group> groups_;
    bool want_operand_ = true;
    bool last_was_name_ = false;
    std::unordered_map<std::string_view, std::uint32_t> known_;
    std::vector<std::string_view> new_names_;
};

void Parser::fail(std::size_t at, std::string const& what) const {
    throw errors::ParseError(char_position(at), what);
}

std::size_t Parser::char_position(std::size_t byte) const {
    std::size_t n = 0;
    for (std::size_t i = 0; i < byte && i < text_.size(); ++i)
        if ((static_cast<unsigned char>(text_[i]) & 0xC0) != 0x80) ++n;
    return n;
}

std::string Parser::describe(std::size_t at) const {
    if (at >= text_.size()) return "the end of the text";
    std::size_t end = at + 1;
    if (!is_delimiter(text_[at]))
        while (end < text_.size() && !is_delimiter(text_[end])) ++end;
    return "'" + std::string(text_.substr(at, end - at)) + "'";
}

bool Parser::take_empty() {
    std::size_t save = pos_;
    if (take("(")) {
        skip_space();
        if (take("empty")) {
            skip_space();
            if (take(")")) return true;
        }
    }
    pos_ = save;
    return false;
}

Expr Parser::symbol_named(std::string_view name, std::size_t at) {
    if (all_digits(name)) fail(at, "'" + std::string(name) + "' is not a symbol name");
    auto it = known_.find(name);
    if (it == known_.end()) {
        std::uint32_t idx;
        if (auto found = symbols().find(name)) {
            idx = *found;
        } else {
            idx = static_cast<std::uint32_t>(symbols().size() + new_names_.size());
            if (is_arg_symbol_index(idx)) fail(at, "too many symbols");
            new_names_.push_back(name);
        }
        it = known_.emplace(name, idx).first;
    }
    return Expr::sym(it->second);
}

Expr Parser::leaf(std::string_view name, std::size_t at) {
    if (name == "0" || name == "1") return Expr::imm(name == "1");
    if (all_digits(name))
        fail(at, "'" + std::string(name) + "' is not an expression (the constants are 0 and 1)");
    if (name.size() > 1 && name[0] == '_' && all_digits(name.substr(1))) {
        std::uint64_t k = 0;
        for (char c : name.substr(1)) {
            k = k * 10 + static_cast<unsigned>(c - '0');
            if (k >= (std::uint64_t(1) << 28)) fail(at, "argument symbol number out of range");
        }
        return Expr::sym(static_cast<std::uint32_t>(k) | arg_symbol_mask);
    }
    return symbol_named(name, at);
}

// An operand is complete: it takes the group's pending '~' and joins the tightest run.
void Parser::operand(Expr e) {
    Group& g = groups_.back();
    for (; g.nots > 0; --g.nots) e = e + Expr::imm(true);
    g.runs[level_and].push_back(std::move(e));
    want_operand_ = false;
}

// Combines the runs of the levels tighter than `down_to` and hands each result to the next
// looser level.
void Parser::close_levels(Group& g, int down_to) {
    static constexpr expr_type_id kinds[3] = {expr_type_id::or_, expr_type_id::add,
                                              expr_type_id::mul};
    for (int l = level_and; l > down_to; --l) {
        std::vector<Expr>& run = g.runs[l];
        Expr r = combine(kinds[l], run);
        run.clear();
        g.runs[l - 1].push_back(std::move(r));
    }
}

Expr Parser::close_group(Group& g) {
    close_levels(g, level_or);
    std::vector<Expr>& run = g.runs[level_or];
    Expr r = combine(expr_type_id::or_, run);
    run.clear();
    return r;
}

void Parser::open(Group g) {
    if (groups_.size() > max_encoded_depth)
        fail(pos_, "nesting deeper than " + std::to_string(max_encoded_depth) + " levels");
    groups_.push_back(std::move(g));
    want_operand_ = true;
}

Expr Parser::run() {
    groups_.push_back(Group(Group::top, 0));
    while (true) {
        skip_space();
        std::size_t at = pos_;
        if (want_operand_)
            read_operand(at);
        else if (pos_ == text_.size())
            return finish(at);
        else
            read_operator(at);
    }
}

// Expecting an operand: a '~', an opening parenthesis (or the empty sum), a call of ESF or Sym,
// or a name.
void Parser::read_operand(std::size_t at) {
    if (pos_ == text_.size()) fail(at, "expected an expression, got the end of the text");
    char c = text_[pos_];
    if (c == '~') {
        ++pos_;
        ++groups_.back().nots;
        return;
    }
    if (c == '(') {
        if (take_empty()) {
            operand(Expr(expr_type_id::add, ExprArgs()));
        } else {
            ++pos_;
            open(Group(Group::paren, at));
        }
        last_was_name_ = false;
        return;
    }
    if (is_delimiter(c)) fail(at, "expected an expression, got " + describe(at));
    std::string_view name = read_name();
    std::size_t after = pos_;
    skip_space();
    bool call = pos_ < text_.size() && text_[pos_] == '(';
    if (call && (name == "ESF" || name == "Sym")) {
        ++pos_;
        skip_space();
        if (name == "ESF")
            read_esf_call(at);
        else
            read_sym_call();
        last_was_name_ = false;
        return;
    }
    pos_ = after;
    operand(leaf(name, at));
    last_was_name_ = true;
}

// After "ESF(" opened at `at`: the degree, the comma, then the arguments as a group of their own;
// an ESF of the empty sum alone is complete at once.
void Parser::read_esf_call(std::size_t at) {
    std::size_t dat = pos_;
    std::string_view d = read_name();
    if (!all_digits(d) || d.size() > 3 || std::stoul(std::string(d)) > 255)
        fail(dat, "expected an ESF degree from 0 to 255, got " + describe(dat));
    skip_space();
    if (!take(",")) fail(pos_, "expected ',' after the ESF degree, got " + describe(pos_));
    skip_space();
    Group g(Group::esf, at);
    g.degree = static_cast<std::uint8_t>(std::stoul(std::string(d)));
    if (!take_empty()) {
        open(std::move(g));
        return;
    }
    skip_space();
    if (take(")")) {
        operand(Expr(ExprESF(g.degree, ExprArgs())));
    } else if (pos_ < text_.size() && text_[pos_] == ',') {
        // An empty sum as the first of several arguments prints as "(empty)" too.
        open(std::move(g));
        operand(Expr(expr_type_id::add, ExprArgs()));
    } else {
        fail(pos_, "expected ')' or ',' after (empty), got " + describe(pos_));
    }
}

// After "Sym(": one symbol name and the closing parenthesis.
void Parser::read_sym_call() {
    std::size_t nat = pos_;
    std::string_view inner = read_name();
    if (inner.empty()) fail(nat, "expected a symbol name, got " + describe(nat));
    Expr s = leaf(inner, nat);
    if (!s.is_sym()) fail(nat, "expected a symbol name, got " + describe(nat));
    skip_space();
    if (!take(")")) fail(pos_, "expected ')', got " + describe(pos_));
    operand(std::move(s));
}

// The end of the text after an operand: every group must be closed. The names read are interned
// only now, so that a refused text leaves the symbol table as it was.
Expr Parser::finish(std::size_t at) {
    Group& g = groups_.back();
    if (g.kind != Group::top)
        fail(at, std::string("expected ')' to close the ") +
                     (g.kind == Group::esf ? "ESF" : "parenthesis") + " at position " +
                     std::to_string(char_position(g.start)) + ", got the end of the text");
    Expr r = close_group(g);
    std::size_t first = symbols().size();
    for (std::size_t i = 0; i < new_names_.size(); ++i)
        if (symbols().symbol(std::string(new_names_[i]).c_str()).idx() != first + i)
            throw std::logic_error("symbol table changed while parsing");
    return r;
}

// After an operand, not at the end: an operator, a comma or a closing parenthesis.
void Parser::read_operator(std::size_t at) {
    Group& g = groups_.back();
    char c = text_[pos_];
    bool was_name = last_was_name_;
    last_was_name_ = false;
    switch (c) {
    case '*':
    case '&':
        ++pos_;
        break;
    case '+':
    case '^':
        ++pos_;
        close_levels(g, level_xor);
        break;
    case '|':
        ++pos_;
        close_levels(g, level_or);
        break;
    case ',':
        if (g.kind != Group::esf) fail(at, "unexpected ','");
        ++pos_;
        g.esf_args.push_back(close_group(g));
        break;
    case ')':
        if (g.kind == Group::top) fail(at, "unexpected ')'");
        ++pos_;
        close_innermost(g); // an operand: the next token is an operator
        return;
    default:
        fail(at, "expected an operator, got " + describe(at) + (was_name ? name_hint : ""));
    }
    want_operand_ = true;
}

// The group `g`, innermost, ends at a ')': its value (an ESF of its arguments) becomes an
// operand of the group around it.
void Parser::close_innermost(Group& g) {
    Expr r = close_group(g);
    if (g.kind == Group::esf) {
        g.esf_args.push_back(std::move(r));
        ExprArgs a(std::move(g.esf_args));
        a.sort();
        r = Expr(ExprESF(g.degree, std::move(a)));
    }
    groups_.pop_back();
    operand(std::move(r));
}

} // namespace

Expr parse(std::string_view text) { return Parser(text).run(); }

} // namespace ond
