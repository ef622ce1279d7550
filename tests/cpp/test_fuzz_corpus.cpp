// The fuzz programs in the ordinary suite: every checked-in corpus input (seeds and the inputs
// that once broke an invariant) replays cleanly, and so do seeded random programs; for the
// readers, every small damage of each seed too.
#include "decode_program.hpp"
#include "fuzz_program.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace {

std::vector<std::uint8_t> read_file(std::filesystem::path const& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

using Program = void (*)(std::uint8_t const*, std::size_t);

void replay(std::vector<std::uint8_t> const& bytes, std::string const& label,
            Program program = ond::fuzz::run_program) {
    try {
        program(bytes.data(), bytes.size());
    } catch (std::exception const& e) {
        ADD_FAILURE() << label << ": " << e.what();
    }
}

TEST(FuzzCorpus, EveryInputReplaysCleanly) {
    std::size_t n = 0;
    for (auto const& entry : std::filesystem::recursive_directory_iterator(OND_FUZZ_CORPUS)) {
        if (!entry.is_regular_file()) continue;
        replay(read_file(entry.path()), entry.path().filename().string());
        ++n;
    }
    EXPECT_GT(n, 0u) << "no corpus found in " << OND_FUZZ_CORPUS;
}

// The opcode tables as the checked-in corpora were written with them. A new operation or reader
// goes at the end of its table and of the list here; an edit anywhere else renumbers what the
// corpus files select.
constexpr const char* pinned_operations[] = {
    "leaf",
    "+",
    "*",
    "|",
    "+=",
    "*=",
    "|=",
    "moved in-place",
    "esf",
    "make_node",
    "simplify",
    "expand_esf",
    "or_to_esf",
    "identify_ors",
    "pass",
    "subs",
    "subs_map vars",
    "subs_map subexpr",
    "order",
    "assign from inside",
    "make_vector",
    "vector ints",
    "vector shift",
    "vector binary",
    "vector in-place",
    "vector times expr",
    "vector passes",
    "make_matrix",
    "matrix product",
    "matrix vector",
    "matrix sum",
    "matrix inverse",
    "T_fact",
    "matrix passes",
};
constexpr const char* pinned_readers[] = {
    "Expr", "Vector",     "Matrix",      "AffApp",           "VectorApp",
    "App",  "SymbolsSet", "SymbolsHist", "SymbolsHistValue", "text",
};

struct OpcodeTable {
    const char* what;
    std::vector<const char*> pinned;
    std::size_t (*count)();
    const char* (*name)(std::size_t);
};

class OpcodeTables : public testing::TestWithParam<OpcodeTable> {};

TEST_P(OpcodeTables, AreAppendOnly) {
    OpcodeTable const& t = GetParam();
    std::string advice = std::string(" in the ") + t.what +
                         " table: the checked-in corpus selects by these numbers; append a new "
                         "entry at the end (here too) instead of inserting, reordering, renaming "
                         "or removing one";
    for (std::size_t i = 0; i < t.pinned.size(); ++i) {
        const char* got = t.name(i);
        EXPECT_STREQ(got, t.pinned[i]) << "opcode " << i << advice;
    }
    EXPECT_EQ(t.count(), t.pinned.size()) << "size changed" << advice;
    EXPECT_EQ(t.name(t.count()), nullptr) << "a name past the last opcode";
}

INSTANTIATE_TEST_SUITE_P(
    FuzzCorpus, OpcodeTables,
    testing::Values(OpcodeTable{"fuzz program's operation",
                                {std::begin(pinned_operations), std::end(pinned_operations)},
                                ond::fuzz::operation_count,
                                ond::fuzz::operation_name},
                    OpcodeTable{"decode program's reader",
                                {std::begin(pinned_readers), std::end(pinned_readers)},
                                ond::fuzz::reader_count,
                                ond::fuzz::reader_name}),
    [](testing::TestParamInfo<OpcodeTable> const& info) {
        return info.index == 0 ? std::string("operations") : std::string("readers");
    });

TEST(FuzzCorpus, SeededRandomProgramsRunCleanly) {
    std::mt19937 g(2026);
    for (int i = 0; i < 300; ++i) {
        std::vector<std::uint8_t> bytes(16 + g() % 240);
        for (auto& b : bytes) b = static_cast<std::uint8_t>(g());
        replay(bytes, "random program " + std::to_string(i));
    }
}

} // namespace

TEST(DecodeCorpus, EverySeedAndEverySmallDamageOfItReplaysCleanly) {
    std::size_t n = 0;
    for (auto const& entry : std::filesystem::directory_iterator(OND_DECODE_CORPUS)) {
        std::vector<std::uint8_t> seed = read_file(entry.path());
        std::string label = entry.path().filename().string();
        replay(seed, label, ond::fuzz::run_decode);
        for (std::size_t i = 1; i < seed.size(); ++i) {
            std::vector<std::uint8_t> cut(seed.begin(), seed.begin() + static_cast<long>(i));
            replay(cut, label + " cut at " + std::to_string(i), ond::fuzz::run_decode);
            for (std::uint8_t v : {std::uint8_t(0), std::uint8_t(0xFF),
                                   static_cast<std::uint8_t>(seed[i] ^ 0x80)}) {
                std::vector<std::uint8_t> bad = seed;
                bad[i] = v;
                replay(bad, label + " byte " + std::to_string(i), ond::fuzz::run_decode);
            }
        }
        ++n;
    }
    EXPECT_GT(n, 0u) << "no corpus found in " << OND_DECODE_CORPUS;
}
