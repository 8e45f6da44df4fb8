// Windows, dialogs and message boxes of the simulated system.
#include <cstdio>
#include <cstring>
#include <string>

#include "Machine.h"

namespace {

const DWORD kErrorInvalidWindow = 1400;  // ERROR_INVALID_WINDOW_HANDLE
const DWORD kErrorNoControl = 1421;      // ERROR_CONTROL_ID_NOT_FOUND
const DWORD kErrorInvalidIndex = 1413;   // ERROR_INVALID_INDEX
const UINT kNoMove = 0x0002;             // SWP_NOMOVE
const int kGwlId = -12;                  // GWL_ID

std::string Hex(UINT_PTR value) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(value));
    return text;
}

std::string Hex(const void* handle) {
    return Hex(reinterpret_cast<UINT_PTR>(handle));
}

host::Window* LiveOrError(host::Machine& machine, HWND window) {
    host::Window* found = machine.ui.Live(window);
    if (found == nullptr) {
        machine.lastError = kErrorInvalidWindow;
    }
    return found;
}

void Shift(host::Ui& ui, HWND handle, LONG dx, LONG dy) {
    host::Window* window = ui.Find(handle);
    window->rect.left += dx;
    window->rect.right += dx;
    window->rect.top += dy;
    window->rect.bottom += dy;
    for (HWND child : window->children) {
        Shift(ui, child, dx, dy);
    }
}

// Places a window; a child's position is relative to its parent's client area.
void Place(host::Ui& ui, host::Window& window, int x, int y, int width, int height, bool move,
           bool size) {
    LONG left = window.rect.left;
    LONG top = window.rect.top;
    if (move) {
        left = x;
        top = y;
        if ((window.style & WS_CHILD) != 0) {
            if (host::Window* parent = ui.Find(window.parent)) {
                host::Point origin = ui.ClientOrigin(*parent);
                left += origin.x;
                top += origin.y;
            }
        }
    }
    LONG w = size ? width : window.rect.right - window.rect.left;
    LONG h = size ? height : window.rect.bottom - window.rect.top;
    Shift(ui, window.handle, left - window.rect.left, top - window.rect.top);
    window.rect.right = window.rect.left + w;
    window.rect.bottom = window.rect.top + h;
}

}  // namespace

INT_PTR DialogBoxParamA(HINSTANCE instance, LPCSTR templateName, HWND parent, DLGPROC proc,
                        LPARAM initParam) {
    host::Machine& machine = host::TheMachine();
    host::ResId name = host::ResId::From(templateName);
    if (machine.Enter("DialogBoxParamA", Hex(instance) + ", " + name.ToString() + ", " +
                                             Hex(parent) + ", " + Hex(initParam)) == 0) {
        machine.lastError = ERROR_NOT_ENOUGH_MEMORY;
        return -1;
    }
    if (instance != machine.instance && instance != nullptr) {
        machine.lastError = ERROR_RESOURCE_DATA_NOT_FOUND;
        return -1;
    }
    if (parent != nullptr && machine.ui.Live(parent) == nullptr) {
        machine.lastError = kErrorInvalidWindow;
        return -1;
    }
    const host::ResEntry* entry = machine.resources.Find(host::ResId::Number(RT_DIALOG_ID), name);
    if (entry == nullptr) {
        machine.lastError = ERROR_RESOURCE_NAME_NOT_FOUND;
        return -1;
    }
    host::Ui& ui = machine.ui;
    HWND dialog = ui.CreateFromTemplate(machine, entry->data, parent, proc);
    if (dialog == nullptr) {
        machine.lastError = ERROR_INVALID_DATA;
        return -1;
    }
    ui.dialogsShown.push_back(name.ToString());
    ui.lastDialog = dialog;

    // While the dialog runs its owner is disabled and the focus is inside the dialog. An exception
    // (the end of the simulated process, a script mismatch) abandons the run without calling the
    // program again.
    struct Scope {
        host::Machine& machine;
        HWND dialog;
        host::Ui::OwnerLock lock;
        HWND savedFocus;
        bool finished = false;
        ~Scope() {
            host::Ui& ui = machine.ui;
            if (!finished) {
                ui.Destroy(machine, dialog, false);
            }
            ui.EndModal(dialog);
            ui.Restore(lock);
            ui.focus = ui.Live(savedFocus) != nullptr ? savedFocus : nullptr;
        }
    } scope{machine, dialog, ui.DisableOwner(parent), ui.focus};
    ui.modalStack.push_back(dialog);
    ui.focus = nullptr;

    LRESULT setFocus = ui.Deliver(machine, dialog, WM_INITDIALOG,
                                  reinterpret_cast<WPARAM>(ui.FirstTabStop(dialog)), initParam);
    if (host::Window* window = ui.Live(dialog)) {
        if (setFocus != 0) {
            ui.focus = ui.FirstTabStop(dialog);
        }
        if (!window->ended) {
            window->style |= WS_VISIBLE;
        }
    }
    ui.RunModal(machine, dialog);
    INT_PTR result = ui.Find(dialog)->endResult;
    ui.Destroy(machine, dialog);
    scope.finished = true;
    return result;
}

BOOL EndDialog(HWND dialog, INT_PTR result) {
    host::Machine& machine = host::TheMachine();
    if (machine.Enter("EndDialog", Hex(dialog) + ", " + std::to_string(result)) == 0) {
        return FALSE;
    }
    host::Window* window = LiveOrError(machine, dialog);
    if (window == nullptr) {
        return FALSE;
    }
    window->ended = true;
    window->endResult = result;
    return TRUE;
}

HWND GetDlgItem(HWND dialog, int id) {
    host::Machine& machine = host::TheMachine();
    if (machine.Enter("GetDlgItem", Hex(dialog) + ", " + std::to_string(id)) == 0) {
        machine.lastError = kErrorNoControl;
        return nullptr;
    }
    if (LiveOrError(machine, dialog) == nullptr) {
        return nullptr;
    }
    host::Window* control = machine.ui.Control(dialog, id);
    if (control == nullptr || control->destroyed) {
        machine.lastError = kErrorNoControl;
        return nullptr;
    }
    return control->handle;
}

int GetDlgCtrlID(HWND window) {
    host::Machine& machine = host::TheMachine();
    if (machine.Enter("GetDlgCtrlID", Hex(window)) == 0) {
        return 0;
    }
    host::Window* found = LiveOrError(machine, window);
    return found == nullptr || (found->style & WS_CHILD) == 0 ? 0 : found->id;
}

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    host::Machine& machine = host::TheMachine();
    if (machine.Enter("SendMessageA", Hex(window) + ", " + Hex(message) + ", " + Hex(wParam) +
                                          ", " + Hex(static_cast<UINT_PTR>(lParam))) == 0) {
        return 0;
    }
    machine.ui.sent.push_back({window, message, wParam, lParam, machine.processes.nowMs});
    if (LiveOrError(machine, window) == nullptr) {
        return 0;
    }
    return machine.ui.Deliver(machine, window, message, wParam, lParam);
}

BOOL SetWindowTextA(HWND window, LPCSTR text) {
    host::Machine& machine = host::TheMachine();
    if (machine.Enter("SetWindowTextA", Hex(window) + ", \"" + (text ? text : "") + "\"") == 0) {
        return FALSE;
    }
    if (LiveOrError(machine, window) == nullptr) {
        return FALSE;
    }
    return machine.ui.Deliver(machine, window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) != 0;
}

int GetWindowTextA(HWND window, LPSTR buffer, int capacity) {
    host::Machine& machine = host::TheMachine();
    if (machine.Enter("GetWindowTextA", Hex(window) + ", " + std::to_string(capacity)) == 0) {
        if (buffer != nullptr && capacity > 0) {
            buffer[0] = '\0';
        }
        return 0;
    }
    if (buffer != nullptr && capacity > 0) {
        buffer[0] = '\0';
    }
    if (LiveOrError(machine, window) == nullptr || buffer == nullptr || capacity <= 0) {
        return 0;
    }
    return static_cast<int>(machine.ui.Deliver(machine, window, WM_GETTEXT,
                                               static_cast<WPARAM>(capacity),
                                               reinterpret_cast<LPARAM>(buffer)));
}

int GetWindowTextLengthA(HWND window) {
    host::Machine& machine = host::TheMachine();
    if (machine.Enter("GetWindowTextLengthA", Hex(window)) == 0) {
        return 0;
    }
    if (LiveOrError(machine, window) == nullptr) {
        return 0;
    }
    return static_cast<int>(machine.ui.Deliver(machine, window, WM_GETTEXTLENGTH, 0, 0));
}

BOOL ShowWindow(HWND window, int command) {
    host::Machine& machine = host::TheMachine();
    host::Window* found = machine.ui.Live(window);
    bool wasVisible = found != nullptr && found->Visible();
    if (machine.Enter("ShowWindow", Hex(window) + ", " + std::to_string(command)) == 0 ||
        found == nullptr) {
        return wasVisible ? TRUE : FALSE;
    }
    if (command == SW_HIDE) {
        found->style &= ~static_cast<DWORD>(WS_VISIBLE);
    } else {
        found->style |= WS_VISIBLE;
    }
    return wasVisible ? TRUE : FALSE;
}

BOOL IsWindow(HWND window) {
    host::Machine& machine = host::TheMachine();
    machine.Enter("IsWindow", Hex(window));
    return machine.ui.Live(window) != nullptr;
}

BOOL IsWindowVisible(HWND window) {
    host::Machine& machine = host::TheMachine();
    machine.Enter("IsWindowVisible", Hex(window));
    // Visible only when it and every parent it is a child of are visible.
    for (host::Window* found = machine.ui.Live(window); found != nullptr;
         found = machine.ui.Live(found->parent)) {
        if (!found->Visible()) {
            return FALSE;
        }
        if ((found->style & WS_CHILD) == 0) {
            return TRUE;
        }
    }
    return FALSE;
}

BOOL GetWindowRect(HWND window, LPRECT rect) {
    host::Machine& machine = host::TheMachine();
    if (machine.Enter("GetWindowRect", Hex(window)) == 0) {
        return FALSE;
    }
    host::Window* found = LiveOrError(machine, window);
    if (found == nullptr || rect == nullptr) {
        return FALSE;
    }
    *rect = found->rect;
    return TRUE;
}

BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint) {
    host::Machine& machine = host::TheMachine();
    if (machine.Enter("MoveWindow", Hex(window) + ", " + std::to_string(x) + ", " +
                                        std::to_string(y) + ", " + std::to_string(width) + ", " +
                                        std::to_string(height) + ", " + std::to_string(repaint)) ==
        0) {
        return FALSE;
    }
    host::Window* found = LiveOrError(machine, window);
    if (found == nullptr) {
        return FALSE;
    }
    Place(machine.ui, *found, x, y, width, height, true, true);
    return TRUE;
}

BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
    host::Machine& machine = host::TheMachine();
    if (machine.Enter("SetWindowPos", Hex(window) + ", " + Hex(insertAfter) + ", " +
                                          std::to_string(x) + ", " + std::to_string(y) + ", " +
                                          std::to_string(cx) + ", " + std::to_string(cy) + ", " +
                                          Hex(flags)) == 0) {
        return FALSE;
    }
    host::Window* found = LiveOrError(machine, window);
    if (found == nullptr) {
        return FALSE;
    }
    Place(machine.ui, *found, x, y, cx, cy, (flags & kNoMove) == 0, (flags & SWP_NOSIZE) == 0);
    return TRUE;
}

BOOL UpdateWindow(HWND window) {
    host::Machine& machine = host::TheMachine();
    if (machine.Enter("UpdateWindow", Hex(window)) == 0) {
        return FALSE;
    }
    return LiveOrError(machine, window) != nullptr;
}

HWND GetParent(HWND window) {
    host::Machine& machine = host::TheMachine();
    if (machine.Enter("GetParent", Hex(window)) == 0) {
        return nullptr;
    }
    host::Window* found = LiveOrError(machine, window);
    if (found == nullptr) {
        return nullptr;
    }
    // A child's parent, or a pop-up's owner; other top-level windows have none.
    const DWORD popup = 0x80000000;
    if ((found->style & WS_CHILD) != 0 || (found->style & popup) != 0) {
        return machine.ui.Live(found->parent) != nullptr ? found->parent : nullptr;
    }
    return nullptr;
}

LONG GetWindowLongA(HWND window, int index) {
    host::Machine& machine = host::TheMachine();
    if (machine.Enter("GetWindowLongA", Hex(window) + ", " + std::to_string(index)) == 0) {
        return 0;
    }
    host::Window* found = LiveOrError(machine, window);
    if (found == nullptr) {
        return 0;
    }
    switch (index) {
        case GWL_STYLE:
            return static_cast<LONG>(found->style);
        case GWL_EXSTYLE:
            return static_cast<LONG>(found->exStyle);
        case kGwlId:
            return found->id;
        default:
            machine.lastError = kErrorInvalidIndex;
            return 0;
    }
}

int GetSystemMetrics(int index) {
    host::Machine& machine = host::TheMachine();
    machine.Enter("GetSystemMetrics", std::to_string(index));
    switch (index) {
        case SM_CXSCREEN:
            return machine.ui.screenWidth;
        case SM_CYSCREEN:
            return machine.ui.screenHeight;
        case 4:  // SM_CYCAPTION
            return host::kCaption;
        case 7:  // SM_CXDLGFRAME
        case 8:  // SM_CYDLGFRAME
            return host::kFrame;
        default:
            return 0;
    }
}

DWORD GetSysColor(int index) {
    host::Machine& machine = host::TheMachine();
    machine.Enter("GetSysColor", std::to_string(index));
    return index >= 0 && index < 32 ? machine.ui.sysColors[index] : 0;
}

BOOL WinHelpA(HWND window, LPCSTR helpFile, UINT command, UINT_PTR data) {
    host::Machine& machine = host::TheMachine();
    machine.Enter("WinHelpA", Hex(window) + ", \"" + (helpFile ? helpFile : "") + "\", " +
                                  Hex(command) + ", " + Hex(data));
    return FALSE;  // no help system
}

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    host::Machine& machine = host::TheMachine();
    std::string body = text != nullptr ? text : "";
    std::string title = caption != nullptr ? caption : "Error";
    if (machine.Enter("MessageBoxA",
                      Hex(owner) + ", \"" + body + "\", \"" + title + "\", " + Hex(type)) == 0) {
        machine.lastError = ERROR_NOT_ENOUGH_MEMORY;
        return 0;
    }
    if (owner != nullptr && machine.ui.Live(owner) == nullptr) {
        machine.lastError = kErrorInvalidWindow;
        return 0;
    }
    return machine.ui.ShowMessageBox(machine, owner, body, title, type);
}
