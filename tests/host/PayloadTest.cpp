// The payload: the temporary name, extraction into a temporary file and expansion into the
// target, and every way that fails.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include "payload/Payload.h"
#include "support/InstallerRun.h"

namespace {

typedef std::vector<BYTE> Bytes;

const char kTarget[] = "D:\\Tolvane\\Tolvane.exe";
const char kEarlierError[] = "earlier text";

Bytes Original() {
    std::ifstream in(TOLVANE_PAYLOAD_ORIGINAL, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

const Bytes& Resource(host::Machine& m) {
    return m.resources.Find(host::ResId::From("EXE"), host::ResId::From("Tolvane"))->data;
}

std::string Hex(unsigned value) {
    char text[16];
    std::snprintf(text, sizeof text, "%x", value);
    return text;
}

// The number of the temporary name `name`, formed from `directory` and thread 0x2c.
unsigned NumberOf(const std::string& name, const std::string& directory) {
    const std::string head = directory + "TVN2c";
    EXPECT_EQ(name.compare(0, head.size(), head), 0) << name;
    return static_cast<unsigned>(std::stoul(name.substr(head.size()), nullptr, 16));
}

// The counter is the process's: the next name is told by forming one now.
std::string NextTempName(const std::string& directory) {
    return directory + "TVN2c" + Hex(NumberOf(std::string(MakeTempFileName("TVN")), directory) + 1);
}

// The platform calls of this part, in order, with their arguments where they tell something.
std::vector<std::string> PayloadCalls(const host::Machine& m) {
    std::vector<std::string> calls;
    for (const host::CallRecord& call : m.calls) {
        const std::string& api = call.api;
        if (api == "fopen" || api == "LZOpenFileA" || api == "LZCopy" || api == "LZClose" ||
            api == "DeleteFileA") {
            calls.push_back(api + " " + call.args);
        } else if (api == "fwrite") {
            calls.push_back(api + " " + call.args.substr(0, call.args.rfind(", ")));
        } else if (api == "FindResourceA" || api == "LoadResource" || api == "LockResource" ||
                   api == "SizeofResource" || api == "GetTempPathA" || api == "fclose") {
            calls.push_back(api);
        }
    }
    return calls;
}

host::Machine& PayloadMachine() {
    host::Machine& m = StandardMachine();
    m.files.AddDrive('D');
    m.files.MakeDirectories("D:\\Tolvane");
    return m;
}

TEST(TempFileName, JoinsDirectoryPrefixThreadAndCounterInHexadecimal) {
    host::Machine& m = host::NewMachine();
    m.files.tempPath = "D:\\TEMP\\";
    const std::string first(MakeTempFileName("TVN"));
    const unsigned n = NumberOf(first, "D:\\TEMP\\");
    EXPECT_GE(n, 1u);
    EXPECT_EQ(first, "D:\\TEMP\\TVN2c" + Hex(n));
    // Never reset, one more each time, lower-case digits without leading zeros.
    for (unsigned i = 1; i <= 20; ++i) {
        EXPECT_EQ(std::string(MakeTempFileName("TVN")), "D:\\TEMP\\TVN2c" + Hex(n + i));
    }
    EXPECT_EQ(m.CallCount("GetTempPathA"), 21);
    for (const host::CallRecord& call : m.calls) {
        if (call.api == "GetTempPathA") {
            EXPECT_EQ(call.args, "260");
        }
    }

    m.threadId = 0xABC;
    const std::string other(MakeTempFileName("TVN"));
    EXPECT_EQ(other, "D:\\TEMP\\TVNabc" + Hex(n + 21));
    // Nothing is created.
    EXPECT_EQ(m.CallCount("fopen") + m.CallCount("CreateDirectoryA"), 0);
}

struct TempDirCase {
    const char* name;
    std::string tempPath;
    bool fallsBack;
};

void PrintTo(const TempDirCase& c, std::ostream* out) {
    *out << c.name;
}

class TempDirectory : public ::testing::TestWithParam<TempDirCase> {};

TEST_P(TempDirectory, FallsBackToTheCurrentDirectoryWhenThereIsNoUsablePath) {
    const TempDirCase& c = GetParam();
    host::Machine& m = host::NewMachine();
    m.files.tempPath = c.tempPath;
    const std::string first(MakeTempFileName("TVN"));
    const std::string directory = c.fallsBack ? "." : c.tempPath;
    const unsigned n = NumberOf(first, directory);
    EXPECT_EQ(first, directory + "TVN2c" + Hex(n));
    EXPECT_EQ(std::string(MakeTempFileName("TVN")), directory + "TVN2c" + Hex(n + 1));
}

INSTANTIATE_TEST_SUITE_P(
    Lengths, TempDirectory,
    ::testing::Values(TempDirCase{"none reported", "", true},
                      TempDirCase{"259 characters fit", "D:\\" + std::string(255, 'T') + "\\",
                                  false},
                      TempDirCase{"260 characters", "D:\\" + std::string(256, 'T') + "\\", true},
                      TempDirCase{"far too long", "D:\\" + std::string(400, 'T') + "\\", true}));

TEST(ExtractPayload, WritesTheTemporaryFileExpandsItAndDeletesIt) {
    host::Machine& m = PayloadMachine();
    const std::string temp = NextTempName("C:\\TEMP\\");
    const std::string before = m.files.Dump();
    const std::size_t size = Resource(m).size();
    ASSERT_GT(size, 14u);

    CString error = kEarlierError;
    EXPECT_EQ(ExtractPayload("Tolvane", "EXE", kTarget, error), Ok);
    EXPECT_EQ(std::string(error), kEarlierError);
    const Bytes original = Original();
    ASSERT_FALSE(original.empty());
    EXPECT_EQ(m.files.ReadFile(kTarget), original);
    EXPECT_FALSE(m.files.IsFile(temp));
    EXPECT_EQ(m.files.Dump(),
              before + "D:\\Tolvane\\Tolvane.exe " + std::to_string(original.size()) + "\n");
    EXPECT_EQ(m.files.OpenFileCount(), 0);
    EXPECT_EQ(m.lz.OpenHandleCount(), 0);

    // One write straight from the resource, one expansion, the target closed before the source.
    const std::string t = host::Arg(temp.c_str());
    const std::string target = host::Arg(kTarget);
    EXPECT_EQ(PayloadCalls(m),
              (std::vector<std::string>{
                  "GetTempPathA",  // the name NextTempName formed
                  "FindResourceA", "LoadResource", "LockResource", "SizeofResource", "GetTempPathA",
                  "fopen " + t + ", \"wb\"", "fwrite " + std::to_string(size) + ", 1", "fclose",
                  "LZOpenFileA " + t + ", 0x0", "LZOpenFileA " + target + ", 0x1001",
                  "LZCopy 0x400, 0x1", "LZClose 0x1", "LZClose 0x400", "DeleteFileA " + t}));
    EXPECT_EQ(m.lz.closed, (std::vector<INT>{0x1, 0x400}));
}

TEST(ExtractPayload, OverwritesAnEarlierTemporaryFileAndReplacesAnEarlierTarget) {
    host::Machine& m = PayloadMachine();
    const std::string temp = NextTempName("C:\\TEMP\\");
    m.files.WriteFile(temp, Bytes(100, 'x'));
    const Bytes original = Original();
    m.files.WriteFile(kTarget, Bytes(original.size() + 5000, 0xAA));

    CString error;
    EXPECT_EQ(ExtractPayload("Tolvane", "EXE", kTarget, error), Ok);
    EXPECT_EQ(std::string(error), "");
    EXPECT_EQ(m.files.ReadFile(kTarget), original);
    EXPECT_FALSE(m.files.IsFile(temp));
    EXPECT_EQ(m.CallCount("fopen"), 1);
}

struct FailureCase {
    const char* name;
    std::function<void(host::Machine&)> setUp;
    ExpandResult result;
    const char* error;
    int lzOpens;  // LZOpenFileA calls: 0 none, 1 the source only, 2 the target too
};

void PrintTo(const FailureCase& c, std::ostream* out) {
    *out << c.name;
}

class PayloadFailure : public ::testing::TestWithParam<FailureCase> {};

// Every failure leaves the file system as it was: no temporary file, no stray file, the
// target as it was, and nothing left open.
TEST_P(PayloadFailure, ReportsItsTextAndLeavesNothingBehind) {
    const FailureCase& c = GetParam();
    host::Machine& m = PayloadMachine();
    c.setUp(m);
    const std::string before = m.files.Dump();
    const Bytes earlierTarget = m.files.ReadFile(kTarget);

    CString error = kEarlierError;
    EXPECT_EQ(ExtractPayload("Tolvane", "EXE", kTarget, error), c.result);
    EXPECT_EQ(std::string(error), c.error);
    EXPECT_EQ(m.files.Dump(), before);
    EXPECT_EQ(m.files.ReadFile(kTarget), earlierTarget);
    EXPECT_EQ(m.files.OpenFileCount(), 0);
    EXPECT_EQ(m.files.OpenStreamCount(), 0);
    EXPECT_EQ(m.lz.OpenHandleCount(), 0);
    EXPECT_EQ(m.CallCount("LZOpenFileA"), c.lzOpens);
    EXPECT_EQ(m.CallCount("LZCopy"), 0);
}

const Bytes kHeldTarget = {'o', 'l', 'd'};

INSTANTIATE_TEST_SUITE_P(
    Cases, PayloadFailure,
    ::testing::Values(
        FailureCase{"missing resource",
                    [](host::Machine& m) {
                        m.resources.Remove(host::ResId::From("EXE"), host::ResId::From("Tolvane"));
                    },
                    SourceFailed, "Unable to extract resource", 0},
        FailureCase{"empty resource",
                    [](host::Machine& m) {
                        m.resources.Replace(host::ResId::From("EXE"), host::ResId::From("Tolvane"),
                                            {});
                    },
                    SourceFailed, "Unable to extract resource", 0},
        FailureCase{"resource cannot be loaded",
                    [](host::Machine& m) { m.FailCall("LoadResource", 1); }, SourceFailed,
                    "Unable to extract resource", 0},
        FailureCase{"resource cannot be locked",
                    [](host::Machine& m) { m.FailCall("LockResource", 1); }, SourceFailed,
                    "Unable to extract resource", 0},
        FailureCase{"read-only temporary directory",
                    [](host::Machine& m) { m.files.SetReadOnly("C:\\TEMP"); }, SourceFailed,
                    "Unable to create temporary file", 0},
        FailureCase{"missing temporary directory",
                    [](host::Machine& m) { m.files.tempPath = "C:\\Gone\\"; }, SourceFailed,
                    "Unable to create temporary file", 0},
        // A cut-short temporary file would expand into a damaged program reported as installed.
        FailureCase{"full disk during the temporary write",
                    [](host::Machine& m) { m.files.SetFreeSpace('C', 40000); }, SourceFailed,
                    "Unable to create temporary file", 0},
        FailureCase{"short write", [](host::Machine& m) { m.FailCall("fwrite", 1); }, SourceFailed,
                    "Unable to create temporary file", 0},
        FailureCase{"temporary file cannot be closed",
                    [](host::Machine& m) { m.FailCall("fclose", 1); }, SourceFailed,
                    "Unable to create temporary file", 0},
        FailureCase{"LZ32 cannot open the temporary file",
                    [](host::Machine& m) { m.FailCall("LZOpenFileA", 1); }, SourceFailed,
                    "Unable to decompress source", 1},
        FailureCase{"read-only target directory",
                    [](host::Machine& m) { m.files.SetReadOnly("D:\\Tolvane"); }, TargetFailed,
                    "Unable to create target", 2},
        FailureCase{"missing target directory",
                    [](host::Machine& m) {
                        m.files.RemoveDrive('D');
                        m.files.AddDrive('D');
                    },
                    TargetFailed, "Unable to create target", 2},
        // LZ32 then fills Tolvane.ex_ instead; the program removes that stray file.
        FailureCase{"target held open by another program",
                    [](host::Machine& m) {
                        m.files.WriteFile(kTarget, kHeldTarget);
                        m.files.HoldOpen(kTarget);
                    },
                    TargetFailed, "Unable to create target", 2}));

// LZ32 opens through OpenFile, whose record holds 128 characters: a longer target cannot be made.
TEST(ExtractPayload, ATargetBeyondLz32sPathLimitFails) {
    host::Machine& m = PayloadMachine();
    const std::string directory = "D:\\" + std::string(120, 'L');
    m.files.MakeDirectories(directory);
    const std::string target = directory + "\\Tolvane.exe";
    const std::string before = m.files.Dump();
    CString error;
    EXPECT_EQ(ExtractPayload("Tolvane", "EXE", target.c_str(), error), TargetFailed);
    EXPECT_EQ(std::string(error), "Unable to create target");
    EXPECT_EQ(m.files.Dump(), before);
}

// The expansion into the target fails: the target stays, closed and partly written.
TEST(ExtractPayload, AFailedExpansionLeavesTheTargetClosed) {
    for (int way = 0; way < 2; ++way) {
        host::Machine& m = PayloadMachine();
        if (way == 0) {
            m.FailCall("LZCopy", 1);
        } else {
            m.files.SetFreeSpace('D', 1000);
        }
        CString error;
        EXPECT_EQ(ExtractPayload("Tolvane", "EXE", kTarget, error), TargetFailed) << way;
        EXPECT_EQ(std::string(error), "Unable to create target");
        EXPECT_TRUE(m.files.IsFile(kTarget));
        EXPECT_EQ(m.files.ReadFile(kTarget).size(), way == 0 ? 0u : 1000u);
        EXPECT_EQ(m.files.OpenFileCount(), 0);
        EXPECT_EQ(m.lz.OpenHandleCount(), 0);
        EXPECT_EQ(m.CallCount("DeleteFileA"), 1);
        EXPECT_EQ(m.files.Dump().find("TVN"), std::string::npos);
    }
}

}  // namespace
