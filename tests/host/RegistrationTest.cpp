// The registration run: the shrunken dialog, the animation in time, the started program and the
// three outcomes.
#include <gtest/gtest.h>

#include <limits>

#include "app/resource.h"
#include "support/Scenario.h"

namespace {

const char kInstalled[] = "Tolvane has been installed on your computer.";
const char kRemoved[] = "Tolvane has been removed from your computer.";
const char kTimedOut[] = "Timeout waiting for auto-registration.";

// Installs into an existing directory, with the started program as given; answers the outcome.
host::Machine& InstallWith(std::uint64_t runMs, DWORD exitCode, const std::string& dir = "C:\\Apps") {
    host::Machine& m = StandardMachine();
    m.files.MakeDirectories(dir);
    m.processes.defaultProgram.runMs = runMs;
    m.processes.defaultProgram.exitCode = exitCode;
    m.ui.Type(IDC_INSTALL_DIR, dir);
    m.ui.Click(IDOK);
    m.ui.Answer(IDOK);
    return m;
}

TEST(Registration, FramesFollowTheSlicesAndStopWhenTheProgramEnds) {
    host::Machine& m = InstallWith(1100, 0);
    ASSERT_EQ(RunInstaller(m).mismatch, "");
    using Frames = std::vector<std::pair<std::uint64_t, int>>;
    // 130 is shown from the start and again after the first slice; then one frame per slice.
    EXPECT_EQ(FramesSent(m), (Frames{{0, IDI_SPIN1},
                                     {250, IDI_SPIN1},
                                     {500, IDI_SPIN2},
                                     {750, IDI_SPIN3},
                                     {1000, IDI_SPIN1}}));
    EXPECT_EQ(MessageTexts(m), std::vector<std::string>{kInstalled});
}

TEST(Registration, OutcomeByExitCodeAndTime) {
    struct Case {
        std::uint64_t runMs;
        DWORD exitCode;
        const char* message;
        std::size_t frames;
    };
    const std::uint64_t kForever = std::numeric_limits<std::uint64_t>::max();
    const Case cases[] = {
        {100, 0, kInstalled, 1},                   // ends in the first slice: no frame after the first
        {100, 1, kInstalled, 1},                   // any code but 100 has registered
        {100, 100, kRemoved, 1},                   // 100: it has removed itself
        {599 * 250 + 100, 100, kRemoved, 600},     // ends during the last slice: still Removed
        {kForever, 0, kTimedOut, 601},             // still running after the 600th slice
    };
    for (const Case& c : cases) {
        host::Machine& m = InstallWith(c.runMs, c.exitCode);
        InstallerRun run = RunInstaller(m);
        ASSERT_EQ(run.mismatch, "");
        EXPECT_EQ(MessageTexts(m), std::vector<std::string>{c.message}) << c.runMs;
        EXPECT_EQ(FramesSent(m).size(), c.frames) << c.runMs;
        if (c.message == kTimedOut) {
            EXPECT_EQ(m.processes.nowMs, 150000u);
            EXPECT_TRUE(m.processes.IsRunning(0));  // left running
            EXPECT_EQ(FramesSent(m).back().second, IDI_SPIN3);  // slice 599: 599 mod 3 = 2
        }
    }
}

TEST(Registration, TheDialogShrinksCaptionChangesAndTheIconShows) {
    host::Machine& m = InstallWith(1000, 0);
    RECT before = {};
    m.ui.script.push_front({host::Action::Run, 0, {}, [&](host::Machine& machine) {
                                before = InstallWindow(machine)->rect;
                            }});
    m.ui.script.pop_back();  // replace the final answer by a look at the dialog first
    m.ui.Run([&](host::Machine& machine) {
        host::Window* dialog = InstallWindow(machine);
        EXPECT_EQ(dialog->text, "Registering Tolvane...");
        EXPECT_EQ(dialog->rect.left, before.left);
        EXPECT_EQ(dialog->rect.top, before.top);
        EXPECT_EQ(dialog->rect.right - dialog->rect.left, before.right - before.left);
        EXPECT_EQ(dialog->rect.bottom - dialog->rect.top, 94);
        EXPECT_TRUE(machine.ui.Control(machine.ui.lastDialog, IDC_PROGRESS_ICON)->Visible());
    });
    m.ui.Answer(IDOK);
    ASSERT_EQ(RunInstaller(m).mismatch, "");
    EXPECT_GE(m.CallCount("UpdateWindow"), 1);
}

TEST(Registration, ThePathIsTheApplicationNameAndTheCommandLineIsUnquoted) {
    host::Machine& m = InstallWith(100, 0, "C:\\My Programs\\Tolvane Viewer");
    ASSERT_EQ(RunInstaller(m).mismatch, "");
    ASSERT_EQ(m.processes.created.size(), 1u);
    const host::CreatedProcess& p = m.processes.created[0];
    EXPECT_EQ(p.application, "C:\\My Programs\\Tolvane Viewer\\Tolvane.exe");
    EXPECT_EQ(p.commandLine, "C:\\My Programs\\Tolvane Viewer\\Tolvane.exe /AutoRegister");
    EXPECT_FALSE(p.processAttributes);
    EXPECT_FALSE(p.threadAttributes);
    EXPECT_EQ(p.inheritHandles, FALSE);
    EXPECT_EQ(p.flags, 0x20u);
    EXPECT_FALSE(p.environment);
    EXPECT_EQ(p.currentDirectory, "");
    EXPECT_TRUE(p.startupGiven);
    EXPECT_EQ(p.openHandles, 0);  // both handles closed
}

TEST(Registration, AMissingFrameLeavesThePreviousImage) {
    host::Machine& m = InstallWith(1100, 0);
    m.resources.Remove(host::ResId::From(MAKEINTRESOURCEA(14)),
                       host::ResId::From(MAKEINTRESOURCEA(IDI_SPIN2)));
    ASSERT_EQ(RunInstaller(m).mismatch, "");
    using Frames = std::vector<std::pair<std::uint64_t, int>>;
    EXPECT_EQ(FramesSent(m),
              (Frames{{0, IDI_SPIN1}, {250, IDI_SPIN1}, {750, IDI_SPIN3}, {1000, IDI_SPIN1}}));
}

TEST(Registration, AFailedWaitOrExitCodeCountsAsCompleted) {
    for (const char* api : {"WaitForSingleObject", "GetExitCodeProcess"}) {
        host::Machine& m = InstallWith(100, 100);
        m.FailCall(api, 1);
        ASSERT_EQ(RunInstaller(m).mismatch, "") << api;
        EXPECT_EQ(MessageTexts(m), std::vector<std::string>{kInstalled}) << api;
    }
}

}  // namespace
