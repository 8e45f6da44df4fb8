// The Install command end to end: every path, its messages, its rollback, what it leaves.
#include <gtest/gtest.h>

#include "app/resource.h"
#include "install/UndoJournal.h"
#include "support/Scenario.h"

namespace {

const char kSettingsKey[] = "SOFTWARE\\Brindlecot\\Tolvane\\ActiveX";
const char kExe[] = "C:\\Program Files\\Brindlecot\\Tolvane\\Tolvane.exe";
const char kAskChain[] =
    "The directory \"C:\\Program Files\\Brindlecot\" does not exist. Do you wish to create it?";
const char kInstalled[] = "Tolvane has been installed on your computer.";
const char kTargetFailed[] =
    "Unable to install the Tolvane executable in C:\\Program Files\\Brindlecot\\Tolvane\\"
    "Tolvane.exe.\r\nPlease make sure that neither Tolvane nor Internet Explorer is currently "
    "running.";

std::string Fatal(const std::string& detail) {
    return "An unrecoverable installation error has occurred.\r\n" + detail +
           "\r\n\nPlease email Brindlecot at:\r\n\n\tsetup-support@brindlecot.example";
}

const host::RegValue* Recorded(host::Machine& m) {
    return m.registry.FindValue(HKEY_LOCAL_MACHINE, kSettingsKey, "");
}

TEST(InstallCommand, CompletedInstallsIntoTheMissingChainAndRecordsTheDirectory) {
    host::Machine& m = StandardMachine();
    m.ui.Click(IDOK);
    m.ui.Run([](host::Machine& machine) {
        // Only the directory question so far: no wait cursor yet.
        EXPECT_NE(machine.ui.CursorId(machine.ui.cursor), 32514);
    });
    m.ui.Answer(IDOK);
    m.ui.Run([](host::Machine& machine) {
        // The success message comes before the directory is recorded.
        EXPECT_EQ(Recorded(machine), nullptr);
        EXPECT_EQ(machine.ui.CursorId(machine.ui.cursor), 32514);
        EXPECT_EQ(UndoJournal::Count(), 3);  // two directories, then the executable
    });
    m.ui.Answer(IDOK);
    InstallerRun run = RunInstaller(m);
    ASSERT_EQ(run.mismatch, "");
    EXPECT_FALSE(run.exitedThroughExitProcess);

    EXPECT_EQ(MessageTexts(m), (std::vector<std::string>{kAskChain, kInstalled}));
    const host::MessageBoxRecord& success = m.ui.messageBoxes[1];
    EXPECT_EQ(success.caption, "Thanks for trying Tolvane...");
    EXPECT_EQ(success.style, 0x40u);
    EXPECT_EQ(success.owner, m.ui.lastDialog);
    EXPECT_EQ(m.ui.messageBoxes[0].style, 0x21u);
    EXPECT_EQ(m.ui.messageBoxes[0].caption, "TolvaneSetup");

    // The journal was discarded at the end of the process, without undoing.
    EXPECT_EQ(m.files.ReadFile(kExe), PayloadOriginal());
    EXPECT_TRUE(m.files.IsDirectory("C:\\Program Files\\Brindlecot"));
    const host::RegValue* recorded = Recorded(m);
    ASSERT_NE(recorded, nullptr);
    EXPECT_EQ(recorded->type, static_cast<DWORD>(REG_SZ));
    std::string expected = std::string(kDefaultDir) + '\0';
    EXPECT_EQ(std::string(recorded->data.begin(), recorded->data.end()), expected);
    EXPECT_TRUE(InstallWindow(m)->destroyed);
    EXPECT_EQ(InstallWindow(m)->endResult, IDOK);
    EXPECT_NE(m.ui.CursorId(m.ui.cursor), 32514);
    EXPECT_EQ(m.registry.OpenKeyCount(), 0);
    EXPECT_EQ(m.lz.OpenHandleCount(), 0);
    EXPECT_EQ(m.files.OpenFileCount(), 0);

    // The next run proposes the recorded directory.
    m.ui.Run([](host::Machine& machine) {
        EXPECT_EQ(machine.ui.Control(machine.ui.lastDialog, IDC_INSTALL_DIR)->text, kDefaultDir);
    });
    m.ui.Click(IDCANCEL);
    ASSERT_EQ(RunInstaller(m).mismatch, "");
}

TEST(InstallCommand, ADeclinedQuestionLeavesTheDialogOpenAndNothingCreated) {
    host::Machine& m = StandardMachine();
    const std::string before = m.files.Dump();
    m.ui.Click(IDOK);
    m.ui.Answer(IDCANCEL);
    m.ui.Run([&](host::Machine& machine) {
        EXPECT_FALSE(InstallWindow(machine)->destroyed);
        EXPECT_EQ(machine.files.Dump(), before);
        EXPECT_EQ(UndoJournal::Count(), 0);
    });
    m.ui.Click(IDCANCEL);
    ASSERT_EQ(RunInstaller(m).mismatch, "");
    EXPECT_EQ(m.ui.messageBoxes.size(), 1u);
    EXPECT_EQ(m.files.Dump(), before);
}

TEST(InstallCommand, SourceFailedIsFatalTakesTheChainBackAndKeepsAnEarlierExecutable) {
    // An earlier, working installation in C:\Apps; the reinstall cannot read its payload.
    host::Machine& m = StandardMachine();
    m.files.MakeDirectories("C:\\Apps");
    m.files.WriteFile("C:\\Apps\\Tolvane.exe", {'o', 'l', 'd'});
    m.resources.Remove(host::ResId::From("EXE"), host::ResId::From("TOLVANE"));
    m.ui.Type(IDC_INSTALL_DIR, "C:\\Apps\\New");
    m.ui.Click(IDOK);
    m.ui.Answer(IDOK);  // create C:\Apps\New
    m.ui.Run([](host::Machine& machine) {
        // The failed extraction is rolled back before the fatal message.
        EXPECT_FALSE(machine.files.IsDirectory("C:\\Apps\\New"));
    });
    m.ui.Answer(IDOK);  // the fatal message
    InstallerRun run = RunInstaller(m);
    ASSERT_EQ(run.mismatch, "");
    EXPECT_TRUE(run.exitedThroughExitProcess);
    EXPECT_EQ(run.exitCode, 1u);
    ASSERT_EQ(m.ui.messageBoxes.size(), 2u);
    EXPECT_EQ(m.ui.messageBoxes[1].text, Fatal("Unable to extract resource"));
    EXPECT_EQ(m.ui.messageBoxes[1].caption, "Fatal Error");
    EXPECT_EQ(m.ui.messageBoxes[1].style, 0x10u);
    EXPECT_FALSE(m.files.IsDirectory("C:\\Apps\\New"));
    EXPECT_EQ(m.files.ReadFile("C:\\Apps\\Tolvane.exe"), (std::vector<BYTE>{'o', 'l', 'd'}));

    // Into the earlier installation's own directory: the same, the program survives.
    host::Machine& same = StandardMachine();
    same.files.MakeDirectories("C:\\Apps");
    same.files.WriteFile("C:\\Apps\\Tolvane.exe", {'o', 'l', 'd'});
    same.files.tempPath = "C:\\NoSuchTemp\\";
    same.ui.Type(IDC_INSTALL_DIR, "C:\\Apps");
    same.ui.Click(IDOK);
    same.ui.Answer(IDOK);
    run = RunInstaller(same);
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_EQ(same.ui.messageBoxes.at(0).text, Fatal("Unable to create temporary file"));
    EXPECT_EQ(same.files.ReadFile("C:\\Apps\\Tolvane.exe"), (std::vector<BYTE>{'o', 'l', 'd'}));
}

TEST(InstallCommand, TargetFailedRetryKeepsTheDialogAndAsksAgain) {
    host::Machine& m = StandardMachine();
    const std::string before = m.files.Dump();
    m.FailCall("LZOpenFileA", 2);  // the first target open
    m.ui.Click(IDOK);
    m.ui.Answer(IDOK);
    m.ui.Run([&](host::Machine& machine) {
        // Rolled back before the message: the created chain is gone again.
        EXPECT_EQ(machine.files.Dump(), before);
    });
    RECT shown = {};
    m.ui.Answer(IDRETRY);
    m.ui.Run([&](host::Machine& machine) {
        host::Window* dialog = InstallWindow(machine);
        EXPECT_FALSE(dialog->destroyed);
        EXPECT_EQ(dialog->text, "Install Tolvane");
        EXPECT_EQ(machine.ui.Control(machine.ui.lastDialog, IDC_INSTALL_DIR)->text, kDefaultDir);
        shown = dialog->rect;
        EXPECT_NE(machine.ui.CursorId(machine.ui.cursor), 32514);
    });
    m.ui.Click(IDOK);
    m.ui.Answer(IDCANCEL);  // asked again: the failed run removed what it created
    m.ui.Click(IDCANCEL);
    ASSERT_EQ(RunInstaller(m).mismatch, "");
    EXPECT_EQ(MessageTexts(m), (std::vector<std::string>{kAskChain, kTargetFailed, kAskChain}));
    EXPECT_EQ(m.ui.messageBoxes[1].caption, "Tolvane Installation Error");
    EXPECT_EQ(m.ui.messageBoxes[1].style, 0x35u);
    EXPECT_EQ(m.ui.messageBoxes[1].owner, m.ui.lastDialog);
    EXPECT_EQ(m.files.Dump(), before);
}

TEST(InstallCommand, TargetFailedCancelClosesWithNothingLeft) {
    host::Machine& m = StandardMachine();
    m.files.MakeDirectories(std::string(kDefaultDir));
    m.files.WriteFile(kExe, {'o', 'l', 'd'});
    m.files.HoldOpen(kExe);  // another program has it open
    const std::string before = m.files.Dump();
    m.ui.Click(IDOK);
    m.ui.Answer(IDCANCEL);
    InstallerRun run = RunInstaller(m);
    ASSERT_EQ(run.mismatch, "");
    EXPECT_FALSE(run.exitedThroughExitProcess);
    EXPECT_EQ(MessageTexts(m), std::vector<std::string>{kTargetFailed});
    EXPECT_TRUE(InstallWindow(m)->destroyed);
    // No stray Tolvane.ex_, the held file untouched, nothing recorded.
    EXPECT_EQ(m.files.Dump(), before);
    EXPECT_EQ(Recorded(m), nullptr);
}

TEST(InstallCommand, AProgramThatCannotBeStartedIsFatalAfterTheMessage) {
    host::Machine& m = StandardMachine();
    const std::string before = m.files.Dump();
    m.FailCall("CreateProcessA", 1);
    m.ui.Click(IDOK);
    m.ui.Answer(IDOK);
    m.ui.Run([](host::Machine& machine) { EXPECT_TRUE(machine.files.IsFile(kExe)); });
    m.ui.Answer(IDOK);
    InstallerRun run = RunInstaller(m);
    ASSERT_EQ(run.mismatch, "");
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_TRUE(run.exitedThroughExitProcess);
    EXPECT_EQ(m.ui.messageBoxes.at(1).text, Fatal("Unable to create process"));
    EXPECT_EQ(m.files.Dump(), before);
    EXPECT_EQ(Recorded(m), nullptr);
}

TEST(InstallCommand, RemovedAndTimedOutRollBackBeforeTheirMessage) {
    struct Case {
        std::uint64_t runMs;
        DWORD exitCode;
        const char* text;
        const char* caption;
        UINT style;
    };
    const Case cases[] = {
        {200, 100, "Tolvane has been removed from your computer.", "Sorry for inconviencing you...",
         0x40},
        {~0ull, 0, "Timeout waiting for auto-registration.", "Possible error", 0x30},
    };
    for (const Case& c : cases) {
        host::Machine& m = StandardMachine();
        const std::string before = m.files.Dump();
        m.processes.defaultProgram.runMs = c.runMs;
        m.processes.defaultProgram.exitCode = c.exitCode;
        m.ui.Click(IDOK);
        m.ui.Answer(IDOK);
        m.ui.Run([&](host::Machine& machine) { EXPECT_EQ(machine.files.Dump(), before); });
        m.ui.Answer(IDOK);
        ASSERT_EQ(RunInstaller(m).mismatch, "");
        ASSERT_EQ(m.ui.messageBoxes.size(), 2u);
        EXPECT_EQ(m.ui.messageBoxes[1].text, c.text);
        EXPECT_EQ(m.ui.messageBoxes[1].caption, c.caption);
        EXPECT_EQ(m.ui.messageBoxes[1].style, c.style);
        EXPECT_TRUE(InstallWindow(m)->destroyed);
        EXPECT_EQ(Recorded(m), nullptr);
    }
}

TEST(InstallCommand, ATrailingSeparatorIsUsedAsTyped) {
    host::Machine& m = StandardMachine();
    m.files.MakeDirectories("C:\\Apps");
    m.ui.Type(IDC_INSTALL_DIR, "C:\\Apps\\");
    m.ui.Click(IDOK);
    m.ui.Run([](host::Machine&) { EXPECT_EQ(UndoJournal::Count(), 1); });
    m.ui.Answer(IDOK);
    ASSERT_EQ(RunInstaller(m).mismatch, "");
    EXPECT_EQ(MessageTexts(m), std::vector<std::string>{kInstalled});  // no question: it exists
    ASSERT_EQ(m.processes.created.size(), 1u);
    EXPECT_EQ(m.processes.created[0].application, "C:\\Apps\\\\Tolvane.exe");
    EXPECT_EQ(m.files.ReadFile("C:\\Apps\\Tolvane.exe"), PayloadOriginal());
    const host::RegValue* recorded = Recorded(m);
    ASSERT_NE(recorded, nullptr);
    EXPECT_EQ(std::string(recorded->data.begin(), recorded->data.end()),
              std::string("C:\\Apps\\") + '\0');
}

TEST(InstallCommand, ARefusedRegistryWriteStillCompletes) {
    host::Machine& m = StandardMachine();
    m.registry.refuseWrites = true;
    m.ui.Click(IDOK);
    m.ui.Answer(IDOK);
    m.ui.Answer(IDOK);
    InstallerRun run = RunInstaller(m);
    ASSERT_EQ(run.mismatch, "");
    EXPECT_FALSE(run.exitedThroughExitProcess);
    EXPECT_EQ(m.ui.messageBoxes.back().text, kInstalled);
    EXPECT_TRUE(m.files.IsFile(kExe));
    EXPECT_EQ(Recorded(m), nullptr);
}

}  // namespace
