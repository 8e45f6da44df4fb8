// Directory texts a user might type, good and bad, through the dialog: each ends in a completed
// installation or in the installer's own messages, never in a crash or a half-done state.
#include <gtest/gtest.h>

#include <ostream>

#include "app/resource.h"
#include "support/Outcome.h"
#include "support/Scenario.h"

namespace {

struct TextCase {
    const char* name;
    std::string text;
    Ending ending;
    UINT codePage;
};

void PrintTo(const TextCase& c, std::ostream* out) {
    *out << c.name;
}

class BadDirectoryText : public ::testing::TestWithParam<TextCase> {};

TEST_P(BadDirectoryText, EndsInAMessageOrACompletedInstallation) {
    const TextCase& c = GetParam();
    host::Machine& m = StandardMachine();
    m.codePage = c.codePage;
    m.files.AddDrive('D');
    const std::string before = m.files.Dump();
    m.ui.autoAnswer = [](const host::MessageBoxRecord& box) {
        return (box.style & 0xF) == MB_RETRYCANCEL ? IDCANCEL : IDOK;
    };
    m.ui.Type(IDC_INSTALL_DIR, c.text);
    m.ui.Click(IDOK);
    m.ui.Click(IDCANCEL);
    InstallerRun run = RunInstaller(m);
    ASSERT_EQ(run.mismatch, "") << c.name;
    EXPECT_EQ(EndingOf(m), c.ending) << c.name << ": " << LastMessage(m);
    EXPECT_EQ(CheckEnd(m, run, before, false, false), "") << c.name;
    if (c.ending == Ending::Completed) {
        // Installed where the text pointed, as typed.
        EXPECT_EQ(m.processes.created.at(0).application, c.text + "\\Tolvane.exe") << c.name;
    }
}

std::string Long(std::size_t length) {
    std::string text = "C:\\";
    while (text.size() < length) {
        text += text.size() % 9 == 8 ? '\\' : 'a';
    }
    if (text.back() == '\\') {
        text.back() = 'b';
    }
    return text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, BadDirectoryText,
    ::testing::Values(
        TextCase{"empty", "", Ending::CreateFailed, 1252},
        TextCase{"only separators", "\\\\\\", Ending::CreateFailed, 1252},
        TextCase{"network share", "\\\\server\\share", Ending::CreateFailed, 1252},
        TextCase{"100 characters", Long(100), Ending::Completed, 1252},
        TextCase{"259 characters", Long(259), Ending::CreateFailed, 1252},
        TextCase{"260 characters", Long(260), Ending::CreateFailed, 1252},
        TextCase{"300 characters", Long(300), Ending::CreateFailed, 1252},
        TextCase{"a missing drive", "Q:\\Tolvane", Ending::CreateFailed, 1252},
        TextCase{"forbidden characters", "C:\\Bad<>:\"|?*Name", Ending::CreateFailed, 1252},
        TextCase{"a trailing dot and space", "C:\\Tolvane. ", Ending::Completed, 1252},
        TextCase{"a device in the chain", "C:\\CON\\Tolvane", Ending::CreateFailed, 1252},
        TextCase{"a device at the end", "C:\\Apps\\LPT1", Ending::TargetFailed, 1252},
        TextCase{"NUL and COM1", "D:\\NUL\\COM1\\x", Ending::CreateFailed, 1252},
        TextCase{"mixed separators", "D:/Apps\\Sub/Tolvane", Ending::Completed, 1252},
        TextCase{"double-byte trail backslash", "D:\\\x83\x5C\\Tolvane", Ending::Completed, 932},
        TextCase{"relative", "Relative\\Tolvane", Ending::Completed, 1252},
        TextCase{"root of the current drive", "\\Tolvane", Ending::Completed, 1252}));

}  // namespace
