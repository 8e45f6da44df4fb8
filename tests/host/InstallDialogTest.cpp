// The install dialog: the proposed directory, the version line, icons and colour-mapped bitmaps,
// the keyboard.
#include <gtest/gtest.h>

#include <ostream>

#include "app/resource.h"
#include "support/InstallerRun.h"

namespace {

const char kSettingsKey[] = "SOFTWARE\\Brindlecot\\Tolvane\\ActiveX";
const char kWindowsKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

std::vector<BYTE> Bytes(const std::string& text, bool terminated = true) {
    std::vector<BYTE> bytes(text.begin(), text.end());
    if (terminated) {
        bytes.push_back(0);
    }
    return bytes;
}

// Shows the dialog on the machine as it is set up and returns the edit box's text.
std::string ProposedDirectory(host::Machine& m) {
    std::string shown = "(dialog not shown)";
    m.ui.Run([&](host::Machine& machine) {
        shown = machine.ui.Control(machine.ui.lastDialog, IDC_INSTALL_DIR)->text;
    });
    m.ui.Click(IDCANCEL);
    EXPECT_EQ(RunInstaller(m).mismatch, "");
    return shown;
}

struct ProposalCase {
    const char* name;
    bool recorded;
    DWORD recordedType;
    const char* recordedText;
    bool programFiles;
    const char* programFilesText;
    const char* expected;
};

// Parameters print by name: their padding bytes are not values.
void PrintTo(const ProposalCase& c, std::ostream* out) {
    *out << c.name;
}

class Proposal : public ::testing::TestWithParam<ProposalCase> {};

TEST_P(Proposal, ComesFromTheRecordedDirectoryOrTheProgramsDirectory) {
    const ProposalCase c = GetParam();
    host::Machine& m = host::NewMachine();
    if (c.recorded) {
        m.registry.SetValue(HKEY_LOCAL_MACHINE, kSettingsKey, "", c.recordedType,
                            Bytes(c.recordedText));
    }
    if (c.programFiles) {
        m.registry.SetString(HKEY_LOCAL_MACHINE, kWindowsKey, "ProgramFilesDir",
                             c.programFilesText);
    }
    EXPECT_EQ(ProposedDirectory(m), c.expected) << c.name;
    EXPECT_EQ(m.registry.OpenKeyCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Registry, Proposal,
    ::testing::Values(
        ProposalCase{"recorded, even when missing", true, REG_SZ, "D:\\Apps\\Viewer", true,
                     "C:\\Program Files", "D:\\Apps\\Viewer"},
        ProposalCase{"recorded empty", true, REG_SZ, "", true, "C:\\Program Files", ""},
        ProposalCase{"expandable string refused", true, REG_EXPAND_SZ, "%ProgramFiles%\\T", true,
                     "C:\\Program Files", "C:\\Program Files\\Brindlecot\\Tolvane"},
        ProposalCase{"programs directory with separator", false, REG_SZ, "", true,
                     "C:\\Program Files\\", "C:\\Program Files\\\\Brindlecot\\Tolvane"},
        ProposalCase{"nothing in the registry", false, REG_SZ, "", false, "",
                     "\\Brindlecot\\Tolvane"}));

TEST(InstallDialog, InitialisationShowsTheVersionIconsAndMappedBitmaps) {
    host::Machine& m = StandardMachine();
    m.ui.sysColors[COLOR_BTNFACE] = RGB(10, 20, 30);
    m.ui.sysColors[COLOR_BTNHIGHLIGHT] = RGB(1, 2, 3);
    m.ui.Run([](host::Machine& machine) {
        HWND dialog = machine.ui.lastDialog;
        host::Window* window = machine.ui.Find(dialog);
        EXPECT_EQ(window->text, "Install Tolvane");
        EXPECT_EQ(machine.ui.Control(dialog, IDC_VERSION)->text, "Version 4.2 R1");
        EXPECT_EQ(machine.ui.Control(dialog, IDC_INSTALL_DIR)->text, kDefaultDir);
        EXPECT_EQ(machine.ui.IconId(window->bigIcon), IDI_APP);
        EXPECT_EQ(machine.ui.IconId(window->smallIcon), IDI_APP);
        EXPECT_FALSE(machine.ui.Control(dialog, IDC_PROGRESS_ICON)->Visible());
        // Focus on the first tab stop: Install.
        EXPECT_EQ(machine.ui.focus, machine.ui.Control(dialog, IDOK)->handle);
        // Centred on the screen: no owner and no centring style in the template.
        const RECT& r = window->rect;
        EXPECT_NEAR((r.left + r.right) / 2, machine.ui.screenWidth / 2, 1);
        EXPECT_NEAR((r.top + r.bottom) / 2, machine.ui.screenHeight / 2, 1);

        for (int id : {IDC_LOGO, IDC_LOGO_SUB}) {
            HBITMAP shown = machine.ui.Control(dialog, id)->bitmap;
            auto mapped = machine.ui.mappedBitmaps.find(reinterpret_cast<UINT_PTR>(shown));
            ASSERT_NE(mapped, machine.ui.mappedBitmaps.end()) << id;
            EXPECT_EQ(mapped->second.resourceId, id == IDC_LOGO ? IDB_LOGO : IDB_LOGO_SUB);
            const std::vector<COLORREF>& palette = mapped->second.palette;
            EXPECT_NE(std::find(palette.begin(), palette.end(), RGB(10, 20, 30)), palette.end());
            EXPECT_EQ(std::find(palette.begin(), palette.end(), RGB(192, 192, 192)), palette.end());
        }
    });
    m.ui.Click(IDCANCEL);
    ASSERT_EQ(RunInstaller(m).mismatch, "");

    // The icons are sent big first, then small, to the dialog itself.
    std::vector<WPARAM> iconKinds;
    for (const host::SentMessage& sent : m.ui.sent) {
        if (sent.message == WM_SETICON) {
            iconKinds.push_back(sent.wParam);
        }
    }
    EXPECT_EQ(iconKinds, (std::vector<WPARAM>{ICON_BIG, ICON_SMALL}));
}

TEST(InstallDialog, WithoutMappedBitmapsTheTemplateBitmapsStay) {
    host::Machine& m = StandardMachine();
    m.ui.failMappedBitmaps = true;
    m.ui.Run([](host::Machine& machine) {
        HWND dialog = machine.ui.lastDialog;
        EXPECT_EQ(machine.ui.BitmapId(machine.ui.Control(dialog, IDC_LOGO)->bitmap), IDB_LOGO);
        EXPECT_EQ(machine.ui.BitmapId(machine.ui.Control(dialog, IDC_LOGO_SUB)->bitmap),
                  IDB_LOGO_SUB);
    });
    m.ui.Click(IDCANCEL);
    ASSERT_EQ(RunInstaller(m).mismatch, "");
    for (const host::SentMessage& sent : m.ui.sent) {
        EXPECT_NE(sent.message, static_cast<UINT>(STM_SETIMAGE));
    }
}

TEST(InstallDialog, TabNeverReachesTheBrowseButtonAndEnterRunsInstall) {
    host::Machine& m = StandardMachine();
    std::vector<int> visited;
    for (int i = 0; i < 6; ++i) {
        m.ui.Tab();
        m.ui.Run([&](host::Machine& machine) {
            host::Window* focused = machine.ui.Find(machine.ui.focus);
            visited.push_back(focused == nullptr ? 0 : focused->id);
        });
    }
    m.ui.Type(IDC_INSTALL_DIR, "C:\\Program Files");  // exists: Install goes straight on
    m.ui.Run([](host::Machine& machine) {
        machine.ui.focus = machine.ui.Control(machine.ui.lastDialog, IDC_INSTALL_DIR)->handle;
    });
    m.ui.Enter();
    m.ui.Answer(IDOK);  // the success message
    ASSERT_EQ(RunInstaller(m).mismatch, "");
    EXPECT_EQ(visited, (std::vector<int>{IDCANCEL, IDC_INSTALL_DIR, IDOK, IDCANCEL,
                                         IDC_INSTALL_DIR, IDOK}));
    ASSERT_EQ(m.ui.messageBoxes.size(), 1u);
    EXPECT_EQ(m.ui.messageBoxes[0].text, "Tolvane has been installed on your computer.");
}

}  // namespace
