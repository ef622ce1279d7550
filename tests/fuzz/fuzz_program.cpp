// The fuzz program. Cost per input: at most max_steps operations, each bounded by the size caps
// below (pool trees of at most max_nodes nodes, expansions of at most max_terms products,
// vectors of at most 8 and matrices of at most 6 x 6 elements), times the 32 assignments of the
// five variables that every truth table covers.
#include "fuzz_program.hpp"

#include "expr/print.hpp"
#include "expr/symbols.hpp"
#include "linalg/bitfield.hpp"
#include "linalg/matrix.hpp"
#include "linalg/matrix_elimination.hpp"
#include "linalg/size_mismatch.hpp"
#include "linalg/subs.hpp"
#include "linalg/vector.hpp"
#include "simps/or_rewriting.hpp"
#include "simps/simplify.hpp"

#include <algorithm>
#include <array>
#include <iterator>
#include <map>
#include <numeric>
#include <string>
#include <utility>
#include <vector>

namespace ond::fuzz {

namespace {

// Five variables: a truth table over all their assignments fits in 32 bits, bit x holding the
// value under the assignment whose bit k gives variable k.
constexpr int nvars = 5;
using Table = std::uint32_t;
constexpr Table all_ones = 0xFFFFFFFFu;
constexpr std::array<Table, nvars> var_tables = {0xAAAAAAAAu, 0xCCCCCCCCu, 0xF0F0F0F0u,
                                                 0xFF00FF00u, 0xFFFF0000u};

constexpr std::size_t n_exprs = 8, n_vectors = 4, n_matrices = 4;
constexpr std::size_t max_steps = 48;
// Trees beyond this size are reset to a variable, so that steps stay cheap.
constexpr std::size_t max_nodes = 64;
// Bound on the products an expansion may form; a step that could exceed it is skipped.
constexpr std::uint64_t max_terms = 2048;
// Or and ESF nodes wider than this are not expanded (the expansion is exponential in it).
constexpr std::size_t max_wide = 8;
// The OR identification enumerates the subsets of a run of symbols in a sum.
constexpr std::size_t max_symbol_run = 10;

std::array<std::uint32_t, nvars> const& var_indices() {
    static std::array<std::uint32_t, nvars> idx = [] {
        std::array<std::uint32_t, nvars> r{};
        const char* names[nvars] = {"fz_a", "fz_b", "fz_c", "fz_d", "fz_e"};
        for (int k = 0; k < nvars; ++k) r[k] = symbol(names[k]).sym_idx();
        return r;
    }();
    return idx;
}

Expr var(int k) { return Expr::sym(var_indices()[k]); }

class Bytes {
public:
    Bytes(std::uint8_t const* p, std::size_t n) : p_(p), n_(n) {}
    bool done() const { return i_ >= n_; }
    std::uint8_t next() { return i_ < n_ ? p_[i_++] : 0; }
    std::size_t below(std::size_t n) { return next() % n; }

private:
    std::uint8_t const* p_;
    std::size_t n_;
    std::size_t i_ = 0;
};

[[noreturn]] void fail(std::string const& step, std::string const& what) {
    throw Violation(step + ": " + what);
}

std::string text(Expr const& e) { return expr_text(e); }

// The Boolean function of a tree, with the library's conventions: an operator node without
// arguments is 0 whatever its kind, and an ESF of degree d is the parity of the d-element
// subsets of its (possibly repeated) arguments.
Table table(Expr const& e) {
    switch (e.type()) {
    case expr_type_id::imm:
        return e.imm_value() ? all_ones : 0;
    case expr_type_id::sym: {
        auto const& idx = var_indices();
        for (int k = 0; k < nvars; ++k)
            if (idx[k] == e.sym_idx()) return var_tables[k];
        throw Violation("a symbol outside the fuzz variables appeared: " + text(e));
    }
    default:
        break;
    }
    ExprArgs const& a = e.args();
    if (a.empty()) return 0;
    Table r = 0;
    switch (e.type()) {
    case expr_type_id::add:
        for (Expr const& x : a) r ^= table(x);
        return r;
    case expr_type_id::mul:
        r = all_ones;
        for (Expr const& x : a) r &= table(x);
        return r;
    case expr_type_id::or_:
        for (Expr const& x : a) r |= table(x);
        return r;
    default: {
        // e_j over the arguments seen so far, for j = 0 .. d, one assignment per bit.
        std::size_t d = e.esf_degree();
        if (d > a.size()) return 0;
        std::vector<Table> es(d + 1, 0);
        es[0] = all_ones;
        for (Expr const& x : a) {
            Table t = table(x);
            for (std::size_t j = d; j >= 1; --j) es[j] ^= es[j - 1] & t;
        }
        return es[d];
    }
    }
}

std::size_t nodes(Expr const& e) {
    if (!e.has_args()) return 1;
    std::size_t n = 1;
    for (Expr const& x : e.args()) n += nodes(x);
    return n;
}

bool has_kind(Expr const& e, expr_type_id t) {
    if (e.type() == t) return true;
    if (!e.has_args()) return false;
    for (Expr const& x : e.args())
        if (has_kind(x, t)) return true;
    return false;
}

// Every argument list of the tree in ascending order (equal neighbours allowed).
bool all_sorted(Expr const& e) {
    if (!e.has_args()) return true;
    ExprArgs const& a = e.args();
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (i > 0 && a[i] < a[i - 1]) return false;
        if (!all_sorted(a[i])) return false;
    }
    return true;
}

// The node's own list ascending and free of equal neighbours.
bool strictly_sorted(Expr const& e) {
    if (!e.has_args()) return true;
    ExprArgs const& a = e.args();
    for (std::size_t i = 1; i < a.size(); ++i)
        if (!(a[i - 1] < a[i])) return false;
    return true;
}

// The shape the arithmetic keeps: every list of the tree strictly sorted and of two or more
// arguments, except that ESF nodes may repeat arguments or have fewer.
bool tidy(Expr const& e) {
    if (!e.has_args()) return true;
    if (!(e.is_esf() ? all_sorted(e) : strictly_sorted(e) && e.args().size() >= 2)) return false;
    return std::all_of(e.args().begin(), e.args().end(), tidy);
}

// A tidy shape, except that a sum may be left with fewer than two arguments (equal terms cancel
// in place, down to the empty sum).
bool tidy_result(Expr const& e) {
    if (e.is_add() && e.args().size() < 2)
        return std::all_of(e.args().begin(), e.args().end(), tidy);
    return tidy(e);
}

std::uint64_t sat_mul(std::uint64_t a, std::uint64_t b) {
    std::uint64_t r;
    if (__builtin_mul_overflow(a, b, &r) || r > (1u << 30)) return 1u << 30;
    return r;
}

std::uint64_t binom_bound(std::size_t n, std::size_t d) {
    std::uint64_t r = 1;
    for (std::size_t i = 0; i < d && i < n; ++i) r = sat_mul(r, n - i) / (i + 1);
    return std::max<std::uint64_t>(r, 1);
}

// An upper bound on the terms the expansion of `e` can have, with the largest bound met at any
// node in `worst`. Or and ESF nodes count as one term unless `open_all` is set, as for the
// passes that expand them.
std::uint64_t term_bound(Expr const& e, bool open_all, std::uint64_t& worst) {
    if (!e.has_args()) return 1;
    std::uint64_t r = 0, widest = 1;
    std::vector<std::uint64_t> sub;
    for (Expr const& x : e.args()) sub.push_back(term_bound(x, open_all, worst));
    switch (e.type()) {
    case expr_type_id::add:
        for (auto t : sub) r = std::min<std::uint64_t>(r + t, 1u << 30);
        break;
    case expr_type_id::mul:
        r = 1;
        for (auto t : sub) r = sat_mul(r, t);
        break;
    default:
        if (!open_all) {
            r = 1;
            break;
        }
        for (auto t : sub) widest = std::max(widest, t);
        r = 1;
        // An Or becomes ESFs of every degree; an ESF of degree d has binom(n, d) products.
        for (std::size_t i = 0; i < sub.size(); ++i) r = sat_mul(r, 2 * widest);
        if (e.is_esf())
            r = sat_mul(binom_bound(sub.size(), e.esf_degree()), sat_mul(widest, e.esf_degree()));
        break;
    }
    worst = std::max(worst, r);
    return r;
}

bool cheap(Expr const& e, bool open_all) {
    std::uint64_t worst = 0;
    term_bound(e, open_all, worst);
    return worst <= max_terms;
}

// No Or or ESF node wider than max_wide and no sum with a longer run of symbol arguments than
// the OR identification can enumerate.
bool narrow(Expr const& e) {
    if (!e.has_args()) return true;
    ExprArgs const& a = e.args();
    if ((e.is_or() || e.is_esf()) && a.size() > max_wide) return false;
    std::size_t run = 0;
    for (Expr const& x : a) {
        run = x.is_sym() ? run + 1 : 0;
        if (run > max_symbol_run) return false;
        if (!narrow(x)) return false;
    }
    return true;
}

// The table of `before` seen through `remap`: bit x of the result is bit remap(x) of `before`.
template <class F>
Table remapped(Table before, F remap) {
    Table r = 0;
    for (unsigned x = 0; x < 32; ++x)
        if ((before >> remap(x)) & 1u) r |= Table(1) << x;
    return r;
}

void expect_table(std::string const& step, Expr const& e, Table want) {
    Table got = table(e);
    if (got != want)
        fail(step, "function changed to " + std::to_string(got) + " instead of " +
                       std::to_string(want) + " in " + text(e));
}

struct Pool {
    std::array<Expr, n_exprs> e;
    std::array<Vector, n_vectors> v;
    std::array<Matrix, n_matrices> m;
};

class Program {
public:
    Program(std::uint8_t const* data, std::size_t size) : in_(data, size) {
        for (std::size_t i = 0; i < n_exprs; ++i) pool_.e[i] = var(int(i % nvars));
    }

    void run() {
        std::string history;
        for (std::size_t n = 0; n < max_steps && !in_.done(); ++n) {
            step_ = n;
            std::string pool = dump();
            try {
                step();
            } catch (Violation const& v) {
                // What the pool held before the step, and the opcodes that led there.
                throw Violation(std::string(v.what()) + "\nopcodes:" + history +
                                "\npool before:\n" + pool);
            }
            history += " " + std::to_string(last_op_);
            cap();
        }
    }

private:
    Bytes in_;
    Pool pool_;
    std::size_t step_ = 0;
    std::size_t last_op_ = 0;

    std::string dump() const {
        std::string r;
        for (std::size_t i = 0; i < n_exprs; ++i)
            r += "  e" + std::to_string(i) + " = " + text(pool_.e[i]) + "\n";
        for (std::size_t i = 0; i < n_vectors; ++i) {
            r += "  v" + std::to_string(i) + " =";
            for (Expr const& x : pool_.v[i]) r += " " + text(x);
            r += "\n";
        }
        for (std::size_t i = 0; i < n_matrices; ++i) {
            Matrix const& m = pool_.m[i];
            r += "  m" + std::to_string(i) + " = " + std::to_string(m.nlines()) + "x" +
                 std::to_string(m.ncols()) + ":";
            for (Expr const& x : m) r += " " + text(x);
            r += "\n";
        }
        return r;
    }

    std::string name(const char* op) const { return "step " + std::to_string(step_) + " " + op; }

    Expr& ex() { return pool_.e[in_.below(n_exprs)]; }
    Vector& vec() { return pool_.v[in_.below(n_vectors)]; }
    Matrix& mat() { return pool_.m[in_.below(n_matrices)]; }

    Expr leaf() {
        std::uint8_t b = in_.next();
        if (b % 8 < 5) return var(b % 8);
        return Expr::imm(b & 1);
    }

    // Up to 4 arguments, each a leaf or a pool expression.
    std::vector<Expr> some_args(std::size_t max_args = 4) {
        std::vector<Expr> r;
        std::size_t n = in_.below(max_args + 1);
        for (std::size_t i = 0; i < n; ++i) {
            std::uint8_t b = in_.next();
            r.push_back(b & 1 ? leaf() : pool_.e[(b >> 1) % n_exprs]);
        }
        return r;
    }

    void cap() {
        for (std::size_t i = 0; i < n_exprs; ++i)
            if (nodes(pool_.e[i]) > max_nodes) pool_.e[i] = var(int(i % nvars));
        for (Vector& v : pool_.v) {
            if (v.size() > 8) v.resize(8);
            for (Expr& x : v)
                if (nodes(x) > max_nodes) x = var(0);
        }
        for (Matrix& m : pool_.m) {
            bool big = m.nlines() > 6 || m.ncols() > 6;
            for (Expr const& x : m) big = big || nodes(x) > max_nodes;
            if (big) m = Matrix();
        }
    }

    // One operation, picked by the next byte from the table below the class.
    void step();

public:
    // The operations and their helpers, public for the table of operations.
    void set_leaf() { ex() = leaf(); }

    static Expr apply(char op, Expr const& a, Expr const& b) {
        return op == '+' ? a + b : op == '*' ? a * b : a | b;
    }
    static Table apply(char op, Table a, Table b) {
        return op == '+' ? a ^ b : op == '*' ? a & b : a | b;
    }

    // Two-operand operators: the function, and on tidy operands a tidy result.
    template <char op>
    void binary() {
        std::string s = name(std::string(1, op).c_str());
        Expr& a = ex();
        Expr& b = ex();
        Table want = apply(op, table(a), table(b));
        bool was_tidy = tidy(a) && tidy(b);
        Expr r = apply(op, a, b);
        expect_table(s, r, want);
        if (was_tidy && !tidy_result(r))
            fail(s, "unsorted result " + text(r) + " from " + text(a) + " and " + text(b));
        ex() = std::move(r);
    }

    // The in-place operator named by `op`, on expressions or element-wise on vectors.
    template <class T>
    static void apply_in_place(char op, T& a, T const& b) {
        if (op == '+')
            a += b;
        else if (op == '*')
            a *= b;
        else
            a |= b;
    }

    template <char op>
    void in_place() {
        std::string s = name((std::string(1, op) + "=").c_str());
        Expr& a = ex();
        Expr& b = ex();
        Table want = &a == &b && op == '+' ? 0 : apply(op, table(a), table(b));
        bool was_tidy = tidy(a) && tidy(b);
        apply_in_place(op, a, b);
        expect_table(s, a, want);
        if (was_tidy && !tidy_result(a)) fail(s, "unsorted result " + text(a));
    }

    // The moving in-place overloads give what the copying ones give.
    void in_place_moved() {
        std::string s = name("moved in-place");
        std::size_t op = in_.below(3);
        Expr& a = ex();
        Expr b = ex();
        Expr copy_result = a;
        Expr moved = b;
        if (op == 0) {
            copy_result += b;
            a += std::move(moved);
        } else if (op == 1) {
            copy_result *= b;
            a *= std::move(moved);
        } else {
            copy_result |= b;
            a |= std::move(moved);
        }
        if (!(a == copy_result)) fail(s, text(a) + " differs from " + text(copy_result));
    }

    void make_esf() {
        std::string s = name("esf");
        std::uint8_t d = std::uint8_t(1 + in_.below(4));
        std::vector<Expr> args = some_args(6);
        std::sort(args.begin(), args.end());
        Expr node(expr_type_id::esf, ExprArgs(args));
        node.set_esf_degree(d);
        Table want = table(node);
        ExprESF e(d, ExprArgs(std::move(args)));
        expect_table(s, e, want);
        ex() = std::move(e);
    }

    // A node built from a list, sorted (as the Python constructor does) or taken as it is (as
    // the in-place passes may leave one).
    void make_node() {
        static constexpr expr_type_id kinds[] = {expr_type_id::add, expr_type_id::mul,
                                                 expr_type_id::or_};
        expr_type_id t = kinds[in_.below(3)];
        bool sorted = in_.next() & 1;
        std::vector<Expr> args = some_args();
        // An empty product is 1 to the arithmetic (x * Mul() is x) but 0 to the passes, so the
        // program builds none.
        if (t == expr_type_id::mul && args.empty()) args.push_back(leaf());
        if (sorted) std::sort(args.begin(), args.end());
        ex() = Expr(t, ExprArgs(std::move(args)));
    }

    void do_simplify() {
        std::string s = name("simplify");
        Expr& e = ex();
        if (!cheap(e, false)) return;
        Table want = table(e);
        Expr before = e;
        simps::simplify(e);
        expect_table(s, e, want);
        if (!all_sorted(e)) fail(s, "unsorted list in " + text(e) + " from " + text(before));
        if (has_kind(before, expr_type_id::or_) || has_kind(before, expr_type_id::esf)) return;
        // Without Or and ESF nodes the result is the algebraic normal form: canonical, and a
        // sum of distinct monomials, a single monomial or a constant.
        if (!simps::is_canonical(e)) fail(s, "not canonical: " + text(e) + " from " + text(before));
        bool anf_shape = e.is_anf() || e.is_sym() || e.is_imm() ||
                         (e.is_mul() && std::all_of(e.args().begin(), e.args().end(),
                                                    [](Expr const& x) { return x.is_sym(); }));
        if (!anf_shape) fail(s, "not in ANF: " + text(e) + " from " + text(before));
        Expr again = e;
        simps::simplify(again);
        if (!(again == e)) fail(s, "not idempotent: " + text(e) + " then " + text(again));
    }

    void do_expand_esf() {
        std::string s = name("expand_esf");
        Expr& e = ex();
        if (!narrow(e) || !cheap(e, true)) return;
        Table want = table(e);
        simps::expand_esf(e);
        expect_table(s, e, want);
        if (has_kind(e, expr_type_id::esf)) fail(s, "ESF node left in " + text(e));
    }

    void do_or_to_esf() {
        std::string s = name("or_to_esf");
        Expr& e = ex();
        if (!narrow(e) || !cheap(e, true)) return;
        Table want = table(e);
        bool had_or = has_kind(e, expr_type_id::or_);
        bool changed = simps::or_to_esf(e);
        expect_table(s, e, want);
        if (changed != had_or) fail(s, "reported change does not match the Or nodes present");
        if (has_kind(e, expr_type_id::or_)) fail(s, "Or node left in " + text(e));
    }

    // The OR identification expects sorted sums: it runs on simplified trees, or after sort.
    void do_identify_ors() {
        std::string s = name("identify_ors");
        Expr& e = ex();
        if (!cheap(e, false)) return;
        if (in_.next() & 1)
            simps::simplify(e);
        else
            simps::sort(e);
        if (!narrow(e)) return;
        Table want = table(e);
        Expr before = e;
        simps::identify_ors(e);
        expect_table(s, e, want);
        Expr plain = before;
        bool plain_found = false;
        if (plain.has_args()) plain_found = simps::identify_ors_no_rec_exhaustive(plain);
        Expr pruned = before;
        bool pruned_found = simps::identify_ors_no_rec(pruned);
        if (plain_found != pruned_found || !(plain == pruned))
            fail(s, "pruned search gives " + text(pruned) + ", the exhaustive one " + text(plain));
    }

    // The recursive single-node passes keep the function on any tree.
    void do_pass() {
        std::string s = name("pass");
        Expr& e = ex();
        std::size_t which = in_.below(5);
        if (which == 4 && !cheap(e, false)) return;
        Table want = table(e);
        switch (which) {
        case 0: simps::sort(e); break;
        case 1: simps::flatten(e); break;
        case 2: simps::constants_prop(e); break;
        case 3: simps::remove_dead_ops(e); break;
        default: simps::expand(e); break;
        }
        expect_table(s + std::to_string(which), e, want);
        if (which == 0 && !all_sorted(e)) fail(s, "sort left " + text(e));
    }

    // A random assignment of constants to some of the variables, as bit sets over the symbol
    // indices, together with the map from an assignment to the one it is substituted into.
    struct Assignment {
        bitfield mask, values;
        unsigned mask_bits = 0, value_bits = 0;
        unsigned operator()(unsigned x) const {
            return (x & ~mask_bits) | (value_bits & mask_bits);
        }
    };

    Assignment assignment() {
        Assignment a;
        a.mask_bits = in_.next() & 31u;
        a.value_bits = in_.next() & 31u;
        for (int k = 0; k < nvars; ++k) {
            if ((a.mask_bits >> k) & 1u) a.mask.set(var_indices()[k]);
            if ((a.value_bits >> k) & 1u) a.values.set(var_indices()[k]);
        }
        return a;
    }

    void do_subs() {
        std::string s = name("subs");
        Expr& e = ex();
        Assignment a = assignment();
        Table want = remapped(table(e), a);
        Expr by_map = e;
        subs(e, a.mask, a.values);
        expect_table(s, e, want);
        if (!all_sorted(e)) fail(s, "unsorted list after subs: " + text(e));
        // The map from each substituted variable to its constant does the same.
        std::map<Expr, Expr> m;
        for (int k = 0; k < nvars; ++k)
            if ((a.mask_bits >> k) & 1u) m[var(k)] = Expr::imm((a.value_bits >> k) & 1u);
        subs_map(by_map, m);
        if (!(by_map == e)) fail(s, "subs_map gives " + text(by_map) + ", subs " + text(e));
    }

    // Variables replaced by pool expressions, all at once: the composition of functions.
    void do_subs_map_syms() {
        std::string s = name("subs_map vars");
        Expr& e = ex();
        std::map<Expr, Expr> m;
        std::array<Table, nvars> images = var_tables;
        std::size_t n = in_.below(3) + 1;
        for (std::size_t i = 0; i < n; ++i) {
            int k = int(in_.below(nvars));
            Expr const& v = ex();
            m[var(k)] = v;
            images[k] = table(v);
        }
        Table before = table(e);
        Table want = remapped(before, [&](unsigned x) {
            unsigned y = 0;
            for (int k = 0; k < nvars; ++k) y |= ((images[k] >> x) & 1u) << k;
            return y;
        });
        subs_map(e, m);
        expect_table(s, e, want);
        // Expr.eval: the substitution, then simplify.
        if ((in_.next() & 1) && cheap(e, false)) {
            simps::simplify(e);
            expect_table(s + " then simplify", e, want);
        }
    }

    // A sub-expression replaced by its simplified form: the function stays.
    void do_subs_map_subexpr() {
        std::string s = name("subs_map subexpr");
        Expr& e = ex();
        Expr const* cur = &e;
        while (cur->has_args() && !cur->args().empty() && (in_.next() & 3) != 0)
            cur = &cur->args()[in_.below(cur->args().size())];
        if (!cheap(*cur, false)) return;
        Expr key = *cur;
        Expr val = key;
        simps::simplify(val);
        Table want = table(e);
        std::map<Expr, Expr> m{{key, val}};
        subs_map(e, m);
        expect_table(s, e, want);
    }

    // The order is total and agrees with equality and hashing; copies are equal.
    void check_order() {
        std::string s = name("order");
        Expr const& a = ex();
        Expr const& b = ex();
        bool lt = a < b, gt = b < a, eq = a == b;
        if (int(lt) + int(gt) + int(eq) != 1)
            fail(s, "order not total on " + text(a) + " and " + text(b));
        if (eq != (compare(a, b) == 0) || lt != (compare(a, b) < 0))
            fail(s, "compare disagrees with the operators");
        if (eq && a.hash() != b.hash()) fail(s, "equal expressions hash differently");
        if ((a != b) == eq) fail(s, "!= is not the negation of ==");
        Expr c = a;
        if (!(c == a) || c.hash() != a.hash()) fail(s, "copy differs");
        if (a.has_args() && !a.args().empty()) {
            // For an argument of the node's own kind `contains` asks for a subset instead.
            Expr const& x = a.args()[in_.below(a.args().size())];
            if (x.type() != a.type() && strictly_sorted(a) && !a.contains(x))
                fail(s, text(a) + " does not contain its argument " + text(x));
        }
    }

    // Assigning an expression from one of its own sub-expressions, by copy or by move.
    void assign_from_inside() {
        std::string s = name("assign from inside");
        Expr& e = ex();
        if (!e.has_args() || e.args().empty()) return;
        Expr& inner = e.args()[in_.below(e.args().size())];
        Table want = table(inner);
        if (in_.next() & 1)
            e = inner;
        else
            e = std::move(inner);
        expect_table(s, e, want);
    }

    void make_vector() {
        Vector& v = vec();
        std::size_t n = in_.below(7);
        Vector r;
        for (std::size_t i = 0; i < n; ++i) r.push_back(in_.next() & 1 ? leaf() : ex());
        v = std::move(r);
    }

    void vector_ints() {
        std::string s = name("vector ints");
        Vector& v = vec();
        unsigned long value = 0;
        for (int i = 0; i < 8; ++i) value = (value << 8) | in_.next();
        unsigned short nbits = static_cast<unsigned short>(in_.below(66));
        bool le = in_.next() & 1;
        if (le)
            v.set_int_le(value, nbits);
        else
            v.set_int_be(value, nbits);
        if (v.size() != nbits) fail(s, "length " + std::to_string(v.size()));
        unsigned long want = nbits >= 64 ? value : value & ((1ul << nbits) - 1);
        for (unsigned i = 0; i < nbits; ++i) {
            unsigned bit = le ? nbits - 1 - i : i;
            bool b = bit < 64 && ((value >> bit) & 1u);
            if (!(v[i] == Expr::imm(b))) fail(s, "element " + std::to_string(i));
        }
        if (nbits > 64) return;
        bool ok = false;
        unsigned long got = le ? v.get_int_le(&ok) : v.get_int_be(&ok);
        if (!ok || got != want) fail(s, "read back " + std::to_string(got));
        if (nbits > 0 && (in_.next() & 1)) {
            v[in_.below(nbits)] = var(0);
            bool ok2 = true;
            if (le)
                v.get_int_le(&ok2);
            else
                v.get_int_be(&ok2);
            if (ok2) fail(s, "a symbol read as an immediate");
        }
    }

    void vector_shift() {
        std::string s = name("vector shift");
        Vector& v = vec();
        unsigned long k = in_.below(10);
        bool left = in_.next() & 1;
        Vector before = v;
        Vector r = left ? v << k : v >> k;
        if (left)
            v <<= k;
        else
            v >>= k;
        if (!(r == v)) fail(s, "shift and in-place shift differ");
        if (r.size() != before.size()) fail(s, "length changed");
        for (std::size_t i = 0; i < r.size(); ++i) {
            bool inside = left ? i + k < before.size() : i >= k;
            Expr want = inside ? before[left ? i + k : i - k] : Expr::imm(false);
            if (!(r[i] == want)) fail(s, "element " + std::to_string(i) + " is " + text(r[i]));
        }
    }

    static Vector apply(char op, Vector const& a, Vector const& b) {
        return op == '+' ? a + b : op == '*' ? a * b : a | b;
    }

    void vector_binary() {
        std::string s = name("vector binary");
        char op = "+*|"[in_.below(3)];
        Vector const& a = vec();
        Vector const& b = vec();
        if (a.size() != b.size()) {
            try {
                apply(op, a, b);
            } catch (errors::SizeMismatch const&) {
                return;
            }
            fail(s, "no SizeMismatch on lengths " + std::to_string(a.size()) + " and " +
                        std::to_string(b.size()));
        }
        Vector r = apply(op, a, b);
        if (r.size() != a.size()) fail(s, "length changed");
        for (std::size_t i = 0; i < r.size(); ++i)
            expect_table(s, r[i], apply(op, table(a[i]), table(b[i])));
        vec() = std::move(r);
    }

    void vector_in_place() {
        std::string s = name("vector in-place");
        char op = "+*|"[in_.below(3)];
        Vector& a = vec();
        Vector const& b = vec();
        std::vector<Table> want;
        bool same = &a == &b;
        for (std::size_t i = 0; i < a.size() && a.size() == b.size(); ++i)
            want.push_back(same && op == '+' ? 0 : apply(op, table(a[i]), table(b[i])));
        try {
            apply_in_place(op, a, b);
        } catch (errors::SizeMismatch const&) {
            if (a.size() == b.size()) fail(s, "SizeMismatch on equal lengths");
            return;
        }
        if (want.size() != a.size()) fail(s, "no SizeMismatch on different lengths");
        for (std::size_t i = 0; i < a.size(); ++i) expect_table(s, a[i], want[i]);
    }

    void vector_times_expr() {
        std::string s = name("vector times expr");
        Vector& v = vec();
        Expr const& e = ex();
        // On lists that are not tidy the in-place product may insert at another place.
        bool was_tidy = tidy(e) && std::all_of(v.begin(), v.end(), tidy);
        Vector r = v * e;
        if (r.size() != v.size()) fail(s, "length changed");
        for (std::size_t i = 0; i < r.size(); ++i) expect_table(s, r[i], table(v[i]) & table(e));
        v *= e;
        for (std::size_t i = 0; i < v.size() && was_tidy; ++i)
            if (!(v[i] == r[i]))
                fail(s, "in-place product " + text(v[i]) + " differs from " + text(r[i]) +
                            " by " + text(e));
        for (std::size_t i = 0; i < v.size(); ++i) expect_table(s, v[i], table(r[i]));
    }

    template <class Seq>
    static std::vector<Table> tables(Seq const& s) {
        std::vector<Table> r;
        for (Expr const& x : s) r.push_back(table(x));
        return r;
    }

    template <class Seq>
    static bool all_cheap(Seq const& s, bool open_all) {
        for (Expr const& x : s)
            if (!cheap(x, open_all) || (open_all && !narrow(x))) return false;
        return true;
    }

    void vector_passes() {
        std::string s = name("vector passes");
        Vector& v = vec();
        std::size_t which = in_.below(3);
        if (!all_cheap(v, which == 1)) return;
        std::vector<Table> want = tables(v);
        if (which == 0) {
            simps::simplify(v);
        } else if (which == 1) {
            simps::expand_esf(v);
        } else {
            Assignment a = assignment();
            for (Table& t : want) t = remapped(t, a);
            subs(v, a.mask, a.values);
        }
        for (std::size_t i = 0; i < v.size(); ++i) expect_table(s, v[i], want[i]);
    }

    // Mostly immediates, so that inverses exist; now and then a pool expression.
    void make_matrix() {
        Matrix& m = mat();
        std::uint8_t b = in_.next();
        if (b & 1) {
            m = Matrix::identity(in_.below(5));
            return;
        }
        unsigned long nl = in_.below(6), nc = (b & 2) ? nl : in_.below(6);
        bool symbolic = (b & 12) == 12;
        Vector elts;
        for (unsigned long i = 0; i < nl * nc; ++i)
            elts.push_back(symbolic && (in_.next() & 7) == 0 ? ex() : Expr::imm(in_.next() & 1));
        m = Matrix::from_storage(nc, std::move(elts));
    }

    // Operands whose sizes do not fit: the operation must refuse them.
    template <class F>
    void expect_size_mismatch(std::string const& s, F f) {
        try {
            f();
        } catch (errors::SizeMismatch const&) {
            return;
        }
        fail(s, "no SizeMismatch on operands whose sizes do not fit");
    }

    void matrix_product() {
        std::string s = name("matrix product");
        Matrix const& a = mat();
        Matrix const& b = mat();
        if (a.ncols() != b.nlines()) return expect_size_mismatch(s, [&] { (void)(a * b); });
        Matrix r = a * b;
        if (r.nlines() != (b.ncols() ? a.nlines() : 0) || r.ncols() != b.ncols())
            fail(s, "shape " + std::to_string(r.nlines()) + "x" + std::to_string(r.ncols()));
        for (unsigned long i = 0; i < r.nlines(); ++i)
            for (unsigned long j = 0; j < r.ncols(); ++j) {
                Table want = 0;
                for (unsigned long k = 0; k < a.ncols(); ++k)
                    want ^= table(a.at(i, k)) & table(b.at(k, j));
                expect_table(s, r.at(i, j), want);
            }
        mat() = std::move(r);
    }

    void matrix_vector() {
        std::string s = name("matrix vector");
        Matrix const& a = mat();
        Vector const& v = vec();
        if (a.ncols() != v.size()) return expect_size_mismatch(s, [&] { (void)(a * v); });
        Vector r = a * v;
        if (r.size() != (a.ncols() ? a.nlines() : 0)) fail(s, "length");
        for (unsigned long i = 0; i < r.size(); ++i) {
            Table want = 0;
            for (unsigned long k = 0; k < a.ncols(); ++k) want ^= table(a.at(i, k)) & table(v[k]);
            expect_table(s, r[i], want);
        }
    }

    void matrix_sum() {
        std::string s = name("matrix sum");
        Matrix& a = mat();
        Matrix const& b = mat();
        if (!a.same_size(b)) {
            try {
                (void)(a + b);
            } catch (errors::SizeMismatch const&) {
                try {
                    a += b;
                } catch (errors::SizeMismatch const&) {
                    return;
                }
            }
            fail(s, "no SizeMismatch");
        }
        bool same = &a == &b;
        std::vector<Table> want;
        for (unsigned long k = 0; k < a.nlines() * a.ncols(); ++k) {
            Expr const& x = *(a.begin() + long(k));
            Expr const& y = *(b.begin() + long(k));
            want.push_back(same ? 0 : table(x) ^ table(y));
        }
        Matrix r = a + b;
        if (in_.next() & 1)
            a += b;
        else
            a = std::move(r);
        std::size_t k = 0;
        for (Expr const& x : a) expect_table(s, x, want.at(k++));
    }

    static bool immediates_only(Matrix const& m) {
        return std::all_of(m.begin(), m.end(), [](Expr const& x) { return x.is_imm(); });
    }

    // The rank of a matrix of immediates, by a plain elimination on bit rows.
    static unsigned long rank_of(Matrix const& m) {
        std::vector<std::uint64_t> rows;
        for (unsigned long i = 0; i < m.nlines(); ++i) {
            std::uint64_t r = 0;
            for (unsigned long j = 0; j < m.ncols(); ++j)
                if (m.at(i, j).is_one()) r |= 1ull << j;
            rows.push_back(r);
        }
        unsigned long rank = 0;
        for (unsigned long j = 0; j < m.ncols(); ++j) {
            auto p = std::find_if(rows.begin() + long(rank), rows.end(),
                                  [j](std::uint64_t r) { return (r >> j) & 1u; });
            if (p == rows.end()) continue;
            std::swap(*p, rows[rank]);
            for (std::size_t i = 0; i < rows.size(); ++i)
                if (i != rank && ((rows[i] >> j) & 1u)) rows[i] ^= rows[rank];
            ++rank;
        }
        return rank;
    }

    void matrix_inverse() {
        std::string s = name("matrix inverse");
        Matrix const& m = mat();
        Matrix inv = m.inverse();
        Matrix reference = inverse_exprs(m);
        bool square = m.ncols() > 0 && m.nlines() == m.ncols();
        if (!immediates_only(m)) {
            if (inv.nlines() != 0 || inv.ncols() != 0) fail(s, "inverse of a symbolic matrix");
            return;
        }
        if (!(inv == reference)) fail(s, "packed inverse differs from the elimination on exprs");
        bool invertible = square && rank_of(m) == m.ncols();
        if (!invertible) {
            if (inv.nlines() != 0 || inv.ncols() != 0) fail(s, "inverse of a singular matrix");
            return;
        }
        if (inv.ncols() != m.ncols() || inv.nlines() != m.nlines()) fail(s, "no inverse found");
        Matrix id = Matrix::identity(m.ncols());
        Matrix left = inv * m, right = m * inv;
        simps::simplify(left);
        simps::simplify(right);
        if (!(left == id) || !(right == id)) fail(s, "inverse times the matrix is not 1");
        mat() = std::move(inv);
    }

    // T x A x P = U entry by entry as functions, pivots of 1 on U's diagonal, and for matrices
    // of immediates the same factorisation as the elimination on expressions.
    void matrix_t_fact() {
        std::string s = name("T_fact");
        Matrix& a = mat();
        Matrix T, U;
        std::vector<unsigned long> perm;
        unsigned long rank = a.T_fact(T, U, perm);
        if (rank > std::min(a.nlines(), a.ncols())) fail(s, "rank above the smaller dimension");
        if (immediates_only(a)) {
            if (rank != rank_of(a)) fail(s, "rank " + std::to_string(rank));
            Matrix T2, U2;
            std::vector<unsigned long> perm2;
            unsigned long rank2 = T_fact_exprs(a, T2, U2, perm2);
            if (rank2 != rank || !(T2 == T) || !(U2 == U) || perm2 != perm)
                fail(s, "packed reduction differs from the elimination on exprs");
        }
        if (a.ncols() == 0) {
            if (!perm.empty() || rank != 0) fail(s, "no columns");
            return;
        }
        std::vector<unsigned long> sorted = perm;
        std::sort(sorted.begin(), sorted.end());
        for (unsigned long c = 0; c < sorted.size(); ++c)
            if (sorted[c] != c || sorted.size() != a.ncols()) fail(s, "perm is no permutation");
        if (!U.same_size(a) || T.nlines() != a.nlines() || T.ncols() != a.nlines())
            fail(s, "shapes of T and U");
        for (unsigned long k = 0; k < rank; ++k)
            if (!U.at(k, k).is_one()) fail(s, "pivot not 1");
        Matrix ta = T * a;
        for (unsigned long i = 0; i < a.nlines(); ++i)
            for (unsigned long c = 0; c < a.ncols(); ++c)
                expect_table(s, U.at(i, c), table(ta.at(i, perm[c])));
        if (in_.next() & 1) {
            // Reduced in place, U being the matrix itself.
            Matrix T3;
            std::vector<unsigned long> perm3;
            unsigned long rank3 = a.T_fact(T3, a, perm3);
            if (rank3 != rank || !(a == U) || !(T3 == T)) fail(s, "in-place reduction differs");
        }
    }

    void matrix_passes() {
        std::string s = name("matrix passes");
        Matrix& m = mat();
        if (!all_cheap(m, false)) return;
        std::vector<Table> want = tables(m);
        if (in_.next() & 1) {
            simps::simplify(m);
        } else {
            Assignment a = assignment();
            for (Table& t : want) t = remapped(t, a);
            subs(m, a.mask, a.values);
        }
        std::size_t k = 0;
        for (Expr const& x : m) expect_table(s, x, want.at(k++));
    }
};

// The operations by opcode: the byte that starts a step picks operations[byte % size]. The
// table is append-only: a corpus file's bytes mean what the opcodes meant when it was found, so
// a new operation takes the next opcode, and none is renumbered, removed or changed in meaning;
// otherwise every checked-in regression silently tests something else. (An appended operation
// still changes what the bytes from the old size on pick, the opcode being a remainder.)
struct Operation {
    const char* name; // as the step names itself in a violation, else as its member
    void (*run)(Program&);
};

// A member as a plain function: calls through a table of member pointers made GCC's checked
// builds warn of an uninitialised read that is not there.
template <void (Program::*Step)()>
void call(Program& p) {
    (p.*Step)();
}

constexpr Operation operations[] = {
    {"leaf", call<&Program::set_leaf>},
    {"+", call<&Program::binary<'+'>>},
    {"*", call<&Program::binary<'*'>>},
    {"|", call<&Program::binary<'|'>>},
    {"+=", call<&Program::in_place<'+'>>},
    {"*=", call<&Program::in_place<'*'>>},
    {"|=", call<&Program::in_place<'|'>>},
    {"moved in-place", call<&Program::in_place_moved>},
    {"esf", call<&Program::make_esf>},
    {"make_node", call<&Program::make_node>},
    {"simplify", call<&Program::do_simplify>},
    {"expand_esf", call<&Program::do_expand_esf>},
    {"or_to_esf", call<&Program::do_or_to_esf>},
    {"identify_ors", call<&Program::do_identify_ors>},
    {"pass", call<&Program::do_pass>},
    {"subs", call<&Program::do_subs>},
    {"subs_map vars", call<&Program::do_subs_map_syms>},
    {"subs_map subexpr", call<&Program::do_subs_map_subexpr>},
    {"order", call<&Program::check_order>},
    {"assign from inside", call<&Program::assign_from_inside>},
    {"make_vector", call<&Program::make_vector>},
    {"vector ints", call<&Program::vector_ints>},
    {"vector shift", call<&Program::vector_shift>},
    {"vector binary", call<&Program::vector_binary>},
    {"vector in-place", call<&Program::vector_in_place>},
    {"vector times expr", call<&Program::vector_times_expr>},
    {"vector passes", call<&Program::vector_passes>},
    {"make_matrix", call<&Program::make_matrix>},
    {"matrix product", call<&Program::matrix_product>},
    {"matrix vector", call<&Program::matrix_vector>},
    {"matrix sum", call<&Program::matrix_sum>},
    {"matrix inverse", call<&Program::matrix_inverse>},
    {"T_fact", call<&Program::matrix_t_fact>},
    {"matrix passes", call<&Program::matrix_passes>},
};

void Program::step() {
    last_op_ = in_.below(std::size(operations));
    operations[last_op_].run(*this);
}

} // namespace

std::size_t operation_count() {
    return std::size(operations);
}

const char* operation_name(std::size_t opcode) {
    return opcode < std::size(operations) ? operations[opcode].name : nullptr;
}

void run_program(std::uint8_t const* data, std::size_t size) { Program(data, size).run(); }

} // namespace ond::fuzz
