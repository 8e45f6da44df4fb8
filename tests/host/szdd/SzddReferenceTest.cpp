// Our packer's files against independent decoders (libmspack, Debian's msexpand), and files made by
// an independent encoder (Debian's mscompress) through our expander.
#include "MspackSzdd.h"
#include "Szdd.h"
#include "SzddTestData.h"

#include <gtest/gtest.h>

namespace {

TEST(SzddReference, LibmspackDecodesOurFiles) {
    if (!MspackAvailable()) {
        GTEST_SKIP() << "built without libmspack";
    }
    std::vector<NamedInput> inputs = RoundTripInputs();
    Bytes farMatch = RandomBytes(11, 4096);
    farMatch.insert(farMatch.end(), farMatch.begin(), farMatch.begin() + 18);
    inputs.push_back({"distance 4096", farMatch});
    for (const NamedInput& input : inputs) {
        SCOPED_TRACE(input.name);
        const Bytes packed = szdd::Compress(input.bytes.data(), input.bytes.size());
        Bytes expanded;
        EXPECT_EQ(MspackExpand(packed.data(), packed.size(), expanded), 0);
        EXPECT_TRUE(expanded == input.bytes);
    }
}

// Damaged and hand-made streams: where libmspack accepts a file, it gives exactly our bytes.
TEST(SzddReference, GarbageExpandsLikeLibmspack) {
    if (!MspackAvailable()) {
        GTEST_SKIP() << "built without libmspack";
    }
    Bytes sample;
    ASSERT_TRUE(ReadFileBytes(SampleBinaryPath(), sample));
    sample.resize(std::min<std::size_t>(sample.size(), 30000));
    const Bytes packed = szdd::Compress(sample.data(), sample.size());
    std::vector<Bytes> files;
    for (std::uint32_t seed = 1; seed <= 100; ++seed) {
        Bytes file(packed.begin(), packed.begin() + szdd::kHeaderSize);
        const Bytes garbage = RandomBytes(seed, seed * 37);
        file.insert(file.end(), garbage.begin(), garbage.end());
        files.push_back(file);
        files.push_back(Bytes(packed.begin(), packed.begin() + szdd::kHeaderSize + seed * 97));
    }
    int compared = 0;
    for (const Bytes& file : files) {
        Bytes ours;
        Bytes theirs;
        szdd::Expand(file.data(), file.size(), ours);
        if (MspackExpand(file.data(), file.size(), theirs) == 0) {
            ++compared;
            ASSERT_TRUE(ours == theirs) << "file of " << file.size() << " bytes";
        }
    }
    EXPECT_GT(compared, 100);
}

TEST(SzddReference, MsexpandDecodesOurFiles) {
    if (!HaveProgram("msexpand")) {
        GTEST_SKIP() << "msexpand is not installed";
    }
    ScratchDir dir;
    ASSERT_FALSE(dir.path().empty());
    for (const NamedInput& input : RoundTripInputs()) {
        SCOPED_TRACE(input.name);
        const Bytes packed = szdd::Compress(input.bytes.data(), input.bytes.size());
        ASSERT_TRUE(WriteFileBytes(dir.File("in.sz"), packed));
        ASSERT_EQ(RunShell("msexpand < '" + dir.File("in.sz") + "' > '" + dir.File("out") + "'"),
                  0);
        Bytes expanded;
        ASSERT_TRUE(ReadFileBytes(dir.File("out"), expanded));
        EXPECT_TRUE(expanded == input.bytes);
    }
}

// mscompress writes corrupt streams for inputs shorter than 16 bytes: only longer inputs here.
TEST(SzddReference, MscompressFilesExpandThroughOurCodec) {
    if (!HaveProgram("mscompress")) {
        GTEST_SKIP() << "mscompress is not installed";
    }
    ScratchDir dir;
    ASSERT_FALSE(dir.path().empty());
    int checked = 0;
    for (const NamedInput& input : RoundTripInputs()) {
        if (input.bytes.size() < 16) {
            continue;
        }
        SCOPED_TRACE(input.name);
        const std::string plain = dir.File("plain" + std::to_string(checked) + ".bin");
        ASSERT_TRUE(WriteFileBytes(plain, input.bytes));
        ASSERT_EQ(RunShell("mscompress '" + plain + "'"), 0);
        Bytes packed;
        ASSERT_TRUE(ReadFileBytes(plain + "_", packed));
        Bytes expanded;
        EXPECT_EQ(szdd::Expand(packed.data(), packed.size(), expanded), szdd::ExpandStatus::Ok);
        EXPECT_TRUE(expanded == input.bytes);
        // Our encoding is never larger than the greedy one.
        EXPECT_LE(szdd::Compress(input.bytes.data(), input.bytes.size()).size(), packed.size());
        ++checked;
    }
    EXPECT_GT(checked, 5);
}

}  // namespace
