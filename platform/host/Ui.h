#pragma once
// Simulated windows, dialogs built from the real templates, message boxes, the common Save dialog,
// and the user, who plays a test's script while a modal dialog runs.
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "HostWin32.h"

namespace host {

class Machine;

struct Point {
    LONG x = 0;
    LONG y = 0;
};

struct Window {
    HWND handle = nullptr;
    HWND parent = nullptr;  // owner for top-level windows, parent for controls
    int id = 0;             // control id; 0 for top-level windows
    std::string className;  // "#32770" for dialogs; "Button", "Edit", "Static", ...
    std::string text;
    DWORD style = 0;
    DWORD exStyle = 0;
    RECT rect = {0, 0, 0, 0};  // screen coordinates
    bool destroyed = false;
    bool enabled = true;
    HICON bigIcon = nullptr;  // WM_SETICON
    HICON smallIcon = nullptr;
    HICON icon = nullptr;          // STM_SETICON / template icon of an icon static
    HBITMAP bitmap = nullptr;      // STM_SETIMAGE / template bitmap of a bitmap static
    DLGPROC proc = nullptr;        // dialogs: the dialog procedure
    LPOFNHOOKPROC hook = nullptr;  // a picker's hook dialog: the program's hook procedure
    int picker = -1;               // the platform's picker dialog: index into Ui::pickers
    std::vector<HWND> children;    // controls and child dialogs, in creation (template) order
    INT_PTR endResult = 0;
    bool ended = false;
    bool Visible() const { return (style & WS_VISIBLE) != 0; }
};

struct SentMessage {
    HWND to = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    std::uint64_t timeMs = 0;  // the virtual clock when sent
};

struct MessageBoxRecord {
    HWND owner = nullptr;
    std::string text;
    std::string caption;
    UINT style = 0;
    int answer = 0;
    std::uint64_t timeMs = 0;
};

// What the picker (GetSaveFileNameA) was given, and the program's messages to it.
struct PickerRecord {
    HWND owner = nullptr;
    DWORD flags = 0;
    std::string filter;  // NUL bytes shown as '|', up to and including the closing double NUL
    std::string initialDir;
    std::string title;
    std::string initialFile;  // the file-name buffer's content when called
    DWORD maxFile = 0;
    bool defExt = false;  // a default extension was given
    bool hook = false;
    std::vector<std::pair<int, std::string>> setTexts;  // CDM_SETCONTROLTEXT: control id, text
    std::vector<int> hidden;                            // CDM_HIDECONTROL, in order
    HWND dialog = nullptr;      // the platform's dialog (null when it could not be created)
    HWND hookDialog = nullptr;  // the window the hook was called with
};

// One step of the user's script.
struct Action {
    enum Kind {
        Type,          // set the text of control `id` in the active dialog
        Click,         // press the button `id` (WM_COMMAND BN_CLICKED)
        Enter,         // the Enter key: the default push button (or the focused push button)
        Escape,        // the Escape key: IDCANCEL
        Tab,           // move the focus to the next tab stop
        CloseBox,      // the close box: WM_CLOSE, which a dialog turns into IDCANCEL
        Answer,        // answer the next message box with button `id`
        ChooseFolder,  // in the picker, confirm with `text` as the full file path
        CancelPicker,  // in the picker, Cancel
        FailPicker,    // the picker cannot be created: GetSaveFileNameA fails
        Run,           // run `check` (inspect or change the machine while the dialog is up)
    };
    Kind kind = Run;
    int id = 0;
    std::string text;
    std::function<void(Machine&)> check;
};

// Thrown when the program waits for the user and the script has no fitting step left (or the
// next step does not fit, e.g. a message box appears where the script expected a click).
struct ScriptMismatch {
    std::string what;
};

class Ui {
  public:
    // ---- for tests ---------------------------------------------------------------------------
    std::deque<Action> script;
    void Type(int id, std::string text) {
        script.push_back({Action::Type, id, std::move(text), {}});
    }
    void Click(int id) { script.push_back({Action::Click, id, {}, {}}); }
    void Enter() { script.push_back({Action::Enter, 0, {}, {}}); }
    void Escape() { script.push_back({Action::Escape, 0, {}, {}}); }
    void Tab() { script.push_back({Action::Tab, 0, {}, {}}); }
    void CloseBox() { script.push_back({Action::CloseBox, 0, {}, {}}); }
    void Answer(int button) { script.push_back({Action::Answer, button, {}, {}}); }
    void ChooseFolder(std::string fullPath) {
        script.push_back({Action::ChooseFolder, 0, std::move(fullPath), {}});
    }
    void CancelPicker() { script.push_back({Action::CancelPicker, 0, {}, {}}); }
    void FailPicker() { script.push_back({Action::FailPicker, 0, {}, {}}); }
    void Run(std::function<void(Machine&)> check) {
        script.push_back({Action::Run, 0, {}, std::move(check)});
    }

    // When set, every message box is answered by this instead of the script's Answer steps.
    std::function<int(const MessageBoxRecord&)> autoAnswer;
    std::vector<MessageBoxRecord> messageBoxes;
    std::vector<SentMessage> sent;  // every SendMessageA the program made, in order
    std::vector<PickerRecord> pickers;
    std::vector<std::string> dialogsShown;  // template names ("102") in order of DialogBoxParamA
    HWND lastDialog = nullptr;              // the dialog DialogBoxParamA created last

    // The top-level dialog currently running (the innermost modal one), or null.
    Window* ActiveDialog();
    Window* Find(HWND handle);
    // A control of a dialog by id (null when none).
    Window* Control(HWND dialog, int id);
    // The keyboard focus (a control) and whether the cursor is the wait cursor.
    HWND focus = nullptr;
    HCURSOR cursor = nullptr;
    // The resource id an icon handle was loaded from (0 for none or unknown).
    int IconId(HICON icon) const;
    // The resource id of an unmapped bitmap (a template's or a static's), 0 for anything else;
    // mapped bitmaps are in mappedBitmaps.
    int BitmapId(HBITMAP bitmap) const;
    // The system cursor a handle stands for (32514 for IDC_WAIT), 0 for none.
    int CursorId(HCURSOR cursor) const;
    // Screen size and the dialog base units used to convert template units to pixels.
    int screenWidth = 1024;
    int screenHeight = 768;
    int baseUnitX = 6;
    int baseUnitY = 13;
    COLORREF sysColors[32] = {};
    // Mapped bitmaps made by CreateMappedBitmap: the resource id and the palette after mapping.
    struct MappedBitmap {
        int resourceId = 0;
        std::vector<COLORREF> palette;
    };
    std::map<UINT_PTR, MappedBitmap> mappedBitmaps;
    bool failMappedBitmaps = false;

    // ---- for the API implementation -----------------------------------------------------------
    std::map<UINT_PTR, Window> windows;
    std::vector<HWND> modalStack;
    UINT_PTR nextHandle = 0x10000;
    DWORD commDlgError = 0;  // CommDlgExtendedError

    // A live (not destroyed) window, or null.
    Window* Live(HWND handle);
    // Adds a window (its handle is assigned) and links it to its parent's children.
    HWND Create(Window window);
    // Marks a window and its children destroyed, sending WM_DESTROY to the procedures.
    // Without `notify` no procedure is called (the run was abandoned by an exception).
    void Destroy(Machine& machine, HWND handle, bool notify = true);
    // A message to a window: its procedure (dialog procedure or hook) first, then the system's
    // default handling.
    LRESULT Deliver(Machine& machine, HWND handle, UINT message, WPARAM wParam, LPARAM lParam);
    // Builds a dialog from a template resource; null when the bytes are not a valid template.
    HWND CreateFromTemplate(Machine& machine, const std::vector<BYTE>& bytes, HWND owner,
                            DLGPROC proc);
    void EndModal(HWND dialog);  // takes it off modalStack
    // Tab stops (visible, enabled, WS_TABSTOP) in template order; NextTabStop wraps around.
    HWND FirstTabStop(HWND dialog);
    HWND NextTabStop(HWND dialog, HWND from);
    // Plays the script while the modal dialog runs, until EndDialog is called.
    void RunModal(Machine& machine, HWND dialog);
    // The user's next step while `waitingFor` is up: runs the leading Run steps, then takes the
    // next step off the script (a ScriptMismatch when there is none).
    Action NextStep(Machine& machine, const std::string& waitingFor);
    // The modal message box: recorded, answered from the script, the owner disabled meanwhile.
    int ShowMessageBox(Machine& machine, HWND owner, const std::string& text,
                       const std::string& caption, UINT style);
    // Disables the top-level window of `owner` (if any) until Restore.
    struct OwnerLock {
        HWND owner = nullptr;
        bool wasEnabled = false;
    };
    OwnerLock DisableOwner(HWND owner);
    void Restore(const OwnerLock& lock);
    // The top-left corner of a window's client area, in screen coordinates.
    Point ClientOrigin(const Window& window) const;
};

// The fixed frame of a top-level window: its border on each side and the caption's height.
const int kFrame = 3;
const int kCaption = 19;

}  // namespace host
