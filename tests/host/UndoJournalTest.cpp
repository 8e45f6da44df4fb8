// The undo journal: order, capacity, discard, the two record kinds, and the fatal-error exit.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "app/resource.h"
#include "install/FatalError.h"
#include "install/UndoJournal.h"
#include "support/InstallerRun.h"

namespace {

const char kSupportText[] = "\nPlease email Brindlecot at:\r\n\n\tsetup-support@brindlecot.example";

// A record that tells the test when it is undone and when it is freed.
class LoggingUndo : public UndoAction {
  public:
    LoggingUndo(LPCSTR name, std::vector<std::string>& log, int result = 0)
        : UndoAction(name), log_(log), result_(result) {}
    ~LoggingUndo() override { log_.push_back(std::string("free ") + static_cast<LPCSTR>(path)); }
    int Undo() override {
        log_.push_back(std::string("undo ") + static_cast<LPCSTR>(path));
        return result_;
    }

  private:
    std::vector<std::string>& log_;
    int result_;
};

class Journal : public ::testing::Test {
  protected:
    void SetUp() override {
        machine_ = &StandardMachine();
        UndoJournal::Open();  // as at the start of a process
    }
    void TearDown() override {
        UndoJournal::Discard();
        UndoJournal::Open();
    }
    void Push(const std::string& name, int result = 0) {
        UndoJournal::Push(std::make_unique<LoggingUndo>(name.c_str(), log_, result));
    }
    host::Machine& m() { return *machine_; }

    host::Machine* machine_ = nullptr;
    std::vector<std::string> log_;
};

TEST_F(Journal, RollbackUndoesNewestFirstAndFreesEachRecordAfterItsUndo) {
    Push("a");
    Push("b", -1);  // a failing Undo does not stop the rollback
    Push("c");
    EXPECT_EQ(UndoJournal::Count(), 3);
    EXPECT_TRUE(log_.empty());
    UndoJournal::Rollback();
    EXPECT_EQ(log_, (std::vector<std::string>{"undo c", "free c", "undo b", "free b", "undo a",
                                              "free a"}));
    EXPECT_EQ(UndoJournal::Count(), 0);

    // Empty now: a second rollback, and one on a journal never used, do nothing.
    log_.clear();
    UndoJournal::Rollback();
    UndoJournal::Rollback();
    EXPECT_TRUE(log_.empty());
    EXPECT_EQ(UndoJournal::Count(), 0);

    // The journal takes records again after a rollback.
    Push("d");
    UndoJournal::Rollback();
    EXPECT_EQ(log_, (std::vector<std::string>{"undo d", "free d"}));
}

TEST_F(Journal, TheHundredAndFirstRecordIsFreedAtOnceAndNeverUndone) {
    for (int i = 1; i <= UndoJournal::kCapacity; ++i) {
        Push("r" + std::to_string(i));
    }
    EXPECT_EQ(UndoJournal::Count(), 100);
    EXPECT_TRUE(log_.empty());
    Push("r101");
    EXPECT_EQ(UndoJournal::Count(), 100);
    EXPECT_EQ(log_, (std::vector<std::string>{"free r101"}));

    log_.clear();
    UndoJournal::Rollback();
    ASSERT_EQ(log_.size(), 200u);
    for (int i = 0; i < 100; ++i) {
        const std::string name = "r" + std::to_string(100 - i);
        EXPECT_EQ(log_[2 * i], "undo " + name);
        EXPECT_EQ(log_[2 * i + 1], "free " + name);
    }
    EXPECT_EQ(UndoJournal::Count(), 0);
}

TEST_F(Journal, DiscardFreesOldestFirstWithoutUndoing) {
    m().files.MakeDirectories("C:\\Tolvane");
    m().files.WriteFile("C:\\Tolvane\\Tolvane.exe", {1, 2, 3});
    const std::string before = m().files.Dump();
    Push("a");
    Push("b");
    UndoJournal::Push(std::make_unique<CreatedDirectoryUndo>("C:\\Tolvane"));
    UndoJournal::Push(std::make_unique<InstalledFileUndo>("C:\\Tolvane\\Tolvane.exe"));
    UndoJournal::Discard();
    EXPECT_EQ(log_, (std::vector<std::string>{"free a", "free b"}));
    EXPECT_EQ(m().files.Dump(), before);
    EXPECT_EQ(m().CallCount("_rmdir") + m().CallCount("remove"), 0);
}

TEST_F(Journal, TheRecordKindsRemoveTheirDirectoryOrFile) {
    host::FileSystem& files = m().files;
    files.MakeDirectories("C:\\Tolvane");
    files.WriteFile("C:\\Tolvane\\Tolvane.exe", {1, 2, 3});

    InstalledFileUndo file("C:\\Tolvane\\Tolvane.exe");
    CreatedDirectoryUndo directory("C:\\Tolvane");
    EXPECT_EQ(directory.Undo(), -1);  // still holds the file
    EXPECT_TRUE(files.IsDirectory("C:\\Tolvane"));
    EXPECT_EQ(file.Undo(), 0);
    EXPECT_FALSE(files.IsFile("C:\\Tolvane\\Tolvane.exe"));
    EXPECT_EQ(file.Undo(), -1);  // already gone
    EXPECT_EQ(directory.Undo(), 0);
    EXPECT_FALSE(files.IsDirectory("C:\\Tolvane"));

    // Through the runtime: the directory removal and the file removal the platform offers.
    std::vector<std::string> calls;
    for (const host::CallRecord& call : m().calls) {
        if (call.api == "_rmdir" || call.api == "remove" || call.api == "RemoveDirectoryA" ||
            call.api == "DeleteFileA") {
            calls.push_back(call.api + " " + call.args);
        }
    }
    EXPECT_EQ(calls,
              (std::vector<std::string>{
                  "_rmdir \"C:\\Tolvane\"", "RemoveDirectoryA \"C:\\Tolvane\"",
                  "remove \"C:\\Tolvane\\Tolvane.exe\"", "DeleteFileA \"C:\\Tolvane\\Tolvane.exe\"",
                  "remove \"C:\\Tolvane\\Tolvane.exe\"", "DeleteFileA \"C:\\Tolvane\\Tolvane.exe\"",
                  "_rmdir \"C:\\Tolvane\"", "RemoveDirectoryA \"C:\\Tolvane\""}));
}

TEST_F(Journal, ADirectoryHoldingAForeignFileStaysAndTheRollbackGoesOn) {
    host::FileSystem& files = m().files;
    files.MakeDirectories("C:\\Data");
    files.MakeDirectories("C:\\Tolvane\\Bin");
    files.WriteFile("C:\\Tolvane\\Bin\\Tolvane.exe", {1});
    files.WriteFile("C:\\Tolvane\\notes.txt", {2});  // not the installer's
    Push("first");
    UndoJournal::Push(std::make_unique<CreatedDirectoryUndo>("C:\\Data"));
    UndoJournal::Push(std::make_unique<CreatedDirectoryUndo>("C:\\Tolvane"));
    UndoJournal::Push(std::make_unique<CreatedDirectoryUndo>("C:\\Tolvane\\Bin"));
    UndoJournal::Push(std::make_unique<InstalledFileUndo>("C:\\Tolvane\\Bin\\Tolvane.exe"));
    UndoJournal::Rollback();

    EXPECT_EQ(UndoJournal::Count(), 0);
    EXPECT_FALSE(files.IsDirectory("C:\\Tolvane\\Bin"));
    EXPECT_TRUE(files.IsFile("C:\\Tolvane\\notes.txt"));
    EXPECT_FALSE(files.IsDirectory("C:\\Data"));
    EXPECT_EQ(log_, (std::vector<std::string>{"undo first", "free first"}));
}

struct FatalCase {
    const char* detail;
    const char* expectedText;
};

class FatalText : public Journal, public ::testing::WithParamInterface<FatalCase> {};

TEST_P(FatalText, TellsThenRollsBackThenEndsTheProcessWithCode1) {
    const FatalCase c = GetParam();
    host::FileSystem& files = m().files;
    files.MakeDirectories("C:\\Tolvane");
    files.WriteFile("C:\\Tolvane\\Tolvane.exe", {1, 2, 3});
    UndoJournal::Push(std::make_unique<CreatedDirectoryUndo>("C:\\Tolvane"));
    UndoJournal::Push(std::make_unique<InstalledFileUndo>("C:\\Tolvane\\Tolvane.exe"));

    host::Window frame;
    frame.className = "#32770";
    frame.style = WS_VISIBLE;
    CWnd owner;
    owner.m_hWnd = m().ui.Create(frame);

    m().ui.Run([](host::Machine& machine) {
        // The message is up: nothing has been taken back yet.
        EXPECT_EQ(UndoJournal::Count(), 2);
        EXPECT_TRUE(machine.files.IsFile("C:\\Tolvane\\Tolvane.exe"));
    });
    m().ui.Answer(IDOK);
    bool exited = false;
    try {
        FatalInstallError(owner, c.detail);
    } catch (const host::ProcessExit& exit) {
        exited = true;
        EXPECT_EQ(exit.exitCode, 1u);
    }
    EXPECT_TRUE(exited);
    EXPECT_TRUE(m().ui.script.empty());

    ASSERT_EQ(m().ui.messageBoxes.size(), 1u);
    const host::MessageBoxRecord& box = m().ui.messageBoxes[0];
    EXPECT_EQ(box.text, c.expectedText);
    EXPECT_EQ(box.caption, "Fatal Error");
    EXPECT_EQ(box.style, 0x10u);
    EXPECT_EQ(box.owner, owner.m_hWnd);

    EXPECT_EQ(UndoJournal::Count(), 0);
    EXPECT_FALSE(files.IsDirectory("C:\\Tolvane"));
    EXPECT_EQ(m().calls.back().api, "ExitProcess");
    EXPECT_EQ(m().calls.back().args, "1");
}

INSTANTIATE_TEST_SUITE_P(
    Details, FatalText,
    ::testing::Values(
        FatalCase{
            "Unable to create process",
            "An unrecoverable installation error has occurred.\r\nUnable to create "
            "process\r\n\nPlease email Brindlecot at:\r\n\n\tsetup-support@brindlecot.example"},
        FatalCase{nullptr,
                  "An unrecoverable installation error has occurred.\r\n\nPlease email "
                  "Brindlecot at:\r\n\n\tsetup-support@brindlecot.example"}));

// The whole process: a program that cannot be started is fatal; what the run created is taken
// back after the message, the process ends with 1, and the exit functions never run.
TEST(FatalError, EndsTheInstallerProcessWithoutItsExitFunctions) {
    host::Machine& m = StandardMachine();
    const std::string before = m.files.Dump();
    m.FailCall("CreateProcessA", 1);
    HWND dialog = nullptr;
    m.ui.Click(IDOK);
    m.ui.Answer(IDOK);  // create the missing directories
    m.ui.Run([&](host::Machine& machine) {
        dialog = machine.ui.lastDialog;
        EXPECT_EQ(UndoJournal::Count(), 3);
        EXPECT_TRUE(machine.files.IsFile(std::string(kDefaultDir) + "\\Tolvane.exe"));
    });
    m.ui.Answer(IDOK);
    InstallerRun run = RunInstaller(m);
    ASSERT_EQ(run.mismatch, "");
    EXPECT_TRUE(run.exitedThroughExitProcess);
    EXPECT_EQ(run.exitCode, 1u);

    ASSERT_EQ(m.ui.messageBoxes.size(), 2u);
    const host::MessageBoxRecord& box = m.ui.messageBoxes[1];
    EXPECT_EQ(box.text, std::string("An unrecoverable installation error has occurred.\r\n"
                                    "Unable to create process\r\n") +
                            kSupportText);
    EXPECT_EQ(box.caption, "Fatal Error");
    EXPECT_EQ(box.style, 0x10u);
    EXPECT_EQ(box.owner, dialog);

    EXPECT_EQ(m.files.Dump(), before);
    EXPECT_EQ(m.CallCount("ExitProcess"), 1);
    // The journal's discard is still registered: nothing ran it.
    EXPECT_NE(std::find(m.exitFunctions.begin(), m.exitFunctions.end(), &UndoJournal::Discard),
              m.exitFunctions.end());
    EXPECT_FALSE(m.ui.Find(dialog)->ended);
    // The simulated ExitProcess unwinds the stack, so the wait cursor's owner restores the
    // cursor (the real one ends the process there); nothing else of the program runs after it.
    std::vector<std::string> after;
    bool exited = false;
    for (const host::CallRecord& call : m.calls) {
        if (exited) {
            after.push_back(call.api);
        }
        exited = exited || call.api == "ExitProcess";
    }
    EXPECT_EQ(after, (std::vector<std::string>{"LoadCursorA", "SetCursor"}));
    UndoJournal::Open();
}

}  // namespace
