// Every mapping loop this processor runs must give what the plain definition
// gives: each byte's entry, in order, without the bytes whose entry is 0.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "core/ByteMap.h"

namespace falvori::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Expected(const Tabelle& table, const Bytes& in, std::size_t upTo) {
    Bytes out;
    for (std::size_t i = 0; i < upTo; ++i)
        if (table[in[i]] > 0) out.push_back(static_cast<std::uint8_t>(table[in[i]]));
    return out;
}

Bytes MapWith(const ByteMap& map, const Bytes& in, std::size_t offset, std::size_t* consumed) {
    Bytes out(in.size() - offset + 1, 0xEE);
    const std::size_t n = map.Map(in.data() + offset, in.size() - offset, out.data(), consumed);
    EXPECT_LE(n, in.size() - offset);
    EXPECT_EQ(out.back(), 0xEE) << "wrote past the room it was given";
    out.resize(n);
    return out;
}

// A scrambled table with some entries 0, entry 0 among them.
Tabelle RandomTable(std::mt19937& rng, int drops) {
    Tabelle table{};
    for (int i = 0; i < 256; ++i) table[i] = static_cast<std::int16_t>(i);
    std::shuffle(table.begin() + 1, table.end(), rng);
    table[0] = 0;
    for (int d = 1; d < drops; ++d) table[rng() % 256] = 0;
    return table;
}

class EachKernel : public ::testing::TestWithParam<ByteMap::Kernel> {
protected:
    void SetUp() override {
        if (!ByteMap::Supported(GetParam()))
            GTEST_SKIP() << ByteMap::Name(GetParam()) << " not available on this processor";
    }
    ByteMap Make(const Tabelle& table) const {
        ByteMap map(table, GetParam());
        EXPECT_EQ(map.UsedKernel(), GetParam());
        return map;
    }
};

TEST_P(EachKernel, MatchesTheDefinitionForAnyLengthAndAlignment) {
    std::mt19937 rng(7);
    for (int drops : {1, 5, 128}) {
        const Tabelle table = RandomTable(rng, drops);
        const ByteMap map = Make(table);
        for (std::size_t size : {0, 1, 31, 32, 33, 63, 64, 65, 127, 129, 1000, 256 * 1024 + 3}) {
            for (std::size_t offset : {0, 1, 17}) {
                Bytes in(size + offset);
                for (auto& b : in) b = static_cast<std::uint8_t>(rng());
                std::size_t consumed = 0;
                EXPECT_EQ(MapWith(map, in, offset, &consumed),
                          Expected(table, Bytes(in.begin() + offset, in.end()), size))
                    << "drops " << drops << " size " << size << " offset " << offset;
                EXPECT_EQ(consumed, size);
            }
        }
    }
}

TEST_P(EachKernel, DropsRunsOfZeroEntriesAndKeepsTheLastByte) {
    Tabelle table{};
    for (int i = 0; i < 256; ++i) table[i] = static_cast<std::int16_t>(i);
    table[0] = 0;
    const ByteMap map = Make(table);
    // All NUL but one byte, the kept byte at every place of a 64-byte block.
    for (std::size_t at = 0; at < 130; ++at) {
        Bytes in(130, 0);
        in[at] = 'x';
        std::size_t consumed = 0;
        EXPECT_EQ(MapWith(map, in, 0, &consumed), Bytes{'x'}) << at;
    }
    Bytes none(200, 0);
    std::size_t consumed = 0;
    EXPECT_TRUE(MapWith(map, none, 0, &consumed).empty());
    EXPECT_EQ(consumed, 200u);
}

TEST_P(EachKernel, StopsAtTheFirstEntryThatIsNoByte) {
    std::mt19937 rng(11);
    Tabelle table = RandomTable(rng, 3);
    table[0xC3] = 300;
    table[0x41] = -1;
    const ByteMap map = Make(table);
    for (std::size_t at : {0, 1, 40, 64, 100, 4095, 5000}) {  // 5000: none in the input
        Bytes in(5000);
        for (auto& b : in) {
            b = static_cast<std::uint8_t>(rng());
            if (b == 0xC3 || b == 0x41) b = 0x42;
        }
        if (at < in.size()) in[at] = at % 2 ? 0xC3 : 0x41;
        const Bytes before = in;
        std::size_t consumed = 0;
        EXPECT_EQ(MapWith(map, in, 0, &consumed), Expected(table, in, at)) << at;
        EXPECT_EQ(consumed, at);
        EXPECT_EQ(in, before) << "the input must stay as it was";
    }
}

INSTANTIATE_TEST_SUITE_P(ByteMap, EachKernel,
                         ::testing::Values(ByteMap::Kernel::Scalar, ByteMap::Kernel::Avx2,
                                           ByteMap::Kernel::Avx512),
                         [](const auto& info) { return std::string(ByteMap::Name(info.param)); });

TEST(ByteMapChoice, BestIsTheFastestAvailableAndAnUnavailableLoopFallsBackToThePlainOne) {
    Tabelle table{};
    const ByteMap::Kernel best = ByteMap(table).UsedKernel();
    EXPECT_NE(best, ByteMap::Kernel::Best);
    EXPECT_TRUE(ByteMap::Supported(best));
    for (ByteMap::Kernel faster : {ByteMap::Kernel::Avx512, ByteMap::Kernel::Avx2}) {
        if (!ByteMap::Supported(faster)) continue;
        EXPECT_EQ(best, faster) << ByteMap::Name(faster);
        break;
    }
    // The fallback shows only where a loop is missing (our CI machines lack
    // AVX-512 VBMI2); where every loop runs, this asks nothing more.
    for (ByteMap::Kernel kernel : {ByteMap::Kernel::Scalar, ByteMap::Kernel::Avx2, ByteMap::Kernel::Avx512})
        EXPECT_EQ(ByteMap(table, kernel).UsedKernel(), ByteMap::Supported(kernel) ? kernel : ByteMap::Kernel::Scalar)
            << ByteMap::Name(kernel);
}

}  // namespace
}  // namespace falvori::test
