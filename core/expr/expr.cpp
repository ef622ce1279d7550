// Expression model: construction, ownership, total order, equality, hash and membership.
#include "expr/expr.hpp"

#include "expr/assert.hpp"

#include <algorithm>

namespace ond {

const char* expr_type_name(expr_type_id t) {
    switch (t) {
    case expr_type_id::or_: return "Or";
    // "SEF", not "ESF", is deliberate: it is the name the interface gives ESF nodes, and
    // Expr.name(), BadType messages and the tests compare it as text.
    case expr_type_id::esf: return "SEF";
    case expr_type_id::mul: return "Mul";
    case expr_type_id::add: return "Add";
    case expr_type_id::sym: return "Sym";
    case expr_type_id::imm: return "Imm";
    }
    return "";
}

Expr::Expr(expr_type_id t, ExprArgs a) : tag_(static_cast<unsigned char>(t)), payload_{}, degree_(0) {
    // A leaf tag would leave the vector in the payload unowned: never freed, read as an index.
    OND_ASSERT(has_args(), "a node built with a leaf's kind");
    emplace_args(std::move(a));
}

void Expr::copy_args_from(Expr const& o) {
    emplace_args(ExprArgs(o.args()));
    degree_ = o.degree_;
}

Expr& Expr::operator=(Expr const& o) {
    // Copy first: `o` may live inside this expression.
    Expr tmp(o);
    return *this = std::move(tmp);
}

Expr& Expr::operator=(Expr&& o) noexcept {
    if (this == &o) return *this;
    Expr tmp(std::move(o));
    release();
    tag_ = tmp.tag_;
    degree_ = 0;
    if (tmp.has_args()) {
        emplace_args(std::move(tmp.args()));
        degree_ = tmp.degree_;
    } else {
        std::memset(payload_, 0, sizeof payload_);
        std::memcpy(payload_, tmp.payload_, 4);
    }
    return *this;
}

bool Expr::ExprArgsStorage::args_equal_with(ExprArgs const& a, ExprArgs const& b) {
    if (a.size() != b.size()) return false;
    // From the back: neighbours in a sorted list share their front, so a difference shows
    // sooner at the end.
    for (std::size_t i = a.size(); i-- > 0;) {
        Expr const& x = a[i];
        Expr const& y = b[i];
        // Products of symbols dominate large sums: settle symbol pairs without a call.
        if (x.is_sym() && y.is_sym()) {
            if (x.sym_idx() != y.sym_idx()) return false;
        } else if (!(x == y)) {
            return false;
        }
    }
    return true;
}

static int compare_args(ExprArgs const& a, ExprArgs const& b) {
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    for (std::size_t i = 0; i < a.size(); ++i) {
        Expr const& x = a[i];
        Expr const& y = b[i];
        if (x.is_sym() && y.is_sym()) {
            if (x.sym_idx() != y.sym_idx()) return x.sym_idx() < y.sym_idx() ? -1 : 1;
            continue;
        }
        int c = compare(x, y);
        if (c != 0) return c;
    }
    return 0;
}

bool Expr::ExprArgsStorage::args_less_than(ExprArgs const& a, ExprArgs const& b) {
    return compare_args(a, b) < 0;
}

int compare(Expr const& a, Expr const& b) {
    if (a.type() != b.type()) return a.type() < b.type() ? -1 : 1;
    switch (a.type()) {
    case expr_type_id::esf:
        if (a.esf_degree() != b.esf_degree()) return a.esf_degree() < b.esf_degree() ? -1 : 1;
        return compare_args(a.args(), b.args());
    case expr_type_id::or_:
    case expr_type_id::mul:
    case expr_type_id::add: return compare_args(a.args(), b.args());
    case expr_type_id::sym:
        if (a.sym_idx() == b.sym_idx()) return 0;
        return a.sym_idx() < b.sym_idx() ? -1 : 1;
    case expr_type_id::imm:
        if (a.imm_value() == b.imm_value()) return 0;
        return a.imm_value() ? 1 : -1;
    }
    return 0;
}

bool Expr::operator==(Expr const& o) const {
    if (tag_ != o.tag_) return false;
    switch (type()) {
    case expr_type_id::esf:
        if (degree_ != o.degree_) return false;
        [[fallthrough]];
    case expr_type_id::or_:
    case expr_type_id::mul:
    case expr_type_id::add: return ExprArgsStorage::args_equal_with(args(), o.args());
    case expr_type_id::sym: return sym_idx() == o.sym_idx();
    case expr_type_id::imm: return imm_value() == o.imm_value();
    }
    return true;
}

std::uint64_t Expr::hash() const {
    switch (type()) {
    case expr_type_id::sym: return std::uint64_t(sym_idx()) | (std::uint64_t(1) << 34);
    case expr_type_id::imm: return 10u | (imm_value() ? 1u : 0u);
    default: break;
    }
    std::uint64_t h = 0;
    for (Expr const& x : args())
        h = ((h << 4) | static_cast<std::uint64_t>(x.type())) * 0x5555555555555555ULL + x.hash();
    return h;
}

// Both searches go through locate, not find: find may report "not found" on a position that
// holds an equal element (deliberately, see SortedVector::locate), and contains must count it.
// A duplicated argument of `e` is looked for past the first match, so it is not contained.
bool Expr::contains(Expr const& e) const {
    if (type() == e.type()) {
        if (!has_args()) return *this == e;
        ExprArgs const& a = args();
        ExprArgs const& b = e.args();
        if (a.size() == b.size()) return *this == e;
        if (a.size() < b.size()) return false;
        auto hint = a.begin();
        for (Expr const& x : b) {
            auto [pos, present] = a.locate(x, hint);
            if (!present) return false;
            hint = pos + 1;
        }
        return true;
    }
    if (!has_args()) return false;
    return args().locate(e).second;
}

static ExprArgs sorted_args(std::initializer_list<Expr> l) {
    ExprArgs a{std::vector<Expr>(l)};
    a.sort();
    return a;
}

ExprAdd::ExprAdd(std::initializer_list<Expr> l) : Expr(expr_type_id::add, sorted_args(l)) {}
ExprMul::ExprMul(std::initializer_list<Expr> l) : Expr(expr_type_id::mul, sorted_args(l)) {}
ExprOr::ExprOr(std::initializer_list<Expr> l) : Expr(expr_type_id::or_, sorted_args(l)) {}

} // namespace ond
