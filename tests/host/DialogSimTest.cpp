// The simulated dialogs, message boxes and picker, where their fidelity to the real system is what
// the installer's tests rely on.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "Machine.h"
#include "app/resource.h"

namespace {

// A dialog procedure a test can program: it records the messages and ends the dialog on IDOK and
// IDCANCEL.
struct Recorder {
    HWND dialog = nullptr;
    std::vector<UINT> messages;
    std::vector<WPARAM> commands;
    std::function<INT_PTR(HWND, UINT, WPARAM, LPARAM)> extra;
};
Recorder* recorder = nullptr;

INT_PTR CALLBACK RecordingProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    recorder->messages.push_back(message);
    if (recorder->extra) {
        INT_PTR handled = recorder->extra(dialog, message, wParam, lParam);
        if (handled != 0) {
            return handled;
        }
    }
    if (message == WM_INITDIALOG) {
        recorder->dialog = dialog;
        return TRUE;
    }
    if (message == WM_COMMAND) {
        recorder->commands.push_back(wParam);
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, LOWORD(wParam));
        }
        return TRUE;
    }
    return FALSE;
}

class DialogSimTest : public ::testing::Test {
  protected:
    void SetUp() override {
        machine = &host::NewMachine();
        recorder = &record;
    }
    void TearDown() override { recorder = nullptr; }
    INT_PTR RunInstallDialog() {
        return DialogBoxParamA(machine->instance, MAKEINTRESOURCEA(IDD_INSTALL), nullptr,
                               RecordingProc, 0);
    }
    host::Window& Dialog() { return *machine->ui.Find(record.dialog); }
    host::Window& Control(int id) { return *machine->ui.Control(record.dialog, id); }
    int FocusId() {
        host::Window* focused = machine->ui.Find(machine->ui.focus);
        return focused == nullptr ? 0 : focused->id;
    }

    host::Machine* machine = nullptr;
    Recorder record;
};

TEST_F(DialogSimTest, InstallTemplateGivesTheControlsInTemplateOrder) {
    struct Expected {
        int id;
        const char* className;
        DWORD style;
    };
    const Expected controls[] = {
        {IDOK, "Button", 0x50010001},         {IDCANCEL, "Button", 0x50010000},
        {-1, "Static", 0x50000000},           {IDC_PROGRESS_ICON, "Static", 0x40000003},
        {-1, "Static", 0x50000001},           {-1, "Static", 0x50000000},
        {-1, "Button", 0x50000007},           {IDC_INSTALL_DIR, "Edit", 0x50810080},
        {-1, "Static", 0x50000001},           {IDC_BROWSE, "Button", 0x50000000},
        {-1, "Static", 0x50000002},           {-1, "Static", 0x50000002},
        {-1, "Button", 0x50000007},           {-1, "Static", 0x5080120E},
        {IDC_VERSION, "Static", 0x50000001},  {IDC_LOGO, "Static", 0x5000000E},
        {IDC_LOGO_SUB, "Static", 0x5000000E},
    };
    machine->ui.Run([&](host::Machine& m) {
        const host::Window& dialog = Dialog();
        EXPECT_EQ(dialog.className, "#32770");
        EXPECT_EQ(dialog.text, "Install Tolvane");
        EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(record.dialog, GWL_STYLE)), 0x90C800C0u);
        EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(record.dialog, GWL_EXSTYLE)), 0x40000u);
        ASSERT_EQ(dialog.children.size(), std::size(controls));
        for (std::size_t i = 0; i < std::size(controls); ++i) {
            const host::Window& control = *m.ui.Find(dialog.children[i]);
            SCOPED_TRACE("control " + std::to_string(i + 1));
            EXPECT_EQ(control.id, controls[i].id);
            EXPECT_EQ(control.className, controls[i].className);
            EXPECT_EQ(control.style, controls[i].style);
            EXPECT_EQ(control.exStyle, control.id == IDC_VERSION ? 0x20u : 0u);
        }
        EXPECT_EQ(Control(IDOK).text, "Install");
        EXPECT_EQ(Control(IDC_VERSION).text, "V3.5.6 ");
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(record.dialog, IDC_PROGRESS_ICON)));
        EXPECT_TRUE(IsWindowVisible(GetDlgItem(record.dialog, IDC_INSTALL_DIR)));
        // Images named by ordinal come from the program's own resources.
        EXPECT_EQ(m.ui.IconId(Control(IDC_PROGRESS_ICON).icon), IDI_APP);
        EXPECT_EQ(m.ui.BitmapId(Control(IDC_LOGO).bitmap), IDB_LOGO);
        EXPECT_EQ(m.ui.BitmapId(Control(IDC_LOGO_SUB).bitmap), IDB_LOGO_SUB);
        EXPECT_EQ(m.ui.BitmapId(m.ui.Find(dialog.children[13])->bitmap), IDB_BANNER);
        // Dialog units: x * 6 / 4 and y * 13 / 8, rounded, from the client area's corner; the
        // (0, 0) template keeps its frame on the screen.
        RECT outer = {};
        ASSERT_TRUE(GetWindowRect(record.dialog, &outer));
        EXPECT_EQ(outer.left, 0);
        EXPECT_EQ(outer.top, 0);
        EXPECT_EQ(outer.right, 336 + 2 * host::kFrame);
        EXPECT_EQ(outer.bottom, 388 + 2 * host::kFrame + host::kCaption);
        RECT ok = {};
        ASSERT_TRUE(GetWindowRect(GetDlgItem(record.dialog, IDOK), &ok));
        EXPECT_EQ(ok.left, host::kFrame + 239);
        EXPECT_EQ(ok.top, host::kFrame + host::kCaption + 127);
        EXPECT_EQ(ok.right - ok.left, 75);
        EXPECT_EQ(ok.bottom - ok.top, 23);
    });
    machine->ui.Escape();
    EXPECT_EQ(RunInstallDialog(), IDCANCEL);
    EXPECT_EQ(machine->ui.dialogsShown, std::vector<std::string>{"102"});
    EXPECT_EQ(record.messages.front(), static_cast<UINT>(WM_INITDIALOG));
    EXPECT_EQ(record.messages.back(), static_cast<UINT>(WM_DESTROY));
    EXPECT_TRUE(Dialog().destroyed);
    EXPECT_TRUE(Control(IDOK).destroyed);
    EXPECT_FALSE(IsWindow(record.dialog));
}

TEST_F(DialogSimTest, TabSkipsTheBrowseButtonAndHiddenControls) {
    const int expected[] = {IDCANCEL, IDC_INSTALL_DIR, IDOK, IDCANCEL};
    std::vector<int> seen;
    machine->ui.Run([&](host::Machine&) { seen.push_back(FocusId()); });
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        machine->ui.Tab();
        machine->ui.Run([&](host::Machine&) { seen.push_back(FocusId()); });
    }
    machine->ui.Escape();
    RunInstallDialog();
    EXPECT_EQ(seen, (std::vector<int>{IDOK, IDCANCEL, IDC_INSTALL_DIR, IDOK, IDCANCEL}));
}

TEST_F(DialogSimTest, KeysAndCloseBoxBecomeCommands) {
    struct Case {
        const char* name;
        std::function<void(host::Ui&)> steps;
        std::vector<WPARAM> commands;
        INT_PTR result;
    };
    const WPARAM okClick = MAKEWPARAM(IDOK, BN_CLICKED);
    const WPARAM editChange = MAKEWPARAM(IDC_INSTALL_DIR, 0x300);
    const Case cases[] = {
        {"Enter at the start presses Install", [](host::Ui& ui) { ui.Enter(); }, {okClick}, IDOK},
        {"Enter in the edit box presses the default button",
         [](host::Ui& ui) {
             ui.Type(IDC_INSTALL_DIR, "D:\\x");
             ui.Enter();
         },
         {editChange, okClick},
         IDOK},
        {"Enter on the focused Cancel button presses it",
         [](host::Ui& ui) {
             ui.Tab();
             ui.Enter();
         },
         {MAKEWPARAM(IDCANCEL, BN_CLICKED)},
         IDCANCEL},
        {"Escape", [](host::Ui& ui) { ui.Escape(); }, {IDCANCEL}, IDCANCEL},
        {"the close box",
         [](host::Ui& ui) { ui.CloseBox(); },
         {MAKEWPARAM(IDCANCEL, BN_CLICKED)},
         IDCANCEL},
        {"a click on the browse button, then Cancel",
         [](host::Ui& ui) {
             ui.Click(IDC_BROWSE);
             ui.Click(IDCANCEL);
         },
         {MAKEWPARAM(IDC_BROWSE, BN_CLICKED), MAKEWPARAM(IDCANCEL, BN_CLICKED)},
         IDCANCEL},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        record = Recorder();
        c.steps(machine->ui);
        EXPECT_EQ(RunInstallDialog(), c.result);
        EXPECT_EQ(record.commands, c.commands);
        EXPECT_TRUE(machine->ui.script.empty());
    }
}

TEST_F(DialogSimTest, StepsThatDoNotFitTheDialogAreMismatches) {
    struct Case {
        const char* name;
        std::function<void(host::Ui&)> steps;
    };
    const Case cases[] = {
        {"an empty script", [](host::Ui&) {}},
        {"a disabled button",
         [](host::Ui& ui) {
             ui.Run([](host::Machine& m) {
                 m.ui.Control(m.ui.ActiveDialog()->handle, IDOK)->enabled = false;
             });
             ui.Click(IDOK);
         }},
        {"a hidden control", [](host::Ui& ui) { ui.Click(IDC_PROGRESS_ICON); }},
        {"a missing control", [](host::Ui& ui) { ui.Click(4711); }},
        {"a click on a static", [](host::Ui& ui) { ui.Click(IDC_VERSION); }},
        {"typing into a button", [](host::Ui& ui) { ui.Type(IDOK, "x"); }},
        {"an answer with no message box", [](host::Ui& ui) { ui.Answer(IDOK); }},
        {"a folder with no picker", [](host::Ui& ui) { ui.ChooseFolder("C:\\_______"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        record = Recorder();
        c.steps(machine->ui);
        EXPECT_THROW(RunInstallDialog(), host::ScriptMismatch);
        // The abandoned run leaves no modal dialog behind.
        EXPECT_EQ(machine->ui.ActiveDialog(), nullptr);
    }
}

// A plain DLGTEMPLATE, built by hand: 16-bit control ids and ordinal classes.
std::vector<BYTE> PlainTemplate() {
    std::vector<BYTE> bytes;
    auto word = [&](unsigned value) {
        bytes.push_back(static_cast<BYTE>(value & 0xFF));
        bytes.push_back(static_cast<BYTE>(value >> 8));
    };
    auto dword = [&](DWORD value) {
        word(value & 0xFFFF);
        word(value >> 16);
    };
    auto text = [&](const char* s) {
        for (; *s != '\0'; ++s) {
            word(static_cast<unsigned char>(*s));
        }
        word(0);
    };
    auto align = [&] {
        while (bytes.size() % 4 != 0) {
            bytes.push_back(0);
        }
    };
    dword(0x80C80040);  // pop-up, caption, system menu, DS_SETFONT; shown after initialisation
    dword(0);
    word(2);
    word(10), word(20), word(100), word(50);
    word(0);  // no menu
    word(0);  // the dialog class
    text("Plain");
    word(8);
    text("MS Sans Serif");
    align();
    dword(0x50010001);  // default push button, tab stop
    dword(0);
    word(5), word(5), word(40), word(14);
    word(IDOK);
    word(0xFFFF), word(0x80);
    text("OK");
    word(0);
    align();
    dword(0x50000003);  // icon static
    dword(0);
    word(60), word(5), word(21), word(20);
    word(0xFFFF);
    word(0xFFFF), word(0x82);
    word(0xFFFF), word(IDI_APP);
    word(0);
    return bytes;
}

TEST_F(DialogSimTest, PlainTemplateBuildsToo) {
    machine->resources.Replace(host::ResId::Number(RT_DIALOG_ID), host::ResId::Number(300),
                               PlainTemplate());
    machine->ui.Run([&](host::Machine& m) {
        EXPECT_EQ(Dialog().text, "Plain");
        ASSERT_EQ(Dialog().children.size(), 2u);
        EXPECT_EQ(Control(IDOK).className, "Button");
        EXPECT_EQ(Control(IDOK).text, "OK");
        host::Window& icon = Control(0xFFFF);
        EXPECT_EQ(icon.className, "Static");
        EXPECT_EQ(m.ui.IconId(icon.icon), IDI_APP);
        RECT outer = {};
        GetWindowRect(record.dialog, &outer);
        EXPECT_EQ(outer.left, 15 - host::kFrame);
        EXPECT_EQ(outer.top, 33 - host::kFrame - host::kCaption);
        EXPECT_TRUE(IsWindowVisible(record.dialog));
    });
    machine->ui.Enter();
    EXPECT_EQ(DialogBoxParamA(machine->instance, "#300", nullptr, RecordingProc, 0), IDOK);
}

TEST_F(DialogSimTest, FaultedDialogCreatesNothing) {
    machine->FailCall("DialogBoxParamA", 1);
    EXPECT_EQ(RunInstallDialog(), -1);
    EXPECT_TRUE(machine->ui.windows.empty());
    EXPECT_TRUE(record.messages.empty());
    EXPECT_EQ(DialogBoxParamA(machine->instance, MAKEINTRESOURCEA(4711), nullptr, RecordingProc, 0),
              -1);
    EXPECT_EQ(machine->lastError, static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
}

TEST_F(DialogSimTest, MessageBoxTakesOnlyTheButtonsOfItsStyle) {
    struct Case {
        UINT style;
        int answer;
        bool fits;
    };
    const Case cases[] = {
        {0x10, IDOK, true},     {0x10, IDCANCEL, false}, {0x21, IDOK, true},
        {0x21, IDCANCEL, true}, {0x21, IDRETRY, false},  {0x35, IDRETRY, true},
        {0x35, IDCANCEL, true}, {0x35, IDOK, false},     {0x34, IDYES, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("style " + std::to_string(c.style) + " answer " + std::to_string(c.answer));
        machine = &host::NewMachine();
        machine->ui.Answer(c.answer);
        if (c.fits) {
            EXPECT_EQ(MessageBoxA(nullptr, "text", "caption", c.style), c.answer);
            EXPECT_EQ(machine->ui.messageBoxes.at(0).answer, c.answer);
        } else {
            EXPECT_THROW(MessageBoxA(nullptr, "text", "caption", c.style), host::ScriptMismatch);
        }
    }
    machine = &host::NewMachine();
    EXPECT_THROW(MessageBoxA(nullptr, "no answer in the script", "c", MB_OK), host::ScriptMismatch);
}

TEST_F(DialogSimTest, MessageBoxDisablesItsOwnerWhileUp) {
    bool enabledDuring = true;
    record.extra = [&](HWND dialog, UINT message, WPARAM wParam, LPARAM) -> INT_PTR {
        if (message == WM_COMMAND && LOWORD(wParam) == IDC_BROWSE) {
            machine->processes.nowMs = 1234;
            EXPECT_EQ(MessageBoxA(dialog, "Create it?", "Question", 0x21), IDCANCEL);
            return TRUE;
        }
        return FALSE;
    };
    machine->ui.Click(IDC_BROWSE);
    machine->ui.Run([&](host::Machine& m) {
        enabledDuring = m.ui.Find(record.dialog)->enabled;
        EXPECT_EQ(m.ui.messageBoxes.size(), 1u);
    });
    machine->ui.Answer(IDCANCEL);
    machine->ui.Run([&](host::Machine& m) { EXPECT_TRUE(m.ui.Find(record.dialog)->enabled); });
    machine->ui.Escape();
    RunInstallDialog();
    EXPECT_FALSE(enabledDuring);
    ASSERT_EQ(machine->ui.messageBoxes.size(), 1u);
    const host::MessageBoxRecord& box = machine->ui.messageBoxes[0];
    EXPECT_EQ(box.owner, record.dialog);
    EXPECT_EQ(box.text, "Create it?");
    EXPECT_EQ(box.caption, "Question");
    EXPECT_EQ(box.style, 0x21u);
    EXPECT_EQ(box.answer, IDCANCEL);
    EXPECT_EQ(box.timeMs, 1234u);
}

TEST_F(DialogSimTest, StaticImagesAndIconsFollowTheControlKind) {
    machine->ui.Run([&](host::Machine& m) {
        HWND progress = GetDlgItem(record.dialog, IDC_PROGRESS_ICON);
        HWND logo = GetDlgItem(record.dialog, IDC_LOGO);
        HICON spin = LoadIconA(m.instance, MAKEINTRESOURCEA(IDI_SPIN1));
        ASSERT_NE(spin, nullptr);
        EXPECT_EQ(LoadIconA(m.instance, MAKEINTRESOURCEA(IDI_SPIN1)), spin);
        HICON before = Control(IDC_PROGRESS_ICON).icon;
        EXPECT_EQ(reinterpret_cast<HICON>(
                      SendMessageA(progress, STM_SETICON, reinterpret_cast<WPARAM>(spin), 0)),
                  before);
        EXPECT_EQ(m.ui.IconId(Control(IDC_PROGRESS_ICON).icon), IDI_SPIN1);
        // An icon does not go into a bitmap static, nor a bitmap into an icon static.
        EXPECT_EQ(SendMessageA(logo, STM_SETICON, reinterpret_cast<WPARAM>(spin), 0), 0);
        HBITMAP mapped = CreateMappedBitmap(m.instance, IDB_LOGO, 0, nullptr, 0);
        ASSERT_NE(mapped, nullptr);
        EXPECT_EQ(
            SendMessageA(progress, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(mapped)),
            0);
        HBITMAP templateBitmap = Control(IDC_LOGO).bitmap;
        EXPECT_EQ(reinterpret_cast<HBITMAP>(SendMessageA(logo, STM_SETIMAGE, IMAGE_BITMAP,
                                                         reinterpret_cast<LPARAM>(mapped))),
                  templateBitmap);
        EXPECT_EQ(Control(IDC_LOGO).bitmap, mapped);
        EXPECT_EQ(m.ui.sent.size(), 4u);
        // The dialog's own icons.
        HICON app = LoadIconA(m.instance, MAKEINTRESOURCEA(IDI_APP));
        EXPECT_EQ(SendMessageA(record.dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(app)),
                  0);
        EXPECT_EQ(m.ui.IconId(Dialog().bigIcon), IDI_APP);
        EXPECT_EQ(Dialog().smallIcon, nullptr);
    });
    machine->ui.Escape();
    RunInstallDialog();
}

TEST_F(DialogSimTest, MoveWindowCarriesTheControls) {
    machine->ui.Run([&](host::Machine&) {
        RECT before = {};
        RECT edit = {};
        GetWindowRect(record.dialog, &before);
        GetWindowRect(GetDlgItem(record.dialog, IDC_INSTALL_DIR), &edit);
        ASSERT_TRUE(MoveWindow(record.dialog, before.left + 10, before.top + 20,
                               before.right - before.left, 94, TRUE));
        RECT after = {};
        RECT editAfter = {};
        GetWindowRect(record.dialog, &after);
        GetWindowRect(GetDlgItem(record.dialog, IDC_INSTALL_DIR), &editAfter);
        EXPECT_EQ(after.bottom - after.top, 94);
        EXPECT_EQ(after.right - after.left, before.right - before.left);
        EXPECT_EQ(editAfter.left, edit.left + 10);
        EXPECT_EQ(editAfter.top, edit.top + 20);
    });
    machine->ui.Escape();
    RunInstallDialog();
}

// ---- the picker --------------------------------------------------------------------------------

struct HookLog {
    HWND hookWindow = nullptr;
    HWND platform = nullptr;
    int calls = 0;
    LPARAM initParam = 0;
    bool ownerEnabled = true;
};
HookLog* hookLog = nullptr;

UINT_PTR CALLBACK PickerHook(HWND window, UINT message, WPARAM, LPARAM lParam) {
    if (message != WM_INITDIALOG) {
        return 0;
    }
    ++hookLog->calls;
    hookLog->hookWindow = window;
    hookLog->initParam = lParam;
    hookLog->platform = GetParent(window);
    SendMessageA(hookLog->platform, CDM_SETCONTROLTEXT, IDOK, reinterpret_cast<LPARAM>("OK"));
    SendMessageA(hookLog->platform, CDM_SETCONTROLTEXT, 1091,
                 reinterpret_cast<LPARAM>("Install in:"));
    for (int id : {1152, 1090, 1136, 1089}) {
        SendMessageA(hookLog->platform, CDM_HIDECONTROL, static_cast<WPARAM>(id), 0);
    }
    return TRUE;
}

class PickerSimTest : public ::testing::Test {
  protected:
    void SetUp() override {
        machine = &host::NewMachine();
        hookLog = &log;
        host::Window owner;
        owner.className = "#32770";
        owner.style = 0x90C800C0;
        ownerHandle = machine->ui.Create(owner);
        ofn.lStructSize = sizeof ofn;
        ofn.hwndOwner = ownerHandle;
        ofn.lpstrFilter = "Directories\0*.____zzz\0\0";
        ofn.lpstrFile = file;
        ofn.nMaxFile = sizeof file;
        ofn.lpstrInitialDir = "C:\\Program Files";
        ofn.lpstrTitle = "Select the Directory";
        ofn.Flags = 0x20000e | OFN_ENABLEHOOK | OFN_EXPLORER;
        ofn.lpfnHook = PickerHook;
        std::snprintf(file, sizeof file, "%s", "_______");
    }
    void TearDown() override { hookLog = nullptr; }

    host::Machine* machine = nullptr;
    HookLog log;
    HWND ownerHandle = nullptr;
    char file[MAX_PATH] = {};
    OPENFILENAMEA ofn = {};
};

TEST_F(PickerSimTest, ExplorerHookIsAChildOfThePlatformDialog) {
    bool nameBoxVisible = false;
    machine->ui.Run([&](host::Machine& m) {
        log.ownerEnabled = m.ui.Find(ownerHandle)->enabled;
        host::Window* nameBox = m.ui.Control(log.platform, 1148);
        ASSERT_NE(nameBox, nullptr);
        EXPECT_EQ(nameBox->text, "_______");
        nameBoxVisible = nameBox->Visible();
        EXPECT_EQ(m.ui.Control(log.platform, 1152), nullptr);
        EXPECT_EQ(m.ui.Control(log.platform, IDOK)->text, "OK");
        EXPECT_EQ(m.ui.Control(log.platform, 1091)->text, "Install in:");
        EXPECT_FALSE(m.ui.Control(log.platform, 1136)->Visible());
    });
    machine->ui.ChooseFolder("D:\\Apps\\_______");
    ASSERT_TRUE(GetSaveFileNameA(&ofn));
    EXPECT_STREQ(file, "D:\\Apps\\_______");
    EXPECT_EQ(log.calls, 1);
    EXPECT_EQ(log.initParam, reinterpret_cast<LPARAM>(&ofn));
    EXPECT_NE(log.hookWindow, log.platform);
    EXPECT_EQ(GetParent(log.platform), nullptr);  // destroyed by now
    EXPECT_FALSE(log.ownerEnabled);
    EXPECT_TRUE(machine->ui.Find(ownerHandle)->enabled);
    // Hiding the old file-name box leaves the explorer one visible.
    EXPECT_TRUE(nameBoxVisible);

    ASSERT_EQ(machine->ui.pickers.size(), 1u);
    const host::PickerRecord& picker = machine->ui.pickers[0];
    EXPECT_EQ(picker.owner, ownerHandle);
    EXPECT_EQ(picker.flags, 0x20000eu | OFN_ENABLEHOOK | OFN_EXPLORER);
    EXPECT_EQ(picker.filter, "Directories|*.____zzz||");
    EXPECT_EQ(picker.initialDir, "C:\\Program Files");
    EXPECT_EQ(picker.title, "Select the Directory");
    EXPECT_EQ(picker.initialFile, "_______");
    EXPECT_EQ(picker.maxFile, static_cast<DWORD>(MAX_PATH));
    EXPECT_FALSE(picker.defExt);
    EXPECT_TRUE(picker.hook);
    EXPECT_EQ(picker.hidden, (std::vector<int>{1152, 1090, 1136, 1089}));
    EXPECT_EQ(picker.setTexts.size(), 2u);
    EXPECT_EQ(picker.hookDialog, log.hookWindow);
    EXPECT_EQ(picker.dialog, log.platform);
}

TEST_F(PickerSimTest, OldStyleHookGetsThePlatformDialog) {
    ofn.Flags &= ~static_cast<DWORD>(OFN_EXPLORER);
    machine->ui.Run([&](host::Machine& m) {
        EXPECT_NE(m.ui.Control(m.ui.pickers[0].dialog, 1152), nullptr);
        EXPECT_EQ(m.ui.Control(m.ui.pickers[0].dialog, 1152)->text, "_______");
    });
    machine->ui.CancelPicker();
    // The hook's control messages reach the owner, which is the old dialog's parent.
    EXPECT_FALSE(GetSaveFileNameA(&ofn));
    EXPECT_EQ(log.hookWindow, machine->ui.pickers[0].dialog);
    EXPECT_EQ(log.platform, ownerHandle);
    EXPECT_TRUE(machine->ui.pickers[0].hidden.empty());
}

TEST_F(PickerSimTest, CancelFailureAndShortBufferReturnFalse) {
    struct Case {
        const char* name;
        std::function<void(host::Ui&)> steps;
        DWORD maxFile;
        DWORD error;
        int hookCalls;
    };
    const Case cases[] = {
        {"cancel", [](host::Ui& ui) { ui.CancelPicker(); }, MAX_PATH, 0, 1},
        {"a picker that cannot be made", [](host::Ui& ui) { ui.FailPicker(); }, MAX_PATH, 2, 0},
        {"a path longer than the buffer",
         [](host::Ui& ui) { ui.ChooseFolder("C:\\a long folder\\_______"); }, 10, 0x3003, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        log = HookLog();
        ofn.nMaxFile = c.maxFile;
        c.steps(machine->ui);
        EXPECT_FALSE(GetSaveFileNameA(&ofn));
        EXPECT_EQ(CommDlgExtendedError(), c.error);
        EXPECT_EQ(log.calls, c.hookCalls);
        EXPECT_TRUE(machine->ui.Find(ownerHandle)->enabled);
        EXPECT_EQ(machine->ui.ActiveDialog(), nullptr);
        EXPECT_TRUE(machine->ui.script.empty());
    }
    EXPECT_EQ(static_cast<unsigned char>(file[0]) | (static_cast<unsigned char>(file[1]) << 8),
              static_cast<int>(std::string("C:\\a long folder\\_______").size() + 1));
}

TEST_F(PickerSimTest, ExistingDummyFileAsksBeforeClosing) {
    machine->files.MakeDirectories("C:\\Has");
    machine->files.WriteFile("C:\\Has\\_______", {});
    machine->ui.ChooseFolder("C:\\Has\\_______");
    machine->ui.Answer(IDNO);
    machine->ui.ChooseFolder("C:\\Has\\_______");
    machine->ui.Answer(IDYES);
    EXPECT_TRUE(GetSaveFileNameA(&ofn));
    ASSERT_EQ(machine->ui.messageBoxes.size(), 2u);
    EXPECT_EQ(machine->ui.messageBoxes[0].owner, machine->ui.pickers[0].dialog);
    EXPECT_EQ(machine->ui.messageBoxes[0].caption, "Select the Directory");
    EXPECT_EQ(machine->ui.messageBoxes[0].style & 0xF, static_cast<UINT>(4));  // Yes and No
}

TEST_F(PickerSimTest, OtherStepsAreMismatches) {
    machine->ui.Click(IDOK);
    EXPECT_THROW(GetSaveFileNameA(&ofn), host::ScriptMismatch);
    EXPECT_TRUE(machine->ui.Find(ownerHandle)->enabled);
}

// ---- resources
// -----------------------------------------------------------------------------------

TEST(ResourceSimTest, FindResourceIgnoresCaseAndReadsNumbers) {
    host::Machine& machine = host::NewMachine();
    HRSRC byNumber = FindResourceA(nullptr, MAKEINTRESOURCEA(IDD_INSTALL), MAKEINTRESOURCEA(5));
    ASSERT_NE(byNumber, nullptr);
    EXPECT_EQ(FindResourceA(machine.instance, "#102", "#5"), byNumber);
    const host::ResEntry* entry = machine.resources.FromHandle(byNumber);
    HGLOBAL loaded = LoadResource(machine.instance, byNumber);
    EXPECT_EQ(LockResource(loaded), static_cast<const void*>(entry->data.data()));
    EXPECT_EQ(SizeofResource(machine.instance, byNumber), entry->data.size());

    machine.resources.Replace(host::ResId::From("EXE"), host::ResId::From("Tolvane"), {1, 2, 3});
    HRSRC payload = FindResourceA(machine.instance, "tolvane", "exe");
    ASSERT_NE(payload, nullptr);
    EXPECT_EQ(SizeofResource(machine.instance, payload), 3u);

    struct Miss {
        LPCSTR name;
        LPCSTR type;
        DWORD error;
    };
    const Miss misses[] = {
        {"Tolvane", "BIN", ERROR_RESOURCE_TYPE_NOT_FOUND},
        {"Other", "EXE", ERROR_RESOURCE_NAME_NOT_FOUND},
        {MAKEINTRESOURCEA(4711), MAKEINTRESOURCEA(5), ERROR_RESOURCE_NAME_NOT_FOUND},
    };
    for (const Miss& miss : misses) {
        EXPECT_EQ(FindResourceA(machine.instance, miss.name, miss.type), nullptr);
        EXPECT_EQ(machine.lastError, miss.error);
    }
    machine.FailCall("FindResourceA", machine.CallCount("FindResourceA") + 1);
    EXPECT_EQ(FindResourceA(machine.instance, "tolvane", "exe"), nullptr);
}

TEST(ResourceSimTest, IconsComeFromGroupsThatHaveTheirImages) {
    host::Machine& machine = host::NewMachine();
    for (int id : {IDI_APP, IDI_SPIN1, IDI_SPIN2, IDI_SPIN3}) {
        EXPECT_EQ(machine.ui.IconId(LoadIconA(machine.instance, MAKEINTRESOURCEA(id))), id);
    }
    machine.resources.Remove(host::ResId::Number(RT_GROUP_ICON_ID), host::ResId::Number(IDI_SPIN2));
    EXPECT_EQ(LoadIconA(machine.instance, MAKEINTRESOURCEA(IDI_SPIN2)), nullptr);
    EXPECT_NE(LoadIconA(nullptr, MAKEINTRESOURCEA(32512)), nullptr);  // IDI_APPLICATION
    HCURSOR wait = LoadCursorA(nullptr, IDC_WAIT);
    SetCursor(wait);
    EXPECT_EQ(machine.ui.CursorId(machine.ui.cursor), 32514);
    EXPECT_EQ(SetCursor(LoadCursorA(nullptr, IDC_ARROW)), wait);
}

TEST(ResourceSimTest, MappedBitmapTakesTheButtonColours) {
    host::Machine& machine = host::NewMachine();
    machine.ui.sysColors[COLOR_BTNTEXT] = RGB(1, 2, 3);
    machine.ui.sysColors[COLOR_BTNSHADOW] = RGB(4, 5, 6);
    machine.ui.sysColors[COLOR_BTNFACE] = RGB(7, 8, 9);
    machine.ui.sysColors[COLOR_BTNHIGHLIGHT] = RGB(10, 11, 12);
    // A 4-colour bitmap: the four greys, then a red that stays.
    std::vector<BYTE> bitmap(40 + 5 * 4 + 4, 0);
    bitmap[0] = 40;
    bitmap[4] = 1;   // width
    bitmap[8] = 1;   // height
    bitmap[12] = 1;  // planes
    bitmap[14] = 4;  // bits per pixel
    bitmap[32] = 5;  // colours used
    const BYTE table[5][4] = {
        {0, 0, 0, 0}, {128, 128, 128, 0}, {192, 192, 192, 0}, {255, 255, 255, 0}, {0, 0, 255, 0}};
    for (int i = 0; i < 5; ++i) {
        std::copy(table[i], table[i] + 4, bitmap.begin() + 40 + 4 * i);
    }
    machine.resources.Replace(host::ResId::Number(RT_BITMAP_ID), host::ResId::Number(300), bitmap);
    HBITMAP mapped = CreateMappedBitmap(machine.instance, 300, 0, nullptr, 0);
    ASSERT_NE(mapped, nullptr);
    const host::Ui::MappedBitmap& record =
        machine.ui.mappedBitmaps.at(reinterpret_cast<UINT_PTR>(mapped));
    EXPECT_EQ(record.resourceId, 300);
    EXPECT_EQ(record.palette, (std::vector<COLORREF>{RGB(1, 2, 3), RGB(4, 5, 6), RGB(7, 8, 9),
                                                     RGB(10, 11, 12), RGB(255, 0, 0)}));
    // The real artwork is mapped too.
    EXPECT_NE(CreateMappedBitmap(machine.instance, IDB_LOGO_SUB, 0, nullptr, 0), nullptr);
    EXPECT_EQ(CreateMappedBitmap(machine.instance, 4711, 0, nullptr, 0), nullptr);
    machine.ui.failMappedBitmaps = true;
    EXPECT_EQ(CreateMappedBitmap(machine.instance, IDB_LOGO, 0, nullptr, 0), nullptr);
}

}  // namespace
