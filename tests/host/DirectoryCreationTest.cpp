// Making the target directory exist: one question, the chain created outermost first, each
// created directory journalled.
#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "app/resource.h"
#include "install/UndoJournal.h"
#include "paths/DirectoryCreation.h"
#include "support/InstallerRun.h"

namespace {

const char kTitle[] = "TolvaneSetup";  // the executable's name without its extension

std::string Question(const std::string& directory) {
    return "The directory \"" + directory + "\" does not exist. Do you wish to create it?";
}

std::string Warning(const std::string& directory) {
    return "Unable to create \"" + directory + "\"";
}

struct Box {
    std::string text;
    UINT style;
};

struct DirectoryCase {
    const char* name;
    std::string text;
    std::vector<int> answers;  // to the messages, in order
    bool result;
    std::vector<Box> boxes;
    std::vector<std::string> records;  // the texts handed to CreateDirectoryA, in order
    std::vector<std::string> created;  // where they are, as full paths
    std::function<void(host::Machine&)> setUp;
};

void PrintTo(const DirectoryCase& c, std::ostream* out) {
    *out << c.name;
}

const std::vector<DirectoryCase> kCases = {
    {"existing directory", "D:\\Program Files", {}, true, {}, {}, {}, {}},
    {"existing file", "D:\\Data", {}, true, {}, {}, {}, {}},
    {"a shorter text is a file",
     "D:\\Data\\Tolvane",
     {IDOK, IDOK},
     false,
     {{Question("D:\\Data\\Tolvane"), 0x21}, {Warning("D:\\Data\\Tolvane"), 0x30}},
     {},
     {},
     {}},
    {"drive root", "D:\\", {}, true, {}, {}, {}, {}},
    {"bare drive designator", "D:", {}, true, {}, {}, {}, {}},
    {"missing drive",
     "Q:\\Tolvane",
     {IDOK, IDOK},
     false,
     {{Question("Q:"), 0x21}, {Warning("Q:"), 0x30}},
     {},
     {},
     {}},
    {"the whole chain after one question",
     "D:\\Program Files\\Brindlecot\\Tolvane",
     {IDOK},
     true,
     {{Question("D:\\Program Files\\Brindlecot"), 0x21}},
     {"D:\\Program Files\\Brindlecot", "D:\\Program Files\\Brindlecot\\Tolvane"},
     {"D:\\Program Files\\Brindlecot", "D:\\Program Files\\Brindlecot\\Tolvane"},
     {}},
    {"declined",
     "D:\\Program Files\\Brindlecot\\Tolvane",
     {IDCANCEL},
     false,
     {{Question("D:\\Program Files\\Brindlecot"), 0x21}},
     {},
     {},
     {}},
    {"relative text",
     "Tolvane\\Bin",
     {IDOK},
     true,
     {{Question("Tolvane"), 0x21}},
     {"Tolvane", "Tolvane\\Bin"},
     {"C:\\SETUP\\Tolvane", "C:\\SETUP\\Tolvane\\Bin"},
     {}},
    {"separator first only",
     "\\Tolvane",
     {IDOK},
     true,
     {{Question("\\Tolvane"), 0x21}},
     {"\\Tolvane"},
     {"C:\\Tolvane"},
     {}},
    {"trailing separator",
     "D:\\Tolvane\\",
     {IDOK},
     true,
     {{Question("D:\\Tolvane"), 0x21}},
     {"D:\\Tolvane"},
     {"D:\\Tolvane"},
     {}},
    {"forward slashes",
     "D:/Tolvane/Bin",
     {IDOK},
     true,
     {{Question("D:/Tolvane"), 0x21}},
     {"D:/Tolvane", "D:/Tolvane/Bin"},
     {"D:\\Tolvane", "D:\\Tolvane\\Bin"},
     {}},
    {"mixed separators",
     "D:\\Tolvane/Bin\\Sub",
     {IDOK},
     true,
     {{Question("D:\\Tolvane"), 0x21}},
     {"D:\\Tolvane", "D:\\Tolvane/Bin", "D:\\Tolvane/Bin\\Sub"},
     {"D:\\Tolvane", "D:\\Tolvane\\Bin", "D:\\Tolvane\\Bin\\Sub"},
     {}},
    {"empty text",
     "",
     {IDOK, IDOK},
     false,
     {{Question(""), 0x21}, {Warning(""), 0x30}},
     {},
     {},
     {}},
    {"failure half-way",
     "D:\\A\\B\\C",
     {IDOK, IDOK},
     false,
     {{Question("D:\\A"), 0x21}, {Warning("D:\\A\\B"), 0x30}},
     {"D:\\A"},
     {"D:\\A"},
     [](host::Machine& m) { m.FailCall("CreateDirectoryA", 2); }},
    {"read-only parent",
     "D:\\Locked\\Tolvane\\Bin",
     {IDOK, IDOK},
     false,
     {{Question("D:\\Locked\\Tolvane"), 0x21}, {Warning("D:\\Locked\\Tolvane"), 0x30}},
     {},
     {},
     [](host::Machine& m) {
         m.files.MakeDirectories("D:\\Locked");
         m.files.SetReadOnly("D:\\Locked");
     }},
    {"made by someone else while the question is up",
     "D:\\Tolvane\\Bin",
     {IDOK},
     true,
     {{Question("D:\\Tolvane"), 0x21}},
     {"D:\\Tolvane\\Bin"},
     {"D:\\Tolvane\\Bin"},
     [](host::Machine& m) {
         m.ui.Run([](host::Machine& machine) { machine.files.MakeDirectories("D:\\Tolvane"); });
     }},
    {"double-byte trail byte with the backslash code",
     "D:\\\x83\x5C"
     "Tol\\Bin",
     {IDOK},
     true,
     {{Question("D:\\\x83\x5C"
                "Tol"),
       0x21}},
     {"D:\\\x83\x5C"
      "Tol",
      "D:\\\x83\x5C"
      "Tol\\Bin"},
     {"D:\\\x83\x5C"
      "Tol",
      "D:\\\x83\x5C"
      "Tol\\Bin"},
     [](host::Machine& m) { m.codePage = 932; }},
};

// The application object has its title once the framework has started it: one run of the
// installer gives it, after which the tests call EnsureDirectory directly on a fresh machine.
host::Machine& FreshMachineWithTitledApplication() {
    host::Machine& first = StandardMachine();
    first.ui.Click(IDCANCEL);
    EXPECT_EQ(RunInstaller(first).mismatch, "");
    host::Machine& m = StandardMachine();
    m.files.AddDrive('D');
    m.files.MakeDirectories("D:\\Program Files");
    m.files.WriteFile("D:\\Data", {1, 2, 3});
    UndoJournal::Open();
    return m;
}

// The texts the journal's records hold, newest first, as its rollback hands them to the runtime.
std::vector<std::string> RolledBackTexts(host::Machine& m) {
    std::size_t from = m.calls.size();
    UndoJournal::Rollback();
    std::vector<std::string> texts;
    for (std::size_t i = from; i < m.calls.size(); ++i) {
        if (m.calls[i].api == "_rmdir") {
            texts.push_back(m.calls[i].args);
        }
    }
    return texts;
}

class EnsureDirectoryCase : public ::testing::TestWithParam<DirectoryCase> {};

TEST_P(EnsureDirectoryCase, AsksOnceCreatesOutermostFirstAndJournalsEachDirectory) {
    const DirectoryCase& c = GetParam();
    host::Machine& m = FreshMachineWithTitledApplication();
    if (c.setUp) {
        c.setUp(m);
    }
    for (int answer : c.answers) {
        m.ui.Answer(answer);
    }
    const std::string before = m.files.Dump();

    EXPECT_EQ(EnsureDirectory(c.text.c_str()), c.result);
    EXPECT_TRUE(m.ui.script.empty());

    ASSERT_EQ(m.ui.messageBoxes.size(), c.boxes.size());
    for (std::size_t i = 0; i < c.boxes.size(); ++i) {
        const host::MessageBoxRecord& box = m.ui.messageBoxes[i];
        EXPECT_EQ(box.text, c.boxes[i].text) << i;
        EXPECT_EQ(box.style, c.boxes[i].style) << i;
        EXPECT_EQ(box.caption, kTitle) << i;
    }
    for (const std::string& created : c.created) {
        EXPECT_TRUE(m.files.IsDirectory(created)) << created;
    }
    if (c.created.empty()) {
        EXPECT_EQ(m.files.Dump(), before);
    }

    ASSERT_EQ(UndoJournal::Count(), static_cast<int>(c.records.size()));
    std::vector<std::string> expected;
    for (auto it = c.records.rbegin(); it != c.records.rend(); ++it) {
        expected.push_back(host::Arg(it->c_str()));
    }
    EXPECT_EQ(RolledBackTexts(m), expected);
    // Everything recorded is taken back; only what someone else made stays.
    for (const std::string& created : c.created) {
        EXPECT_FALSE(m.files.IsDirectory(created)) << created;
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, EnsureDirectoryCase, ::testing::ValuesIn(kCases));

TEST(EnsureDirectory, AChainLongerThanTheJournalIsCreatedButOnlyItsFirstHundredRecorded) {
    host::Machine& m = FreshMachineWithTitledApplication();
    std::string text = "D:";
    for (int i = 0; i < 120; ++i) {
        text += "\\a";
    }
    m.ui.Answer(IDOK);
    EXPECT_TRUE(EnsureDirectory(text.c_str()));
    ASSERT_EQ(m.ui.messageBoxes.size(), 1u);
    EXPECT_EQ(m.ui.messageBoxes[0].text, Question("D:\\a"));
    EXPECT_TRUE(m.files.IsDirectory(text));
    EXPECT_EQ(m.CallCount("CreateDirectoryA"), 120);
    EXPECT_EQ(UndoJournal::Count(), 100);

    // The records are the outermost 100; the innermost of them still holds the unrecorded rest,
    // so nothing of the chain can be removed.
    std::vector<std::string> texts = RolledBackTexts(m);
    ASSERT_EQ(texts.size(), 100u);
    EXPECT_EQ(texts.front(), host::Arg(text.substr(0, 2 + 2 * 100).c_str()));
    EXPECT_EQ(texts.back(), host::Arg("D:\\a"));
    EXPECT_TRUE(m.files.IsDirectory(text));
    EXPECT_EQ(UndoJournal::Count(), 0);
}

// Through the program: the messages are owned by the install dialog, each press of Install asks
// again, and what a failed press created is taken back before the dialog waits again.
TEST(EnsureDirectory, TheInstallDialogOwnsTheMessagesAndEachPressAsksAgain) {
    host::Machine& m = StandardMachine();
    m.exePath = "C:\\SETUP\\Setup32.exe";
    const std::string before = m.files.Dump();
    m.FailCall("CreateDirectoryA", 2);
    HWND dialog = nullptr;
    m.ui.Run([&](host::Machine& machine) { dialog = machine.ui.lastDialog; });
    m.ui.Click(IDOK);
    m.ui.Answer(IDCANCEL);
    m.ui.Click(IDOK);
    m.ui.Answer(IDOK);
    m.ui.Run([](host::Machine& machine) {
        // The warning is up: the first directory of the chain is created and recorded.
        EXPECT_EQ(UndoJournal::Count(), 1);
        EXPECT_TRUE(machine.files.IsDirectory("C:\\Program Files\\Brindlecot"));
    });
    m.ui.Answer(IDOK);
    m.ui.Run([&](host::Machine& machine) {
        EXPECT_EQ(UndoJournal::Count(), 0);
        EXPECT_EQ(machine.files.Dump(), before);
    });
    m.ui.Click(IDCANCEL);
    InstallerRun run = RunInstaller(m);
    ASSERT_EQ(run.mismatch, "");
    EXPECT_FALSE(run.exitedThroughExitProcess);

    ASSERT_EQ(m.ui.messageBoxes.size(), 3u);
    const std::string question = Question("C:\\Program Files\\Brindlecot");
    const std::string warning = Warning(kDefaultDir);
    const std::string texts[] = {question, question, warning};
    const UINT styles[] = {0x21, 0x21, 0x30};
    for (std::size_t i = 0; i < 3; ++i) {
        const host::MessageBoxRecord& box = m.ui.messageBoxes[i];
        EXPECT_EQ(box.text, texts[i]) << i;
        EXPECT_EQ(box.style, styles[i]) << i;
        EXPECT_EQ(box.caption, "Setup32") << i;
        EXPECT_EQ(box.owner, dialog) << i;
    }
    EXPECT_EQ(m.files.Dump(), before);
}

}  // namespace
