// The binary form where Python cannot reach it: a table whose order is not this process's, and
// the decoder's fuzz program on its corpus and on every small damage of each seed.
#include "decode_program.hpp"
#include "fuzz_program.hpp"

#include "expr/print.hpp"
#include "expr/serialize.hpp"
#include "expr/symbols.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using namespace ond;

namespace {

std::vector<std::uint8_t> read_file(std::filesystem::path const& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void replay(std::vector<std::uint8_t> const& bytes, std::string const& label) {
    try {
        fuzz::run_decode(bytes.data(), bytes.size());
    } catch (std::exception const& e) {
        ADD_FAILURE() << label << ": " << e.what();
    }
}

} // namespace

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

TEST(DecodeCorpus, EverySeedAndEverySmallDamageOfItReplaysCleanly) {
    std::size_t n = 0;
    for (auto const& entry : std::filesystem::directory_iterator(OND_DECODE_CORPUS)) {
        std::vector<std::uint8_t> seed = read_file(entry.path());
        std::string label = entry.path().filename().string();
        replay(seed, label);
        for (std::size_t i = 1; i < seed.size(); ++i) {
            std::vector<std::uint8_t> cut(seed.begin(), seed.begin() + static_cast<long>(i));
            replay(cut, label + " cut at " + std::to_string(i));
            for (std::uint8_t v : {std::uint8_t(0), std::uint8_t(0xFF),
                                   static_cast<std::uint8_t>(seed[i] ^ 0x80)}) {
                std::vector<std::uint8_t> bad = seed;
                bad[i] = v;
                replay(bad, label + " byte " + std::to_string(i));
            }
        }
        ++n;
    }
    EXPECT_GT(n, 0u) << "no corpus found in " << OND_DECODE_CORPUS;
}
