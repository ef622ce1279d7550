// The binary form where Python cannot reach it: a table whose order is not this process's.
#include "expr/print.hpp"
#include "expr/serialize.hpp"
#include "expr/symbols.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace ond;

TEST(Serialize, TableInAnotherOrderIsResorted) {
    ExprSym x = symbol("ser_x"), y = symbol("ser_y");
    // Written where ser_y came first: the table lists ser_y, ser_x, and the sum (y + x) is
    // sorted in that order. Tokens: Add of 3 (0x63), monomial of 2 (0xE2) over positions 0 and
    // 1, named 1 (0x81), named 0 (0x80).
    using namespace std::string_literals;
    std::string bytes = "ond\x01\x01\x02\x05ser_y\x05ser_x\x63\xe2\x00\x00\x81\x80"s;
    Expr e = decode_expr(bytes);
    EXPECT_EQ(expr_text(e), "((ser_x * ser_y) + ser_x + ser_y)");
    EXPECT_EQ(e, Expr(x) * y + x + y);
}

TEST(Serialize, ValuesComeBackIdenticalInTheWritingProcess) {
    ExprSym x = symbol("ser_x"), y = symbol("ser_y");
    Expr raw(expr_type_id::add, ExprArgs(std::vector<Expr>{Expr(y), Expr(x), Expr(y)}));
    Expr back = decode_expr(encode(raw));
    EXPECT_EQ(back, raw);
    EXPECT_EQ(expr_text(back), "(ser_y + ser_x + ser_y)");
}
