// Start-up: the platform check, the 3-D look, and ending the process with Cancel.
#include <gtest/gtest.h>

#include <ostream>

#include "app/resource.h"
#include "support/InstallerRun.h"

namespace {

const char kRefusal[] = "Sorry.\r\nThis version of Tolvane requires Windows 95 or Windows NT.";

struct PlatformCase {
    DWORD platformId;
    DWORD major;
    bool queryFails;
    bool supported;
};

// Parameters print by name: their padding bytes are not values.
void PrintTo(const PlatformCase& c, std::ostream* out) {
    *out << "platform " << c.platformId << " version " << c.major;
}

class PlatformCheck : public ::testing::TestWithParam<PlatformCase> {};

TEST_P(PlatformCheck, RefusesAllButTheWindows95FamilyAndNt) {
    const PlatformCase c = GetParam();
    host::Machine& m = StandardMachine();
    m.version.platformId = c.platformId;
    m.version.major = c.major;
    m.version.queryFails = c.queryFails;
    if (c.supported) {
        m.ui.Click(IDCANCEL);
    } else {
        m.ui.Answer(IDOK);
    }
    InstallerRun run = RunInstaller(m);
    ASSERT_EQ(run.mismatch, "");
    EXPECT_FALSE(run.exitedThroughExitProcess);

    ASSERT_GE(m.CallCount("GetVersionExA"), 1);
    for (const host::CallRecord& call : m.calls) {
        if (call.api == "GetVersionExA") {
            EXPECT_EQ(call.args, "size 148");
        }
    }
    if (c.supported) {
        EXPECT_EQ(m.ui.dialogsShown.size(), 1u);
        EXPECT_TRUE(m.ui.messageBoxes.empty());
    } else {
        EXPECT_TRUE(m.ui.dialogsShown.empty());
        ASSERT_EQ(m.ui.messageBoxes.size(), 1u);
        const host::MessageBoxRecord& box = m.ui.messageBoxes[0];
        EXPECT_EQ(box.owner, nullptr);
        EXPECT_EQ(box.text, kRefusal);
        EXPECT_EQ(box.caption, "Unable to install");
        EXPECT_EQ(box.style, 0x10u);
        // A refused platform is told nothing of the registry: it is not even read.
        EXPECT_EQ(m.CallCount("RegOpenKeyA"), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Platforms, PlatformCheck,
                         ::testing::Values(PlatformCase{0, 3, false, false},   // Win32s
                                           PlatformCase{3, 10, false, false},  // CE and later ids
                                           PlatformCase{2, 4, true, false},    // query fails
                                           PlatformCase{1, 4, false, true},    // Windows 95
                                           PlatformCase{2, 3, false, true},    // NT 3.51
                                           PlatformCase{2, 6, false, true}));

TEST(Startup, ThreeDimensionalControlsOnlyBeforeVersion4) {
    for (DWORD major : {3u, 4u}) {
        host::Machine& m = StandardMachine();
        m.version.major = major;
        m.ctl3dPresent = true;
        m.ui.Click(IDCANCEL);
        ASSERT_EQ(RunInstaller(m).mismatch, "");
        if (major == 3) {
            EXPECT_EQ(m.ctl3dCalls, (std::vector<std::string>{"load", "Ctl3dRegister",
                                                              "Ctl3dAutoSubclass",
                                                              "Ctl3dUnregister", "free"}));
        } else {
            EXPECT_EQ(m.CallCount("LoadLibraryA"), 0);
        }
        EXPECT_EQ(m.ui.dialogsShown.size(), 1u);
    }
    // Without the library the dialog comes up all the same.
    host::Machine& m = StandardMachine();
    m.version.major = 3;
    m.ui.Click(IDCANCEL);
    ASSERT_EQ(RunInstaller(m).mismatch, "");
    EXPECT_EQ(m.CallCount("LoadLibraryA"), 1);
    EXPECT_EQ(m.ui.dialogsShown.size(), 1u);
}

TEST(Startup, CancelEscapeAndTheCloseBoxEndWithNothingChanged) {
    for (int way = 0; way < 3; ++way) {
        host::Machine& m = StandardMachine();
        const std::string files = m.files.Dump();
        const std::string registry = m.registry.Dump();
        if (way == 0) {
            m.ui.Click(IDCANCEL);
        } else if (way == 1) {
            m.ui.Escape();
        } else {
            m.ui.CloseBox();
        }
        InstallerRun run = RunInstaller(m);
        ASSERT_EQ(run.mismatch, "") << way;
        EXPECT_FALSE(run.exitedThroughExitProcess);
        EXPECT_EQ(m.files.Dump(), files);
        EXPECT_EQ(m.registry.Dump(), registry);
        EXPECT_EQ(m.registry.OpenKeyCount(), 0);
        EXPECT_TRUE(m.ui.messageBoxes.empty());
        EXPECT_EQ(m.CallCount("CreateDirectoryA"), 0);
    }
}

TEST(Startup, TheFrameworkCaptionFollowsTheExecutableName) {
    host::Machine& m = StandardMachine();
    m.exePath = "C:\\SETUP\\Other Name.v2.exe";
    m.ui.Enter();             // Install: the missing directory is asked for
    m.ui.Answer(IDCANCEL);
    m.ui.Click(IDCANCEL);
    ASSERT_EQ(RunInstaller(m).mismatch, "");
    ASSERT_EQ(m.ui.messageBoxes.size(), 1u);
    EXPECT_EQ(m.ui.messageBoxes[0].caption, "Other Name.v2");

    host::Machine& refused = StandardMachine();
    refused.exePath = "C:\\SETUP\\Other.exe";
    refused.version.platformId = 0;
    refused.ui.Answer(IDOK);
    ASSERT_EQ(RunInstaller(refused).mismatch, "");
    EXPECT_EQ(refused.ui.messageBoxes.at(0).caption, "Unable to install");
}

}  // namespace
