// The common Save dialog (GetSaveFileNameA), as the folder picker uses it: the platform's dialog
// with its standard controls, the program's hook, and the user's choice from the script.
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>

#include "Machine.h"

namespace {

const DWORD kStructSize = 1;            // CDERR_STRUCTSIZE
const DWORD kInitialization = 2;        // CDERR_INITIALIZATION
const DWORD kBufferTooSmall = 0x3003;   // FNERR_BUFFERTOOSMALL
const UINT kYesNoWarning = 0x34;        // MB_YESNO | MB_ICONEXCLAMATION
const DWORD kDialogStyle = 0x80C800C4;  // pop-up, caption, system menu, modal frame, 3-D look

struct StandardControl {
    int id;
    const char* className;
    const char* text;
    RECT rect;  // in the dialog's client area
};

// The explorer-style dialog of Windows 2000 and later (and Wine): the file-name box is the
// ComboBoxEx 1148; there is no edit control 1152.
const StandardControl kExplorerControls[] = {
    {1091, "Static", "Save &in:", {8, 10, 80, 28}},
    {1137, "ComboBox", "", {86, 6, 380, 30}},
    {1120, "ListBox", "", {8, 40, 540, 300}},
    {1090, "Static", "File &name:", {8, 312, 100, 330}},
    {1148, "ComboBoxEx32", "", {110, 308, 440, 332}},
    {1089, "Static", "Save as &type:", {8, 342, 100, 360}},
    {1136, "ComboBox", "", {110, 338, 440, 362}},
    {IDOK, "Button", "&Save", {456, 308, 548, 332}},
    {IDCANCEL, "Button", "Cancel", {456, 338, 548, 362}},
};

// The old-style dialog (systems before version 4): edit control 1152 holds the file name.
const StandardControl kOldControls[] = {
    {1090, "Static", "File &name:", {8, 6, 140, 22}},
    {1152, "Edit", "", {8, 24, 140, 46}},
    {1120, "ListBox", "", {8, 50, 140, 170}},
    {1089, "Static", "Save file as &type:", {8, 176, 140, 192}},
    {1136, "ComboBox", "", {8, 194, 140, 216}},
    {1088, "Static", "", {150, 24, 290, 40}},
    {1121, "ListBox", "", {150, 50, 290, 170}},
    {1091, "Static", "Dri&ves:", {150, 176, 290, 192}},
    {1137, "ComboBox", "", {150, 194, 290, 216}},
    {IDOK, "Button", "OK", {300, 6, 380, 30}},
    {IDCANCEL, "Button", "Cancel", {300, 36, 380, 60}},
};

// The filter's pairs of NUL-terminated strings up to the closing double NUL, NULs shown as '|'.
std::string FilterText(LPCSTR filter) {
    std::string text;
    if (filter == nullptr) {
        return text;
    }
    for (std::size_t i = 0;; ++i) {
        if (filter[i] != '\0') {
            text += filter[i];
            continue;
        }
        text += '|';
        if (filter[i + 1] == '\0') {
            text += '|';
            return text;
        }
    }
}

std::string FirstFilterName(LPCSTR filter) {
    return filter != nullptr ? std::string(filter) : std::string();
}

// The parent folder and the name of a full file path.
std::string NameOf(const std::string& path) {
    std::size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

HWND CreatePicker(host::Machine& machine, const OPENFILENAMEA& ofn, int pickerIndex) {
    host::Ui& ui = machine.ui;
    bool explorer = (ofn.Flags & OFN_EXPLORER) != 0;
    host::Window dialog;
    dialog.parent = ofn.hwndOwner;
    dialog.className = "#32770";
    dialog.text = ofn.lpstrTitle != nullptr ? ofn.lpstrTitle : "Save As";
    dialog.style = kDialogStyle | WS_VISIBLE;
    dialog.picker = pickerIndex;
    LONG width = explorer ? 563 : 400;
    LONG height = explorer ? 419 : 260;
    LONG left = std::max(0, (ui.screenWidth - width) / 2);
    LONG top = std::max(0, (ui.screenHeight - height) / 2);
    dialog.rect = {left, top, left + width, top + height};
    HWND handle = ui.Create(dialog);
    host::Point origin = ui.ClientOrigin(*ui.Find(handle));

    const StandardControl* controls = explorer ? kExplorerControls : kOldControls;
    std::size_t count = explorer ? std::size(kExplorerControls) : std::size(kOldControls);
    for (std::size_t i = 0; i < count; ++i) {
        host::Window control;
        control.parent = handle;
        control.id = controls[i].id;
        control.className = controls[i].className;
        control.text = controls[i].text;
        control.style = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
        control.rect = {origin.x + controls[i].rect.left, origin.y + controls[i].rect.top,
                        origin.x + controls[i].rect.right, origin.y + controls[i].rect.bottom};
        if (control.id == 1148 || control.id == 1152) {
            control.text = ofn.lpstrFile;
        } else if (control.id == 1136) {
            control.text = FirstFilterName(ofn.lpstrFilter);
        } else if (control.id == IDOK) {
            control.style |= BS_DEFPUSHBUTTON;
        }
        ui.Create(control);
    }
    return handle;
}

}  // namespace

BOOL GetSaveFileNameA(LPOPENFILENAMEA ofn) {
    host::Machine& machine = host::TheMachine();
    host::Ui& ui = machine.ui;
    std::string args = "NULL";
    if (ofn != nullptr) {
        char flags[16];
        std::snprintf(flags, sizeof flags, "0x%x", static_cast<unsigned>(ofn->Flags));
        args = std::string("flags=") + flags + ", file=\"" +
               (ofn->lpstrFile != nullptr ? ofn->lpstrFile : "") + "\"";
    }
    int fault = machine.Enter("GetSaveFileNameA", args);
    if (ofn == nullptr || ofn->lStructSize != sizeof(OPENFILENAMEA)) {
        ui.commDlgError = kStructSize;
        return FALSE;
    }
    host::PickerRecord record;
    record.owner = ofn->hwndOwner;
    record.flags = ofn->Flags;
    record.filter = FilterText(ofn->lpstrFilter);
    record.initialDir = ofn->lpstrInitialDir != nullptr ? ofn->lpstrInitialDir : "";
    record.title = ofn->lpstrTitle != nullptr ? ofn->lpstrTitle : "";
    record.initialFile = ofn->lpstrFile != nullptr ? ofn->lpstrFile : "";
    record.maxFile = ofn->nMaxFile;
    record.defExt = ofn->lpstrDefExt != nullptr;
    record.hook = (ofn->Flags & OFN_ENABLEHOOK) != 0 && ofn->lpfnHook != nullptr;
    int index = static_cast<int>(ui.pickers.size());
    ui.pickers.push_back(record);
    ui.commDlgError = 0;

    // A picker that cannot be created fails before any window or hook exists.
    bool scriptedFailure = false;
    for (const host::Action& step : ui.script) {
        if (step.kind != host::Action::Run) {
            scriptedFailure = step.kind == host::Action::FailPicker;
            break;
        }
    }
    if (fault == 0 || scriptedFailure || ofn->lpstrFile == nullptr || ofn->nMaxFile == 0) {
        if (scriptedFailure) {
            ui.NextStep(machine, "the folder picker");  // takes the FailPicker step
        }
        ui.commDlgError = kInitialization;
        return FALSE;
    }

    HWND dialog = CreatePicker(machine, *ofn, index);
    ui.pickers[index].dialog = dialog;
    struct Scope {
        host::Machine& machine;
        HWND dialog;
        host::Ui::OwnerLock lock;
        HWND savedFocus;
        bool finished = false;
        ~Scope() {
            host::Ui& ui = machine.ui;
            ui.Destroy(machine, dialog, finished);
            ui.EndModal(dialog);
            ui.Restore(lock);
            ui.focus = ui.Live(savedFocus) != nullptr ? savedFocus : nullptr;
        }
    } scope{machine, dialog, ui.DisableOwner(ofn->hwndOwner), ui.focus};
    ui.modalStack.push_back(dialog);

    if (ui.pickers[index].hook) {
        HWND hookWindow = dialog;
        if ((ofn->Flags & OFN_EXPLORER) != 0) {
            // The program's dialog is a child of the platform's, which owns the standard controls.
            host::Window child;
            child.parent = dialog;
            child.className = "#32770";
            child.style = WS_CHILD | WS_VISIBLE | 0x4;  // DS_3DLOOK
            host::Point origin = ui.ClientOrigin(*ui.Find(dialog));
            child.rect = {origin.x, origin.y, origin.x, origin.y};
            child.hook = ofn->lpfnHook;
            hookWindow = ui.Create(child);
        } else {
            ui.Find(dialog)->hook = ofn->lpfnHook;
        }
        ui.pickers[index].hookDialog = hookWindow;
        ui.Deliver(machine, hookWindow, WM_INITDIALOG, 0, reinterpret_cast<LPARAM>(ofn));
    }

    BOOL result = FALSE;
    for (bool open = true; open;) {
        host::Action step = ui.NextStep(machine, "the folder picker \"" + record.title + "\"");
        switch (step.kind) {
            case host::Action::ChooseFolder: {
                std::string chosen = step.text;
                if ((ofn->Flags & OFN_OVERWRITEPROMPT) != 0 && machine.files.IsFile(chosen)) {
                    std::string caption = ui.Find(dialog)->text;
                    int answer = ui.ShowMessageBox(
                        machine, dialog,
                        NameOf(chosen) + " already exists.\nDo you want to replace it?", caption,
                        kYesNoWarning);
                    if (answer != IDYES) {
                        break;  // the picker stays open
                    }
                }
                open = false;
                if (chosen.size() + 1 > ofn->nMaxFile) {
                    // The buffer cannot take the path: the size it needs, in its first two bytes.
                    WORD needed = static_cast<WORD>(chosen.size() + 1);
                    if (ofn->nMaxFile >= 2) {
                        std::memcpy(ofn->lpstrFile, &needed, sizeof needed);
                    }
                    ui.commDlgError = kBufferTooSmall;
                    break;
                }
                std::memcpy(ofn->lpstrFile, chosen.c_str(), chosen.size() + 1);
                std::size_t cut = chosen.find_last_of("\\/");
                std::size_t offset = cut == std::string::npos ? 0 : cut + 1;
                ofn->nFileOffset = static_cast<WORD>(offset);
                std::size_t dot = chosen.find_last_of('.');
                ofn->nFileExtension = static_cast<WORD>(
                    dot == std::string::npos || dot < offset ? chosen.size() : dot + 1);
                if ((ofn->Flags & OFN_NOCHANGEDIR) == 0) {
                    std::string folder = chosen.substr(0, cut == std::string::npos ? 0 : cut);
                    if (folder.size() == 2 && folder[1] == ':') {
                        folder += '\\';
                    }
                    if (machine.files.IsDirectory(folder)) {
                        machine.files.SetCurrentDirectory(folder);
                    }
                }
                result = TRUE;
                break;
            }
            case host::Action::CancelPicker:
                open = false;
                break;
            default:
                throw host::ScriptMismatch{
                    "a script step other than ChooseFolder or CancelPicker "
                    "came while the folder picker \"" +
                    record.title + "\" waits for the user"};
        }
    }
    scope.finished = true;
    return result;
}

DWORD CommDlgExtendedError() {
    host::Machine& machine = host::TheMachine();
    machine.Enter("CommDlgExtendedError", "");
    return machine.ui.commDlgError;
}
