#include "analyses/aff_app.hpp"
#include "analyses/app.hpp"
#include "analyses/vector_app.hpp"
#include "analyses/vectorial_decomp.hpp"
#include "expr/symbols.hpp"

#include <gtest/gtest.h>

#include <string>

using ond::AffApp;
using ond::App;
using ond::Expr;
using ond::Matrix;
using ond::Vector;
using ond::VectorApp;
namespace an = ond::analyses;

TEST(FindExpr, FirstEqualElementOrNone) {
    Expr x = ond::symbol("fx"), y = ond::symbol("fy"), z = ond::symbol("fz");
    Vector v{y, x, y};
    EXPECT_EQ(an::find_expr_idx(v, y), 0u);
    EXPECT_EQ(an::find_expr_idx(v, x), 1u);
    EXPECT_EQ(an::find_expr_idx(v, z), static_cast<std::size_t>(-1));
    EXPECT_EQ(an::find_expr(v, x), v.begin() + 1);
    EXPECT_EQ(an::find_expr(v, z), v.end());
    EXPECT_EQ(an::find_expr_idx(Vector(), x), static_cast<std::size_t>(-1));
}

TEST(Analyses, ExceptionTexts) {
    EXPECT_STREQ(AffApp::InvalidSizes().what(),
                 "incompatible sizes of M and V: expected M a square matrix of the size of V.");
    Expr w = ond::symbol("fw");
    EXPECT_EQ(std::string(an::UnknownSymbol(w).what()), "Unknown symbol fw.");
    EXPECT_EQ(std::string(an::UnknownSymbol(ond::arg_symbol(3)).what()), "Unknown symbol _3.");
}

TEST(Analyses, ConstructorsCheckTheLineCount) {
    EXPECT_NO_THROW(AffApp(Matrix(2, 3), Vector(2)));
    EXPECT_THROW(AffApp(Matrix(2, 3), Vector(3)), AffApp::InvalidSizes);
    // The moving constructor of App trusts an AffApp made by its constructor.
    App app(VectorApp(), AffApp(Matrix(1, 1), Vector(1)));
    EXPECT_EQ(app.matrix().nlines(), 1u);
    EXPECT_EQ(&app.cst(), &app.affine().cst());
}

TEST(Analyses, SetAcceptsItsOwnBody) {
    Expr x = ond::symbol("fx"), y = ond::symbol("fy");
    VectorApp app(Vector{x, y}, Vector{x * y});
    // The body used as the inputs: its element (_0 * _1) becomes argument 0.
    app.set(app.vector(), app.vector());
    EXPECT_EQ(app.vector(), Vector{ond::arg_symbol(0)});
    VectorApp moved;
    moved.set(Vector{x}, Vector{x + y});
    EXPECT_EQ(moved.vector(), Vector{y + ond::arg_symbol(0)});
}

TEST(Analyses, DecompositionOfAMovedPartsApp) {
    Expr x = ond::symbol("fx"), y = ond::symbol("fy");
    Vector in{x, y};
    App app = an::vectorial_decomp(in, Vector{x * y + y + Expr::imm(true)});
    EXPECT_EQ(app.matrix().at(0, 0), Expr::imm(false));
    EXPECT_EQ(app.matrix().at(0, 1), Expr::imm(true));
    EXPECT_EQ(app.cst(), Vector{Expr::imm(true)});
    EXPECT_EQ(app.nl().vector(), Vector{ond::arg_symbol(0) * ond::arg_symbol(1)});
}
