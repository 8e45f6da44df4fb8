// The szddpack command line: round trips through files, and one clear error line and a non-zero
// exit for each kind of bad input, with no output file left behind.
#include "Szdd.h"
#include "SzddTestData.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace {

struct PackRun {
    int exitCode;
    std::string error;
};

PackRun RunPack(const ScratchDir& dir, const std::string& args) {
    const std::string errFile = dir.File("stderr.txt");
    PackRun run;
    run.exitCode = RunShell(std::string(SZDDPACK_PATH) + " " + args + " 2>'" + errFile + "'");
    Bytes err;
    ReadFileBytes(errFile, err);
    run.error.assign(err.begin(), err.end());
    return run;
}

TEST(SzddPack, CompressesAndExpandsFiles) {
    ScratchDir dir;
    ASSERT_FALSE(dir.path().empty());
    Bytes input;
    ASSERT_TRUE(ReadFileBytes(SampleBinaryPath(), input));
    ASSERT_TRUE(WriteFileBytes(dir.File("in.exe"), input));
    EXPECT_EQ(RunPack(dir, dir.File("in.exe") + " " + dir.File("x")).exitCode, 2);
    const PackRun pack = RunPack(dir, "compress " + dir.File("in.exe") + " " + dir.File("in.ex_"));
    EXPECT_EQ(pack.exitCode, 0) << pack.error;
    Bytes packed;
    ASSERT_TRUE(ReadFileBytes(dir.File("in.ex_"), packed));
    EXPECT_TRUE(packed == szdd::Compress(input.data(), input.size()));
    const PackRun unpack = RunPack(dir, "expand " + dir.File("in.ex_") + " " + dir.File("out.exe"));
    EXPECT_EQ(unpack.exitCode, 0) << unpack.error;
    Bytes expanded;
    ASSERT_TRUE(ReadFileBytes(dir.File("out.exe"), expanded));
    EXPECT_TRUE(expanded == input);
}

struct BadInput {
    const char* name;
    const char* command;
    Bytes content;  // written to IN unless the case is about IN itself
    const char* message;
};

Bytes Header(std::uint8_t mode, std::uint32_t length, const Bytes& stream) {
    Bytes file = {0x53, 0x5A, 0x44, 0x44, 0x88, 0xF0, 0x27, 0x33, mode, 0};
    for (int shift = 0; shift < 32; shift += 8) {
        file.push_back(static_cast<std::uint8_t>(length >> shift));
    }
    file.insert(file.end(), stream.begin(), stream.end());
    return file;
}

TEST(SzddPack, ReportsBadInput) {
    const Bytes headerAlone = Header('A', 0, {});
    const BadInput cases[] = {
        {"no magic", "expand", TextBytes("MZ not packed at all"), "not an SZDD file"},
        {"short header", "expand", Bytes(headerAlone.begin(), headerAlone.begin() + 13),
         "not an SZDD file"},
        {"bad mode", "expand", Header('B', 1, {0xFF, 'x'}), "unsupported compression mode 0x42"},
        {"match cut short", "expand", Header('A', 4, {0x01, 'a', 0xF0}), "truncated stream"},
        {"fewer bytes than the header gives", "expand", Header('A', 5, {0x01, 'a'}),
         "truncated stream"},
    };
    for (const BadInput& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchDir dir;
        ASSERT_FALSE(dir.path().empty());
        ASSERT_TRUE(WriteFileBytes(dir.File("in"), c.content));
        const PackRun run =
            RunPack(dir, std::string(c.command) + " " + dir.File("in") + " " + dir.File("out"));
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_NE(run.error.find(c.message), std::string::npos) << run.error;
        EXPECT_EQ(std::count(run.error.begin(), run.error.end(), '\n'), 1) << run.error;
        EXPECT_FALSE(std::filesystem::exists(dir.File("out")));
    }
}

TEST(SzddPack, ReportsUnreadableInputAndUnwritableOutput) {
    ScratchDir dir;
    ASSERT_FALSE(dir.path().empty());
    ASSERT_TRUE(WriteFileBytes(dir.File("in"), TextBytes("some input")));
    for (const char* command : {"compress", "expand"}) {
        SCOPED_TRACE(command);
        const PackRun missing =
            RunPack(dir, std::string(command) + " " + dir.File("missing") + " " + dir.File("out"));
        EXPECT_EQ(missing.exitCode, 1);
        EXPECT_NE(missing.error.find("cannot read"), std::string::npos) << missing.error;
        const PackRun directory =
            RunPack(dir, std::string(command) + " " + dir.path() + " " + dir.File("out"));
        EXPECT_EQ(directory.exitCode, 1);
        EXPECT_NE(directory.error.find("cannot read"), std::string::npos) << directory.error;
    }
    const PackRun unwritable =
        RunPack(dir, "compress " + dir.File("in") + " " + dir.File("no/such/dir/out"));
    EXPECT_EQ(unwritable.exitCode, 1);
    EXPECT_NE(unwritable.error.find("cannot write"), std::string::npos) << unwritable.error;
}

}  // namespace
