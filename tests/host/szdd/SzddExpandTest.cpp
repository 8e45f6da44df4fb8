// The expander on hand-made streams and on damaged input: a defined result, never junk.
#include "Szdd.h"
#include "SzddTestData.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

Bytes Szdd(const Bytes& stream, std::uint32_t length, std::uint8_t mode = 'A') {
    Bytes file = {0x53, 0x5A, 0x44, 0x44, 0x88, 0xF0, 0x27, 0x33, mode, 0};
    for (int shift = 0; shift < 32; shift += 8) {
        file.push_back(static_cast<std::uint8_t>(length >> shift));
    }
    file.insert(file.end(), stream.begin(), stream.end());
    return file;
}

Bytes Cat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

struct ExpandCase {
    const char* name;
    Bytes file;
    szdd::ExpandStatus status;
    Bytes expanded;
};

TEST(SzddExpand, HandMadeStreams) {
    using S = szdd::ExpandStatus;
    const Bytes letters = TextBytes("abcdefghijklmnopqr");  // 16 fill 0xFF0..0xFFF, 2 wrap to 0
    const Bytes headerAlone = Szdd({}, 0);
    const ExpandCase cases[] = {
        {"header alone", headerAlone, S::Ok, {}},
        {"header claims more than the stream holds", Szdd({0xFF, 'x', 'y', 'z'}, 100), S::Ok,
         TextBytes("xyz")},
        {"header claims less than the stream holds", Szdd({0xFF, 'x', 'y', 'z'}, 1), S::Ok,
         TextBytes("xyz")},
        // Unused flag bits are 0 ("match"): the end of input is checked before reading one.
        {"flag byte and nothing else", Szdd({0x00}, 0), S::Ok, {}},
        {"match cut after one byte", Szdd({0x00, 0x12}, 3), S::Truncated, {}},
        {"match cut after a literal", Szdd({0x01, 'a', 0xF0}, 4), S::Truncated, TextBytes("a")},
        {"match from the pre-filled spaces", Szdd({0x00, 0x00, 0x02}, 5), S::Ok,
         TextBytes("     ")},
        {"match at the write position reads the old bytes", Szdd({0x01, 'a', 0xF1, 0xF0}, 4), S::Ok,
         TextBytes("a   ")},
        {"overlapping match repeats the last byte", Szdd({0x01, 'x', 0xF0, 0xF7}, 11), S::Ok,
         TextBytes("xxxxxxxxxxx")},
        {"match from spaces into data", Szdd({0x03, 'a', 'b', 0xEE, 0xF1}, 6), S::Ok,
         TextBytes("ab  ab")},
        {"match wraps at 0x1000",
         Szdd(Cat(Cat({0xFF}, Bytes(letters.begin(), letters.begin() + 8)),
                  Cat(Cat({0xFF}, Bytes(letters.begin() + 8, letters.begin() + 16)),
                      Cat({0xFB}, Cat(Bytes(letters.begin() + 16, letters.end()), {0xFE, 0xF1})))),
              22),
         S::Ok, TextBytes("abcdefghijklmnopqropqr")},
        {"bad mode", Szdd({0xFF, 'x'}, 1, 'B'), S::BadMode, {}},
        {"no magic", Cat(TextBytes("SZDE"), Bytes(12, 0)), S::NotSzdd, {}},
        {"magic, short header", Bytes(headerAlone.begin(), headerAlone.end() - 1), S::NotSzdd, {}},
        {"the 12-byte header variant",
         Cat({'S', 'Z', ' ', 0x88, 0xF0, 0x27, 0x33, 0xD1}, Bytes(8)),
         S::NotSzdd,
         {}},
        {"empty input", {}, S::NotSzdd, {}},
    };
    for (const ExpandCase& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes out = {1, 2, 3};  // replaced, never appended to
        EXPECT_EQ(szdd::Expand(c.file.data(), c.file.size(), out), c.status);
        EXPECT_TRUE(out == c.expanded) << std::string(out.begin(), out.end());
    }
}

TEST(SzddExpand, HasMagicAndReadHeader) {
    const Bytes file = Szdd({}, 0x00177800, 'Q');
    szdd::Header header{};
    EXPECT_TRUE(szdd::HasMagic(file.data(), 8));
    EXPECT_FALSE(szdd::HasMagic(file.data(), 7));
    EXPECT_FALSE(szdd::ReadHeader(file.data(), szdd::kHeaderSize - 1, header));
    ASSERT_TRUE(szdd::ReadHeader(file.data(), file.size(), header));
    EXPECT_EQ(header.mode, 'Q');
    EXPECT_EQ(header.missingChar, 0);
    EXPECT_EQ(header.expandedLength, 0x00177800u);
}

// Every cut of a packed file expands to a prefix of the original; a cut inside a match is reported.
TEST(SzddExpand, TruncatedFilesGiveAPrefix) {
    Bytes input;
    ASSERT_TRUE(ReadFileBytes(SampleBinaryPath(), input));
    input.resize(std::min<std::size_t>(input.size(), 20000));
    const Bytes packed = szdd::Compress(input.data(), input.size());
    int truncatedSeen = 0;
    for (std::size_t cut = szdd::kHeaderSize; cut < packed.size(); cut += 7) {
        Bytes out;
        const szdd::ExpandStatus status = szdd::Expand(packed.data(), cut, out);
        ASSERT_TRUE(status == szdd::ExpandStatus::Ok || status == szdd::ExpandStatus::Truncated);
        truncatedSeen += status == szdd::ExpandStatus::Truncated;
        ASSERT_LT(out.size(), input.size());
        ASSERT_TRUE(std::equal(out.begin(), out.end(), input.begin())) << "cut at " << cut;
    }
    EXPECT_GT(truncatedSeen, 0);
}

// Garbage after a valid header: any result, but never more than 18 bytes per 2 input bytes.
TEST(SzddExpand, GarbageStaysBounded) {
    for (std::uint32_t seed = 1; seed <= 200; ++seed) {
        const Bytes garbage = RandomBytes(seed, seed * 13);
        const Bytes file = Szdd(garbage, seed);
        Bytes out;
        const szdd::ExpandStatus status = szdd::Expand(file.data(), file.size(), out);
        EXPECT_TRUE(status == szdd::ExpandStatus::Ok || status == szdd::ExpandStatus::Truncated);
        EXPECT_LE(out.size(), garbage.size() * 9);
    }
}

}  // namespace
