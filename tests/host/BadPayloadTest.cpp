// Bad payloads through a whole installation. The installer never interprets the payload: a
// missing or empty resource is fatal, anything else is handed to LZ32, and the installation goes
// on with whatever LZ32 wrote.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "Szdd.h"
#include "app/resource.h"
#include "support/Outcome.h"
#include "support/Scenario.h"

namespace {

typedef std::vector<BYTE> Bytes;

const char kInstalledExe[] = "C:\\Program Files\\Brindlecot\\Tolvane\\Tolvane.exe";
const char kSettingsKey[] = "SOFTWARE\\Brindlecot\\Tolvane\\ActiveX";

void SetLength(Bytes& packed, std::uint32_t length) {
    for (int i = 0; i < 4; ++i) {
        packed.at(10 + i) = static_cast<BYTE>(length >> (8 * i));
    }
}

struct PayloadCase {
    const char* name;
    bool removed;                             // no payload resource at all
    std::function<Bytes(const Bytes&)> make;  // the resource, from the good packed payload
    Ending ending;
    // What LZ32 must have written into the target, from the bad resource; unused when fatal.
    std::function<Bytes(const Bytes&)> installed;
    // The reason a fatal ending gives: the payload unreadable, or what LZ32 made of it not a
    // program that starts.
    const char* fatalDetail = "Unable to extract resource";
};

void PrintTo(const PayloadCase& c, std::ostream* out) {
    *out << c.name;
}

Bytes Unchanged(const Bytes& resource) {
    return resource;
}

Bytes Original(const Bytes&) {
    return PayloadOriginal();
}

Bytes Nothing(const Bytes&) {
    return {};
}

class BadPayload : public ::testing::TestWithParam<PayloadCase> {};

TEST_P(BadPayload, GivesItsMessageAndResult) {
    const PayloadCase& c = GetParam();
    host::Machine& m = StandardMachine();
    const host::ResId type = host::ResId::From("EXE");
    const host::ResId name = host::ResId::From("TOLVANE");
    Bytes resource;
    if (c.removed) {
        m.resources.Remove(type, name);
    } else {
        resource = c.make(m.resources.Find(type, name)->data);
        m.resources.Replace(type, name, resource);
    }
    const std::string before = m.files.Dump();
    m.ui.autoAnswer = [](const host::MessageBoxRecord&) { return IDOK; };
    m.ui.Click(IDOK);
    InstallerRun run = RunInstaller(m);
    ASSERT_EQ(run.mismatch, "");
    ASSERT_EQ(EndingOf(m), c.ending) << LastMessage(m);
    EXPECT_EQ(m.files.OpenFileCount(), 0);
    EXPECT_EQ(m.lz.OpenHandleCount(), 0);
    EXPECT_EQ(m.registry.OpenKeyCount(), 0);
    EXPECT_EQ(m.files.Dump().find("TVN"), std::string::npos) << "a temporary file left";

    if (c.ending == Ending::Fatal) {
        ASSERT_FALSE(m.ui.messageBoxes.empty());
        EXPECT_EQ(m.ui.messageBoxes.back().text,
                  std::string("An unrecoverable installation error has occurred.\r\n") +
                      c.fatalDetail +
                      "\r\n\nPlease email Brindlecot at:\r\n\n\tsetup-support@brindlecot.example");
        EXPECT_EQ(m.ui.messageBoxes.back().caption, "Fatal Error");
        EXPECT_TRUE(run.exitedThroughExitProcess);
        EXPECT_EQ(run.exitCode, 1u);
        EXPECT_EQ(m.files.Dump(), before);
        EXPECT_EQ(m.registry.FindValue(HKEY_LOCAL_MACHINE, kSettingsKey, ""), nullptr);
        return;
    }
    // The run completes with what LZ32 made of the payload: started, recorded, kept.
    EXPECT_FALSE(run.exitedThroughExitProcess);
    ASSERT_EQ(m.processes.created.size(), 1u);
    EXPECT_EQ(m.processes.created[0].application, kInstalledExe);
    ASSERT_TRUE(m.files.IsFile(kInstalledExe));
    EXPECT_EQ(m.files.ReadFile(kInstalledExe), c.installed(resource));
    const host::RegValue* recorded = m.registry.FindValue(HKEY_LOCAL_MACHINE, kSettingsKey, "");
    EXPECT_NE(recorded, nullptr);
}

// A stream cut in the middle expands to a strict prefix of the program; this is what the
// codec gives for exactly these bytes.
Bytes CutShortExpansion(const Bytes& resource) {
    Bytes out;
    szdd::Expand(resource.data(), resource.size(), out);
    const Bytes original = PayloadOriginal();
    EXPECT_GT(out.size(), 0u);
    EXPECT_LT(out.size(), original.size());
    EXPECT_TRUE(std::equal(out.begin(), out.end(), original.begin())) << "not a prefix";
    return out;
}

INSTANTIATE_TEST_SUITE_P(
    Payloads, BadPayload,
    ::testing::Values(
        PayloadCase{"no payload resource", true, nullptr, Ending::Fatal, nullptr},
        PayloadCase{"an empty resource", false, Nothing, Ending::Fatal, nullptr},
        PayloadCase{"a truncated stream", false,
                    [](const Bytes& packed) {
                        return Bytes(packed.begin(), packed.begin() + packed.size() / 2);
                    },
                    Ending::Completed, CutShortExpansion},
        PayloadCase{"only the header", false,
                    [](const Bytes& packed) {
                        return Bytes(packed.begin(), packed.begin() + szdd::kHeaderSize);
                    },
                    Ending::Fatal, Nothing, "Unable to create process"},
        PayloadCase{"a header that claims more", false,
                    [](const Bytes& packed) {
                        Bytes lying = packed;
                        SetLength(lying, 0xFFFFFFF0u);
                        return lying;
                    },
                    Ending::Completed, Original},
        PayloadCase{"a header that claims less", false,
                    [](const Bytes& packed) {
                        Bytes lying = packed;
                        SetLength(lying, 16);
                        return lying;
                    },
                    Ending::Completed, Original},
        PayloadCase{"not SZDD: the unpacked program", false, Original, Ending::Completed,
                    Unchanged},
        PayloadCase{"not SZDD: a short header", false,
                    [](const Bytes& packed) { return Bytes(packed.begin(), packed.begin() + 10); },
                    Ending::Fatal, Unchanged, "Unable to create process"},
        PayloadCase{"a mode other than A", false,
                    [](const Bytes& packed) {
                        Bytes other = packed;
                        other.at(8) = 'B';
                        return other;
                    },
                    Ending::Fatal, Nothing, "Unable to create process"}));

}  // namespace
