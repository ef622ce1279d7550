// Expr: one symbolic Boolean expression over GF(2), a packed tagged union that is a leaf (symbol,
// immediate 0/1) or an operator node (Or, ESF, Mul, Add) owning its sorted argument vector.
// The typed views ExprSym, ExprImm, ExprAdd, ExprMul, ExprOr and ExprESF add no data; they exist
// to overload the arithmetic per kind.
#pragma once

#include "expr/export.hpp"
#include "expr/expr_type.hpp"
#include "expr/sorted_vector.hpp"

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <new>
#include <vector>

namespace ond {

class Expr;
class ExprSym;
class ExprImm;
class ExprAdd;
class ExprMul;
class ExprOr;
class ExprESF;

// Three-way comparison consistent with Expr::operator< and Expr::operator==.
OND_API int compare(Expr const& a, Expr const& b);

template <>
inline int sv_compare<Expr>(Expr const& a, Expr const& b);

class OND_API Expr {
public:
    using ExprArgs = SortedVector<std::vector<Expr>, 3>;

    // The argument storage of operator nodes, with the two comparisons on argument lists.
    struct OND_API ExprArgsStorage {
        // Deliberately unused: the node keeps its arguments in the packed payload_ below, but the
        // interface defines this structure with this member, and native code written against it
        // may name it. Do not remove it, nor move the arguments into it: the packed record is
        // what keeps a node at its size.
        ExprArgs args;
        // Same size and pairwise equal elements.
        static bool args_equal_with(ExprArgs const& a, ExprArgs const& b);
        // Fewer elements first, then lexicographic.
        static bool args_less_than(ExprArgs const& a, ExprArgs const& b);
    };

    // An immediate; the value is set to 0 so that nothing reads an undefined byte.
    Expr() noexcept : tag_(static_cast<unsigned char>(expr_type_id::imm)), payload_{}, degree_(0) {}
    // A node of kind `t` (Or, ESF, Mul or Add) taking over `args` as they are.
    Expr(expr_type_id t, ExprArgs args);

    // Leaves are copied and moved inline: they are most of the elements a list shifts.
    Expr(Expr const& o) : tag_(o.tag_), payload_{}, degree_(0) {
        if (o.has_args())
            copy_args_from(o);
        else
            std::memcpy(payload_, o.payload_, 4);
    }
    Expr(Expr&& o) noexcept : tag_(o.tag_), payload_{}, degree_(0) {
        if (o.has_args()) {
            emplace_args(std::move(o.args()));
            degree_ = o.degree_;
        } else {
            std::memcpy(payload_, o.payload_, 4);
        }
    }
    Expr& operator=(Expr const& o);
    Expr& operator=(Expr&& o) noexcept;
    ~Expr() { release(); }

    expr_type_id type() const { return static_cast<expr_type_id>(tag_); }
    const char* name() const { return expr_type_name(type()); }
    bool has_args() const { return tag_ <= static_cast<unsigned char>(expr_type_id::add); }
    bool is_or() const { return type() == expr_type_id::or_; }
    bool is_esf() const { return type() == expr_type_id::esf; }
    bool is_mul() const { return type() == expr_type_id::mul; }
    bool is_add() const { return type() == expr_type_id::add; }
    bool is_sym() const { return type() == expr_type_id::sym; }
    bool is_imm() const { return type() == expr_type_id::imm; }
    bool is_zero() const { return is_imm() && !imm_value(); }
    bool is_one() const { return is_imm() && imm_value(); }

    // Unchecked accessors: valid only for the matching kind.
    ExprArgs& args() { return *std::launder(reinterpret_cast<ExprArgs*>(payload_)); }
    ExprArgs const& args() const {
        return *std::launder(reinterpret_cast<ExprArgs const*>(payload_));
    }
    std::uint32_t sym_idx() const {
        std::uint32_t v;
        std::memcpy(&v, payload_, sizeof v);
        return v;
    }
    bool imm_value() const { return payload_[0] != 0; }
    std::uint8_t esf_degree() const { return degree_; }
    void set_esf_degree(std::uint8_t d) { degree_ = d; }

    // Changes the tag of an operator node to another operator kind, keeping its arguments.
    void retag(expr_type_id t) { tag_ = static_cast<unsigned char>(t); }

    bool operator==(Expr const& o) const;
    bool operator!=(Expr const& o) const { return !(*this == o); }
    bool operator<(Expr const& o) const { return compare(*this, o) < 0; }

    std::uint64_t hash() const;

    // Whether `e` is an argument of this node or, for a node of the same kind, whether the
    // arguments of `e` are a subset of this node's. Not recursive.
    bool contains(Expr const& e) const;

    // Exclusive-or of symbols, products of symbols and the immediate 1.
    bool is_anf() const;
    // Scanning the arguments backwards: the argument count of the first product met, else 0.
    // Reads the argument list without testing the kind.
    std::uint32_t anf_esf_max_degree() const;

    Expr operator+(Expr const& o) const;
    Expr operator*(Expr const& o) const;
    Expr operator|(Expr const& o) const;
    Expr& operator+=(Expr const& o);
    Expr& operator+=(Expr&& o);
    Expr& operator*=(Expr const& o);
    Expr& operator*=(Expr&& o);
    Expr& operator|=(Expr const& o);
    Expr& operator|=(Expr&& o);

    static Expr imm(bool v) {
        Expr e;
        e.payload_[0] = v ? 1 : 0;
        return e;
    }
    static Expr sym(std::uint32_t idx) {
        Expr e;
        e.tag_ = static_cast<unsigned char>(expr_type_id::sym);
        std::memcpy(e.payload_, &idx, sizeof idx);
        return e;
    }

protected:
    void release() noexcept {
        if (has_args()) args().~ExprArgs();
    }
    // Placement of a fresh argument vector; the previous payload must hold none.
    void emplace_args(ExprArgs&& a) { ::new (static_cast<void*>(payload_)) ExprArgs(std::move(a)); }
    // Deep copy of the arguments and degree of the operator node `o` into a payload holding none.
    void copy_args_from(Expr const& o);

private:
    unsigned char tag_;
    unsigned char payload_[24];
    unsigned char degree_;
};

static_assert(sizeof(Expr) == 26, "Expr must stay a packed 26-byte record");
static_assert(alignof(Expr) == 1, "Expr must have no alignment padding");

template <>
inline int sv_compare<Expr>(Expr const& a, Expr const& b) {
    return compare(a, b);
}

using ExprArgs = Expr::ExprArgs;

// Treats an expression whose kind is known as the matching view, in place.
template <class View>
View& as(Expr& e) {
    static_assert(sizeof(View) == sizeof(Expr));
    return static_cast<View&>(e);
}

class OND_API ExprSym : public Expr {
public:
    explicit ExprSym(std::uint32_t idx) : Expr(Expr::sym(idx)) {}
    std::uint32_t idx() const { return sym_idx(); }
};

class OND_API ExprImm : public Expr {
public:
    explicit ExprImm(bool v) : Expr(Expr::imm(v)) {}
    bool value() const { return imm_value(); }
};

class OND_API ExprAdd : public Expr {
public:
    ExprAdd(std::initializer_list<Expr> l);
    ExprAdd& operator+=(ExprSym const& o);
    ExprAdd& operator+=(ExprImm const& o);
    ExprAdd& operator+=(ExprMul const& o);
    ExprAdd& operator+=(ExprMul&& o);
    ExprAdd& operator+=(ExprESF const& o);
    ExprAdd& operator+=(ExprESF&& o);
    ExprAdd& operator+=(ExprOr const& o);
    ExprAdd& operator+=(ExprOr&& o);
    ExprAdd& operator+=(ExprAdd const& o);
    ExprAdd& operator+=(ExprAdd&& o);
    ExprAdd& operator+=(Expr const& o);
    ExprAdd& operator+=(Expr&& o);
};

class OND_API ExprMul : public Expr {
public:
    ExprMul(std::initializer_list<Expr> l);
    ExprMul& operator*=(ExprSym const& o);
    ExprMul& operator*=(ExprImm const& o);
    ExprMul& operator*=(ExprAdd const& o);
    ExprMul& operator*=(ExprAdd&& o);
    ExprMul& operator*=(ExprESF const& o);
    ExprMul& operator*=(ExprESF&& o);
    ExprMul& operator*=(ExprOr const& o);
    ExprMul& operator*=(ExprOr&& o);
    ExprMul& operator*=(ExprMul const& o);
    ExprMul& operator*=(ExprMul&& o);
    ExprMul& operator*=(Expr const& o);
    ExprMul& operator*=(Expr&& o);
};

class OND_API ExprOr : public Expr {
public:
    ExprOr(std::initializer_list<Expr> l);
    ExprOr& operator|=(ExprSym const& o);
    ExprOr& operator|=(ExprImm const& o);
    ExprOr& operator|=(ExprAdd const& o);
    ExprOr& operator|=(ExprAdd&& o);
    ExprOr& operator|=(ExprESF const& o);
    ExprOr& operator|=(ExprESF&& o);
    ExprOr& operator|=(ExprMul const& o);
    ExprOr& operator|=(ExprMul&& o);
    ExprOr& operator|=(ExprOr const& o);
    ExprOr& operator|=(ExprOr&& o);
    ExprOr& operator|=(Expr const& o);
    ExprOr& operator|=(Expr&& o);
};

// An elementary symmetric function node: the exclusive-or of all products of `degree` arguments.
class OND_API ExprESF : public Expr {
public:
    // Degree 1 gives an Add over the arguments, a degree equal to the argument count a Mul;
    // nothing else is simplified.
    ExprESF(std::uint8_t degree, ExprArgs args);
    std::uint8_t degree() const { return esf_degree(); }
    // Replaces the node, in place, by the exclusive-or of its monomials (not yet canonical).
    void expand();
};

} // namespace ond
