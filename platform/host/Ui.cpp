#include "Ui.h"

#include <cctype>
#include <cstring>

#include "Machine.h"

namespace host {

namespace {

const DWORD kCaptionStyle = 0x00C00000;  // WS_CAPTION
const DWORD kSysMenu = 0x00080000;       // WS_SYSMENU
const DWORD kSetFont = 0x40;             // DS_SETFONT
const DWORD kShellFont = 0x48;           // DS_SHELLFONT
const DWORD kTypeMask = 0x1F;            // SS_TYPEMASK
const DWORD kIconStatic = 0x03;          // SS_ICON
const DWORD kBitmapStatic = 0x0E;        // SS_BITMAP
const DWORD kButtonTypeMask = 0x0F;
const DWORD kGroupBox = 0x07;     // BS_GROUPBOX
const UINT kGetIcon = 0x007F;     // WM_GETICON
const WORD kEditChange = 0x0300;  // EN_CHANGE

bool SameText(const std::string& a, const char* b) {
    std::size_t n = std::strlen(b);
    if (a.size() != n) {
        return false;
    }
    for (std::size_t i = 0; i < n; ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

// MulDiv, as the dialog manager converts dialog units: rounded half away from zero.
LONG Scale(int value, int numerator, int denominator) {
    long long product = static_cast<long long>(value) * numerator;
    long long half = denominator / 2;
    return static_cast<LONG>(product >= 0 ? (product + half) / denominator
                                          : -((-product + half) / denominator));
}

bool IsPushButton(const Window& window) {
    DWORD type = window.style & kButtonTypeMask;
    return SameText(window.className, "Button") && (type == 0 || type == BS_DEFPUSHBUTTON);
}

// ---- dialog templates ----------------------------------------------------------------------

class TemplateReader {
  public:
    explicit TemplateReader(const std::vector<BYTE>& bytes) : bytes_(bytes) {}
    bool ok = true;
    std::size_t at = 0;
    WORD Word() {
        if (at + 2 > bytes_.size()) {
            ok = false;
            return 0;
        }
        WORD value = static_cast<WORD>(bytes_[at] | (bytes_[at + 1] << 8));
        at += 2;
        return value;
    }
    DWORD Dword() {
        DWORD low = Word();
        DWORD high = Word();
        return low | (high << 16);
    }
    short Short() { return static_cast<short>(Word()); }
    std::string String() {
        std::string text;
        for (WORD c = Word(); ok && c != 0; c = Word()) {
            text += c < 0x100 ? static_cast<char>(c) : '?';
        }
        return text;
    }
    // A field that is empty (0), an ordinal (0xFFFF, number) or a string.
    void Field(bool& isOrdinal, WORD& ordinal, std::string& text) {
        isOrdinal = false;
        ordinal = 0;
        text.clear();
        WORD first = Word();
        if (!ok || first == 0) {
            return;
        }
        if (first == 0xFFFF) {
            isOrdinal = true;
            ordinal = Word();
            return;
        }
        at -= 2;
        text = String();
    }
    void Align() { at = (at + 3) & ~static_cast<std::size_t>(3); }

  private:
    const std::vector<BYTE>& bytes_;
};

struct TemplateItem {
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    int id = 0;
    std::string className;
    bool textIsOrdinal = false;
    WORD textOrdinal = 0;
    std::string text;
};

struct DialogTemplate {
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    std::string className;
    std::string title;
    std::vector<TemplateItem> items;
};

std::string AtomClass(WORD atom) {
    switch (atom) {
        case 0x80:
            return "Button";
        case 0x81:
            return "Edit";
        case 0x82:
            return "Static";
        case 0x83:
            return "ListBox";
        case 0x84:
            return "ScrollBar";
        case 0x85:
            return "ComboBox";
        default:
            return "#" + std::to_string(atom);
    }
}

// Class names are case-insensitive; the system's own classes answer with their registered name.
std::string ClassName(bool isOrdinal, WORD ordinal, const std::string& text) {
    if (isOrdinal) {
        return AtomClass(ordinal);
    }
    for (WORD atom = 0x80; atom <= 0x85; ++atom) {
        std::string known = AtomClass(atom);
        if (SameText(text, known.c_str())) {
            return known;
        }
    }
    return text;
}

// DLGTEMPLATEEX (version 1, signature 0xFFFF) or the plain DLGTEMPLATE.
bool ParseTemplate(const std::vector<BYTE>& bytes, DialogTemplate& out) {
    TemplateReader r(bytes);
    bool extended =
        bytes.size() >= 4 && bytes[0] == 1 && bytes[1] == 0 && bytes[2] == 0xFF && bytes[3] == 0xFF;
    WORD count = 0;
    if (extended) {
        r.at = 4;
        r.Dword();  // help id
        out.exStyle = r.Dword();
        out.style = r.Dword();
    } else {
        out.style = r.Dword();
        out.exStyle = r.Dword();
    }
    count = r.Word();
    out.x = r.Short();
    out.y = r.Short();
    out.cx = r.Short();
    out.cy = r.Short();
    bool isOrdinal = false;
    WORD ordinal = 0;
    std::string text;
    r.Field(isOrdinal, ordinal, text);  // menu
    r.Field(isOrdinal, ordinal, text);  // window class
    out.className = ClassName(isOrdinal, ordinal, text);
    out.title = r.String();
    if ((out.style & kSetFont) != 0 || (out.style & kShellFont) == kShellFont) {
        r.Word();  // point size
        if (extended) {
            r.Word();  // weight
            r.Word();  // italic, character set
        }
        r.String();  // typeface
    }
    for (WORD i = 0; i < count && r.ok; ++i) {
        r.Align();
        TemplateItem item;
        if (extended) {
            r.Dword();  // help id
            item.exStyle = r.Dword();
            item.style = r.Dword();
        } else {
            item.style = r.Dword();
            item.exStyle = r.Dword();
        }
        item.x = r.Short();
        item.y = r.Short();
        item.cx = r.Short();
        item.cy = r.Short();
        item.id = extended ? static_cast<int>(r.Dword()) : r.Word();
        r.Field(isOrdinal, ordinal, text);
        item.className = ClassName(isOrdinal, ordinal, text);
        r.Field(item.textIsOrdinal, item.textOrdinal, item.text);
        WORD extra = r.Word();
        r.at += extra;
        out.items.push_back(item);
    }
    return r.ok && r.at <= bytes.size();
}

// ---- the user's script -----------------------------------------------------------------------

const char* KindName(Action::Kind kind) {
    switch (kind) {
        case Action::Type:
            return "Type";
        case Action::Click:
            return "Click";
        case Action::Enter:
            return "Enter";
        case Action::Escape:
            return "Escape";
        case Action::Tab:
            return "Tab";
        case Action::CloseBox:
            return "CloseBox";
        case Action::Answer:
            return "Answer";
        case Action::ChooseFolder:
            return "ChooseFolder";
        case Action::CancelPicker:
            return "CancelPicker";
        case Action::FailPicker:
            return "FailPicker";
        case Action::Run:
            return "Run";
    }
    return "?";
}

[[noreturn]] void Mismatch(const Action& action, const std::string& waitingFor,
                           const std::string& why) {
    std::string what = std::string("script step ") + KindName(action.kind);
    if (action.id != 0) {
        what += "(" + std::to_string(action.id) + ")";
    }
    throw ScriptMismatch{what + " does not fit " + waitingFor + ": " + why};
}

Action TakeStep(Ui& ui, const std::string& waitingFor) {
    if (ui.script.empty()) {
        throw ScriptMismatch{"the script has no step left while " + waitingFor +
                             " waits for the user"};
    }
    Action action = std::move(ui.script.front());
    ui.script.pop_front();
    return action;
}

std::vector<int> OfferedButtons(UINT style) {
    switch (style & 0x0F) {
        case 0:  // MB_OK
            return {IDOK};
        case 1:  // MB_OKCANCEL
            return {IDOK, IDCANCEL};
        case 2:  // MB_ABORTRETRYIGNORE
            return {IDABORT, IDRETRY, IDIGNORE};
        case 3:  // MB_YESNOCANCEL
            return {IDYES, IDNO, IDCANCEL};
        case 4:  // MB_YESNO
            return {IDYES, IDNO};
        case 5:  // MB_RETRYCANCEL
            return {IDRETRY, IDCANCEL};
        case 6:  // MB_CANCELTRYCONTINUE
            return {IDCANCEL, 10, 11};
        default:
            return {};
    }
}

}  // namespace

// ---- queries ---------------------------------------------------------------------------------

Window* Ui::ActiveDialog() {
    for (auto it = modalStack.rbegin(); it != modalStack.rend(); ++it) {
        if (Window* window = Live(*it)) {
            return window;
        }
    }
    return nullptr;
}

Window* Ui::Find(HWND handle) {
    auto found = windows.find(reinterpret_cast<UINT_PTR>(handle));
    return found == windows.end() ? nullptr : &found->second;
}

Window* Ui::Live(HWND handle) {
    Window* window = Find(handle);
    return window == nullptr || window->destroyed ? nullptr : window;
}

Window* Ui::Control(HWND dialog, int id) {
    Window* parent = Find(dialog);
    if (parent == nullptr) {
        return nullptr;
    }
    for (HWND child : parent->children) {
        Window* window = Find(child);
        if (window != nullptr && window->id == id && (parent->destroyed || !window->destroyed)) {
            return window;
        }
    }
    return nullptr;
}

int Ui::IconId(HICON icon) const {
    return Resources::IconIdOf(icon);
}

int Ui::BitmapId(HBITMAP bitmap) const {
    return Resources::BitmapIdOf(bitmap);
}

int Ui::CursorId(HCURSOR cursor) const {
    return Resources::SystemCursorIdOf(cursor);
}

Point Ui::ClientOrigin(const Window& window) const {
    Point origin{window.rect.left, window.rect.top};
    if ((window.style & WS_CHILD) == 0) {
        origin.x += kFrame;
        origin.y += kFrame + ((window.style & kCaptionStyle) == kCaptionStyle ? kCaption : 0);
    }
    return origin;
}

// ---- window lifetime -------------------------------------------------------------------------

HWND Ui::Create(Window window) {
    HWND handle = reinterpret_cast<HWND>(nextHandle++);
    window.handle = handle;
    HWND parent = window.parent;
    bool child = (window.style & WS_CHILD) != 0;
    windows[reinterpret_cast<UINT_PTR>(handle)] = std::move(window);
    if (child) {
        if (Window* parentWindow = Find(parent)) {
            parentWindow->children.push_back(handle);
        }
    }
    return handle;
}

void Ui::Destroy(Machine& machine, HWND handle, bool notify) {
    Window* window = Live(handle);
    if (window == nullptr) {
        return;
    }
    // The window hears WM_DESTROY before its children are destroyed.
    if (notify) {
        Deliver(machine, handle, WM_DESTROY, 0, 0);
    }
    std::vector<HWND> children = Find(handle)->children;
    for (HWND child : children) {
        Destroy(machine, child, notify);
    }
    window = Find(handle);
    window->destroyed = true;
    if (focus == handle) {
        focus = nullptr;
    }
}

void Ui::EndModal(HWND dialog) {
    for (auto it = modalStack.begin(); it != modalStack.end();) {
        it = *it == dialog ? modalStack.erase(it) : it + 1;
    }
}

Ui::OwnerLock Ui::DisableOwner(HWND owner) {
    OwnerLock lock;
    Window* window = Live(owner);
    while (window != nullptr && (window->style & WS_CHILD) != 0) {
        window = Live(window->parent);
    }
    if (window != nullptr) {
        lock.owner = window->handle;
        lock.wasEnabled = window->enabled;
        window->enabled = false;
    }
    return lock;
}

void Ui::Restore(const OwnerLock& lock) {
    if (Window* window = Live(lock.owner)) {
        if (lock.wasEnabled) {
            window->enabled = true;
        }
    }
}

// ---- messages --------------------------------------------------------------------------------

LRESULT Ui::Deliver(Machine& machine, HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* window = Live(handle);
    if (window == nullptr) {
        return 0;
    }
    // A dialog procedure (or a picker's hook) that handles a message returns nonzero; the caller
    // then sees its message result, which this simulation keeps at 0.
    if (window->proc != nullptr) {
        INT_PTR handled = window->proc(handle, message, wParam, lParam);
        if (handled != 0) {
            return message == WM_INITDIALOG ? handled : 0;
        }
    } else if (window->hook != nullptr) {
        UINT_PTR handled = window->hook(handle, message, wParam, lParam);
        if (handled != 0) {
            return message == WM_INITDIALOG ? static_cast<LRESULT>(handled) : 0;
        }
    }
    window = Live(handle);
    if (window == nullptr) {
        return 0;
    }
    switch (message) {
        case WM_SETTEXT:
            window->text = lParam != 0 ? reinterpret_cast<const char*>(lParam) : "";
            return TRUE;
        case WM_GETTEXT: {
            if (wParam == 0 || lParam == 0) {
                return 0;
            }
            std::size_t count = std::min<std::size_t>(window->text.size(), wParam - 1);
            char* buffer = reinterpret_cast<char*>(lParam);
            std::memcpy(buffer, window->text.data(), count);
            buffer[count] = '\0';
            return static_cast<LRESULT>(count);
        }
        case WM_GETTEXTLENGTH:
            return static_cast<LRESULT>(window->text.size());
        case WM_SETICON: {
            HICON* slot = wParam == ICON_BIG     ? &window->bigIcon
                          : wParam == ICON_SMALL ? &window->smallIcon
                                                 : nullptr;
            if (slot == nullptr) {
                return 0;
            }
            HICON previous = *slot;
            *slot = reinterpret_cast<HICON>(lParam);
            return reinterpret_cast<LRESULT>(previous);
        }
        case kGetIcon:
            return reinterpret_cast<LRESULT>(wParam == ICON_BIG ? window->bigIcon
                                                                : window->smallIcon);
        case WM_CLOSE:
            // The system's default for a dialog: the close box means Cancel.
            if (window->proc != nullptr) {
                HWND cancel = nullptr;
                if (Window* button = Control(handle, IDCANCEL)) {
                    cancel = button->handle;
                }
                Deliver(machine, handle, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                        reinterpret_cast<LPARAM>(cancel));
            }
            return 0;
        default:
            break;
    }
    if (SameText(window->className, "Static")) {
        DWORD type = window->style & kTypeMask;
        HICON icon =
            reinterpret_cast<HICON>(message == STM_SETICON ? static_cast<LPARAM>(wParam) : lParam);
        bool validIcon = icon == nullptr || IconId(icon) != 0 || Resources::IsSystemIcon(icon);
        switch (message) {
            case STM_SETICON:
            case STM_SETIMAGE:
                if (message == STM_SETIMAGE && wParam == IMAGE_BITMAP) {
                    HBITMAP bitmap = reinterpret_cast<HBITMAP>(lParam);
                    bool valid = bitmap == nullptr || BitmapId(bitmap) != 0 ||
                                 mappedBitmaps.count(reinterpret_cast<UINT_PTR>(bitmap)) != 0;
                    if (type != kBitmapStatic || !valid) {
                        return 0;
                    }
                    HBITMAP previous = window->bitmap;
                    window->bitmap = bitmap;
                    return reinterpret_cast<LRESULT>(previous);
                }
                if (message == STM_SETIMAGE && wParam != IMAGE_ICON) {
                    return 0;
                }
                if (type != kIconStatic || !validIcon) {
                    return 0;
                } else {
                    HICON previous = window->icon;
                    window->icon = icon;
                    return reinterpret_cast<LRESULT>(previous);
                }
            case STM_GETICON:
                return reinterpret_cast<LRESULT>(window->icon);
            case STM_GETIMAGE:
                if (wParam == IMAGE_BITMAP) {
                    return type == kBitmapStatic ? reinterpret_cast<LRESULT>(window->bitmap) : 0;
                }
                return wParam == IMAGE_ICON ? reinterpret_cast<LRESULT>(window->icon) : 0;
            default:
                return 0;
        }
    }
    // The explorer-style picker handles the control messages of its hook; the old-style one
    // does not know them.
    if (window->picker >= 0 && static_cast<std::size_t>(window->picker) < pickers.size() &&
        (pickers[window->picker].flags & OFN_EXPLORER) != 0) {
        PickerRecord& record = pickers[window->picker];
        int id = static_cast<int>(wParam);
        if (message == CDM_SETCONTROLTEXT) {
            std::string text = lParam != 0 ? reinterpret_cast<const char*>(lParam) : "";
            record.setTexts.push_back({id, text});
            if (Window* control = Control(handle, id)) {
                if (lParam != 0) {
                    control->text = text;
                }
            }
            return TRUE;
        }
        if (message == CDM_HIDECONTROL) {
            record.hidden.push_back(id);
            if (Window* control = Control(handle, id)) {
                control->style &= ~static_cast<DWORD>(WS_VISIBLE);
            }
            return TRUE;
        }
    }
    (void)machine;
    return 0;
}

// ---- dialogs ---------------------------------------------------------------------------------

HWND Ui::CreateFromTemplate(Machine& machine, const std::vector<BYTE>& bytes, HWND owner,
                            DLGPROC proc) {
    DialogTemplate dialog;
    if (!ParseTemplate(bytes, dialog)) {
        return nullptr;
    }
    Window window;
    window.parent = owner;
    window.className = dialog.className.empty() ? "#32770" : dialog.className;
    window.text = dialog.title;
    // Shown after its initialisation, as the dialog manager does.
    window.style = dialog.style & ~static_cast<DWORD>(WS_VISIBLE);
    window.exStyle = dialog.exStyle;
    window.enabled = (dialog.style & WS_DISABLED) == 0;
    window.proc = proc;

    // The template places the client area; the frame and caption lie around it.
    LONG width = Scale(dialog.cx, baseUnitX, 4);
    LONG height = Scale(dialog.cy, baseUnitY, 8);
    bool child = (dialog.style & WS_CHILD) != 0;
    LONG frame = child ? 0 : kFrame;
    LONG caption = !child && (dialog.style & kCaptionStyle) == kCaptionStyle ? kCaption : 0;
    LONG outerWidth = width + 2 * frame;
    LONG outerHeight = height + 2 * frame + caption;
    LONG left = 0;
    LONG top = 0;
    if ((dialog.style & DS_CENTER) != 0 && !child) {
        left = (screenWidth - outerWidth) / 2;
        top = (screenHeight - outerHeight) / 2;
    } else {
        Point origin;
        if (Window* ownerWindow = Live(owner)) {
            origin = ClientOrigin(*ownerWindow);
        }
        left = origin.x + Scale(dialog.x, baseUnitX, 4) - frame;
        top = origin.y + Scale(dialog.y, baseUnitY, 8) - frame - caption;
        if (!child) {
            // Kept on the screen.
            left = std::max<LONG>(0, std::min<LONG>(left, screenWidth - outerWidth));
            top = std::max<LONG>(0, std::min<LONG>(top, screenHeight - outerHeight));
        }
    }
    window.rect = {left, top, left + outerWidth, top + outerHeight};
    HWND handle = Create(window);
    Point origin = ClientOrigin(*Find(handle));

    for (const TemplateItem& item : dialog.items) {
        Window control;
        control.parent = handle;
        control.id = item.id;
        control.className = item.className;
        control.style = item.style | WS_CHILD;
        control.exStyle = item.exStyle;
        control.enabled = (item.style & WS_DISABLED) == 0;
        LONG x = origin.x + Scale(item.x, baseUnitX, 4);
        LONG y = origin.y + Scale(item.y, baseUnitY, 8);
        control.rect = {x, y, x + Scale(item.cx, baseUnitX, 4), y + Scale(item.cy, baseUnitY, 8)};
        DWORD type = item.style & kTypeMask;
        bool isStatic = SameText(item.className, "Static");
        if (item.textIsOrdinal) {
            ResId image = ResId::Number(item.textOrdinal);
            if (isStatic && type == kIconStatic) {
                control.icon = machine.resources.IconHandle(image);
            } else if (isStatic && type == kBitmapStatic) {
                control.bitmap = machine.resources.BitmapHandle(image);
            }
        } else {
            control.text = item.text;
            if (isStatic && type == kIconStatic) {
                control.icon = machine.resources.IconHandle(ResId::From(item.text.c_str()));
                control.text.clear();
            } else if (isStatic && type == kBitmapStatic) {
                control.bitmap = machine.resources.BitmapHandle(ResId::From(item.text.c_str()));
                control.text.clear();
            }
        }
        Create(control);
    }
    return handle;
}

static bool CanTakeFocus(const Window& control) {
    return !control.destroyed && control.enabled && control.Visible() &&
           (control.style & WS_TABSTOP) != 0;
}

HWND Ui::FirstTabStop(HWND dialog) {
    Ui& ui = *this;
    for (HWND child : ui.Find(dialog)->children) {
        if (CanTakeFocus(*ui.Find(child))) {
            return child;
        }
    }
    return nullptr;
}

HWND Ui::NextTabStop(HWND dialog, HWND from) {
    Ui& ui = *this;
    const std::vector<HWND>& children = ui.Find(dialog)->children;
    std::size_t start = children.size();
    for (std::size_t i = 0; i < children.size(); ++i) {
        if (children[i] == from) {
            start = i;
        }
    }
    for (std::size_t step = 1; step <= children.size(); ++step) {
        HWND candidate = children[(start + step) % children.size()];
        if (CanTakeFocus(*ui.Find(candidate))) {
            return candidate;
        }
    }
    return from;
}

void Ui::RunModal(Machine& machine, HWND dialog) {
    Window* window = Find(dialog);
    std::string waitingFor = "the dialog \"" + window->text + "\"";
    for (;;) {
        window = Find(dialog);
        if (window->ended || window->destroyed) {
            return;
        }
        Action action = TakeStep(*this, waitingFor);
        auto control = [&](int id, const char* what) {
            Window* found = Control(dialog, id);
            if (found == nullptr || found->destroyed) {
                Mismatch(action, waitingFor,
                         std::string("it has no control ") + std::to_string(id) + " to " + what);
            }
            if (!found->enabled || !found->Visible()) {
                Mismatch(action, waitingFor,
                         "control " + std::to_string(id) + " is disabled or hidden");
            }
            return found;
        };
        switch (action.kind) {
            case Action::Run:
                if (action.check) {
                    action.check(machine);
                }
                break;
            case Action::Type: {
                Window* edit = control(action.id, "type into");
                if (!SameText(edit->className, "Edit") && !SameText(edit->className, "ComboBox")) {
                    Mismatch(action, waitingFor,
                             "control " + std::to_string(action.id) + " takes no typing");
                }
                edit->text = action.text;
                focus = edit->handle;
                if (SameText(edit->className, "Edit")) {
                    Deliver(machine, dialog, WM_COMMAND, MAKEWPARAM(action.id, kEditChange),
                            reinterpret_cast<LPARAM>(edit->handle));
                }
                break;
            }
            case Action::Click: {
                Window* button = control(action.id, "click");
                if (!SameText(button->className, "Button") ||
                    (button->style & kButtonTypeMask) == kGroupBox) {
                    Mismatch(action, waitingFor,
                             "control " + std::to_string(action.id) + " is not a button");
                }
                Deliver(machine, dialog, WM_COMMAND, MAKEWPARAM(action.id, BN_CLICKED),
                        reinterpret_cast<LPARAM>(button->handle));
                break;
            }
            case Action::Enter: {
                // A focused push button takes the key; otherwise the default push button, if it is
                // enabled; a dialog without one hears IDOK.
                Window* target = nullptr;
                Window* focused = Live(focus);
                if (focused != nullptr && focused->parent == dialog && IsPushButton(*focused) &&
                    focused->enabled) {
                    target = focused;
                } else {
                    for (HWND child : Find(dialog)->children) {
                        Window* candidate = Find(child);
                        if (!candidate->destroyed && SameText(candidate->className, "Button") &&
                            (candidate->style & kButtonTypeMask) == BS_DEFPUSHBUTTON) {
                            target = candidate;
                            break;
                        }
                    }
                    if (target != nullptr && !target->enabled) {
                        break;
                    }
                }
                if (target != nullptr) {
                    Deliver(machine, dialog, WM_COMMAND, MAKEWPARAM(target->id, BN_CLICKED),
                            reinterpret_cast<LPARAM>(target->handle));
                } else {
                    Window* ok = Control(dialog, IDOK);
                    Deliver(machine, dialog, WM_COMMAND, IDOK,
                            reinterpret_cast<LPARAM>(ok != nullptr ? ok->handle : nullptr));
                }
                break;
            }
            case Action::Escape: {
                Window* cancel = Control(dialog, IDCANCEL);
                Deliver(machine, dialog, WM_COMMAND, IDCANCEL,
                        reinterpret_cast<LPARAM>(cancel != nullptr ? cancel->handle : nullptr));
                break;
            }
            case Action::CloseBox:
                if ((Find(dialog)->style & kSysMenu) == 0) {
                    Mismatch(action, waitingFor, "it has no close box");
                }
                Deliver(machine, dialog, WM_CLOSE, 0, 0);
                break;
            case Action::Tab:
                focus = NextTabStop(dialog, focus);
                break;
            default:
                Mismatch(action, waitingFor, "no message box or folder picker is open");
        }
    }
}

Action Ui::NextStep(Machine& machine, const std::string& waitingFor) {
    for (;;) {
        Action action = TakeStep(*this, waitingFor);
        if (action.kind != Action::Run) {
            return action;
        }
        if (action.check) {
            action.check(machine);
        }
    }
}

int Ui::ShowMessageBox(Machine& machine, HWND owner, const std::string& text,
                       const std::string& caption, UINT style) {
    std::size_t index = messageBoxes.size();
    messageBoxes.push_back({owner, text, caption, style, 0, machine.processes.nowMs});
    struct Scope {
        Ui& ui;
        OwnerLock lock;
        ~Scope() { ui.Restore(lock); }
    } scope{*this, DisableOwner(owner)};
    std::string waitingFor = "the message box \"" + text + "\"";
    std::vector<int> offered = OfferedButtons(style);
    if (autoAnswer) {
        int answer = autoAnswer(messageBoxes[index]);
        if (std::find(offered.begin(), offered.end(), answer) == offered.end()) {
            throw ScriptMismatch{waitingFor + ": the automatic answer is no button of the box"};
        }
        messageBoxes[index].answer = answer;
        return answer;
    }
    Action action = NextStep(machine, waitingFor);
    if (action.kind != Action::Answer) {
        Mismatch(action, waitingFor, "a message box waits for an answer");
    }
    if (std::find(offered.begin(), offered.end(), action.id) == offered.end()) {
        Mismatch(action, waitingFor, "the box has no such button");
    }
    messageBoxes[index].answer = action.id;
    return action.id;
}

}  // namespace host
