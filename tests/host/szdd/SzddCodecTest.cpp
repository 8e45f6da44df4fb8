// Round trips through our own packer and expander, and the packer's claim of an exact optimum.
#include "Szdd.h"
#include "SzddTestData.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

namespace {

TEST(SzddCodec, RoundTripsEveryInput) {
    for (const NamedInput& input : RoundTripInputs()) {
        SCOPED_TRACE(input.name);
        const Bytes packed = szdd::Compress(input.bytes.data(), input.bytes.size(), 'l');
        szdd::Header header{};
        ASSERT_TRUE(szdd::ReadHeader(packed.data(), packed.size(), header));
        EXPECT_EQ(header.mode, 'A');
        EXPECT_EQ(header.missingChar, 'l');
        EXPECT_EQ(header.expandedLength, input.bytes.size());
        Bytes expanded;
        EXPECT_EQ(szdd::Expand(packed.data(), packed.size(), expanded), szdd::ExpandStatus::Ok);
        EXPECT_TRUE(expanded == input.bytes);
    }
}

TEST(SzddCodec, CompressIsDeterministic) {
    const Bytes input = RoundTripInputs().back().bytes;
    EXPECT_TRUE(szdd::Compress(input.data(), input.size()) ==
                szdd::Compress(input.data(), input.size()));
}

TEST(SzddCodec, EmptyInputIsTheHeaderAlone) {
    const Bytes packed = szdd::Compress(nullptr, 0);
    const Bytes expected = {0x53, 0x5A, 0x44, 0x44, 0x88, 0xF0, 0x27, 0x33, 'A', 0, 0, 0, 0, 0};
    EXPECT_TRUE(packed == expected);
}

// Random bytes, then their first 18 again: only a match at distance 4096 takes those 18 in one
// item. It is the ring position being written (0xFF0 after 4096 bytes), its length 18.
TEST(SzddCodec, UsesDistance4096AndLength18) {
    Bytes input = RandomBytes(11, 4096);
    input.insert(input.end(), input.begin(), input.begin() + 18);
    const Bytes packed = szdd::Compress(input.data(), input.size());
    ASSERT_GE(packed.size(), szdd::kHeaderSize + 2);
    EXPECT_EQ(packed[packed.size() - 2], 0xF0);
    EXPECT_EQ(packed[packed.size() - 1], 0xF0 | (18 - 3));
    Bytes expanded;
    EXPECT_EQ(szdd::Expand(packed.data(), packed.size(), expanded), szdd::ExpandStatus::Ok);
    EXPECT_TRUE(expanded == input);
}

TEST(SzddCodec, TakesLeadingSpacesFromThePrefilledRing) {
    const Bytes input(18, ' ');
    const Bytes packed = szdd::Compress(input.data(), input.size());
    EXPECT_EQ(packed.size(), szdd::kHeaderSize + 1 + 2);  // one flag byte, one match
}

// Reference for the smallest encoding: every length at every distance found by brute force, and a
// forward pass over (position, items under the current flag byte).
std::size_t ReferenceOptimumSize(const Bytes& input) {
    const std::size_t n = input.size();
    Bytes text(4096 + n, ' ');
    std::copy(input.begin(), input.end(), text.begin() + 4096);
    constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();
    std::vector<std::size_t> best((n + 1) * 8, kNone);
    best[0] = 0;
    for (std::size_t pos = 0; pos < n; ++pos) {
        std::size_t longest = 0;
        const std::size_t at = pos + 4096;
        for (std::size_t distance = 1; distance <= 4096; ++distance) {
            std::size_t k = 0;
            while (k < 18 && pos + k < n && text[at - distance + k] == text[at + k]) {
                ++k;
            }
            longest = std::max(longest, k);
        }
        for (std::size_t items = 0; items < 8; ++items) {
            const std::size_t here = best[pos * 8 + items];
            if (here == kNone) {
                continue;
            }
            const std::size_t flag = items == 0 ? 1 : 0;
            const std::size_t next = (items + 1) % 8;
            auto relax = [&](std::size_t to, std::size_t cost) {
                std::size_t& slot = best[to * 8 + next];
                slot = std::min(slot, here + flag + cost);
            };
            relax(pos + 1, 1);
            for (std::size_t length = 3; length <= longest; ++length) {
                relax(pos + length, 2);
            }
        }
    }
    return 14 + *std::min_element(best.begin() + n * 8, best.end());
}

TEST(SzddCodec, ReachesTheExactOptimum) {
    Bytes binary;
    ASSERT_TRUE(ReadFileBytes(SampleBinaryPath(), binary));
    Bytes leadingSpaces(40, ' ');
    leadingSpaces.insert(leadingSpaces.end(), binary.begin() + 1024, binary.begin() + 3024);
    Bytes mixed = RandomBytes(3, 3000);
    mixed.insert(mixed.end(), mixed.begin() + 100, mixed.begin() + 900);
    mixed.insert(mixed.end(), binary.begin(), binary.begin() + 3000);
    const std::vector<NamedInput> cases = {
        {"binary head", Bytes(binary.begin(), binary.begin() + 12000)},
        {"binary middle",
         Bytes(binary.begin() + binary.size() / 2, binary.begin() + binary.size() / 2 + 8000)},
        {"spaces then binary", leadingSpaces},
        {"random, repeats, binary", mixed},
        {"short", TextBytes("abcabcabcabcXabcabc  abc")},
    };
    for (const NamedInput& input : cases) {
        SCOPED_TRACE(input.name);
        const Bytes packed = szdd::Compress(input.bytes.data(), input.bytes.size());
        EXPECT_EQ(packed.size(), ReferenceOptimumSize(input.bytes));
    }
}

}  // namespace
