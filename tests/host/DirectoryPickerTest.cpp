// The folder picker behind the "..." button.
#include <gtest/gtest.h>

#include "app/resource.h"
#include "paths/DirectoryPicker.h"
#include "support/Scenario.h"

namespace {

struct StartCase {
    const char* current;
    const char* expected;
};

TEST(DirectoryPicker, StartsAtTheNearestExistingAncestor) {
    host::Machine& m = StandardMachine();
    m.files.AddDrive('D');
    m.files.MakeDirectories("D:\\Program Files");
    m.files.MakeDirectories("D:\\All\\Of\\It");
    m.files.WriteFile("D:\\All\\file.txt", {'x'});
    const StartCase cases[] = {
        {"D:\\Program Files\\Brindlecot\\Tolvane", "D:\\Program Files"},
        {"D:\\All\\Of\\It", "D:\\All\\Of\\It"},
        {"D:\\All\\file.txt\\Sub", "D:\\All\\file.txt"},  // a file stops the walk
        {"Q:\\Tolvane", "\\"},
        {"Tolvane", "\\"},
        {"", "\\"},
    };
    for (const StartCase& c : cases) {
        EXPECT_EQ(std::string(StartingDirectory(c.current)), c.expected) << c.current;
    }
}

// Presses "..." in the dialog, then lets `pick` act in the picker.
host::Machine& Browse(const std::function<void(host::Ui&)>& pick) {
    host::Machine& m = StandardMachine();
    m.files.AddDrive('D');
    m.files.MakeDirectories("D:\\Data");
    m.ui.Click(IDC_BROWSE);
    pick(m.ui);
    return m;
}

std::string EditText(host::Machine& m) {
    return m.ui.Control(m.ui.lastDialog, IDC_INSTALL_DIR)->text;
}

TEST(DirectoryPicker, IsASaveDialogListingFoldersWithItsControlsHidden) {
    host::Machine& m = Browse([](host::Ui& ui) { ui.CancelPicker(); });
    m.ui.Click(IDCANCEL);
    ASSERT_EQ(RunInstaller(m).mismatch, "");
    ASSERT_EQ(m.ui.pickers.size(), 1u);
    const host::PickerRecord& p = m.ui.pickers[0];
    EXPECT_EQ(p.owner, m.ui.lastDialog);
    EXPECT_EQ(p.flags, 0x20000eu | OFN_ENABLEHOOK | OFN_EXPLORER);
    EXPECT_EQ(p.filter, "Directories|*.____zzz||");
    EXPECT_EQ(p.initialFile, "_______");
    EXPECT_EQ(p.maxFile, 260u);
    EXPECT_FALSE(p.defExt);
    EXPECT_TRUE(p.hook);
    EXPECT_EQ(p.title, "Select the Tolvane Installation Directory");
    EXPECT_EQ(p.initialDir, "C:\\Program Files");  // the proposal's nearest existing ancestor
    EXPECT_EQ(p.setTexts, (std::vector<std::pair<int, std::string>>{{IDOK, "OK"},
                                                                    {1091, "Install in:"}}));
    EXPECT_EQ(p.hidden, (std::vector<int>{1152, 1148, 1090, 1136, 1089}));
}

TEST(DirectoryPicker, OkPutsTheFolderIntoTheEditBoxAndInstallUsesIt) {
    struct Case {
        const char* chosen;
        const char* expected;
        const char* exe;
    };
    const Case cases[] = {
        {"D:\\Data\\_______", "D:\\Data", "D:\\Data\\Tolvane.exe"},
        {"D:\\_______", "D:", "D:\\Tolvane.exe"},  // a drive root gives the bare designator
    };
    for (const Case& c : cases) {
        host::Machine& m = Browse([&](host::Ui& ui) { ui.ChooseFolder(c.chosen); });
        std::string shown;
        m.ui.Run([&](host::Machine& machine) { shown = EditText(machine); });
        m.ui.Click(IDOK);
        m.ui.Answer(IDOK);  // installed
        ASSERT_EQ(RunInstaller(m).mismatch, "") << c.chosen;
        EXPECT_EQ(shown, c.expected);
        EXPECT_EQ(m.files.ReadFile(c.exe), PayloadOriginal()) << c.chosen;
    }
}

TEST(DirectoryPicker, CancelAndAFailingDialogChangeNothing) {
    for (int way = 0; way < 2; ++way) {
        host::Machine& m = Browse([&](host::Ui& ui) {
            if (way == 0) {
                ui.CancelPicker();
            } else {
                ui.FailPicker();
            }
        });
        std::string shown;
        m.ui.Run([&](host::Machine& machine) { shown = EditText(machine); });
        m.ui.Click(IDCANCEL);
        ASSERT_EQ(RunInstaller(m).mismatch, "");
        EXPECT_EQ(shown, kDefaultDir);
        EXPECT_TRUE(m.ui.messageBoxes.empty());
    }
}

TEST(DirectoryPicker, StartsFromThePreviousDirectoryNotTheTypedText) {
    for (bool choose : {true, false}) {
        host::Machine& m = StandardMachine();
        m.files.AddDrive('D');
        m.files.MakeDirectories("D:\\Data");
        m.ui.Type(IDC_INSTALL_DIR, "D:\\Data\\Typed");
        m.ui.Click(IDC_BROWSE);
        if (choose) {
            m.ui.ChooseFolder("D:\\Data\\_______");
        } else {
            m.ui.CancelPicker();
        }
        std::string shown;
        m.ui.Run([&](host::Machine& machine) { shown = EditText(machine); });
        m.ui.Click(IDCANCEL);
        ASSERT_EQ(RunInstaller(m).mismatch, "");
        EXPECT_EQ(m.ui.pickers.at(0).initialDir, "C:\\Program Files");
        EXPECT_EQ(shown, choose ? "D:\\Data" : "D:\\Data\\Typed");
    }
}

TEST(DirectoryPicker, WithoutALabelTheFolderLabelKeepsItsText) {
    host::Machine& m = StandardMachine();
    CWnd owner;
    m.ui.CancelPicker();
    CString chosen = "untouched";
    EXPECT_FALSE(BrowseForDirectory("Title", "C:\\Program Files", owner, chosen, nullptr));
    EXPECT_EQ(std::string(chosen), "untouched");
    ASSERT_EQ(m.ui.pickers.size(), 1u);
    EXPECT_EQ(m.ui.pickers[0].setTexts, (std::vector<std::pair<int, std::string>>{{IDOK, "OK"}}));
}

TEST(DirectoryPicker, BeforeVersion4TheOldStyleDialogKeepsItsControls) {
    host::Machine& m = StandardMachine();
    m.version.major = 3;
    CWnd owner;
    m.ui.ChooseFolder("C:\\Program Files\\_______");
    CString chosen;
    EXPECT_TRUE(BrowseForDirectory("Title", "C:\\Program Files", owner, chosen, "Install in:"));
    EXPECT_EQ(std::string(chosen), "C:\\Program Files");
    ASSERT_EQ(m.ui.pickers.size(), 1u);
    EXPECT_EQ(m.ui.pickers[0].flags & OFN_EXPLORER, 0u);
    EXPECT_TRUE(m.ui.pickers[0].hidden.empty());
}

}  // namespace
