// tolvane-driver: one command per invocation, run inside the same Wine prefix as the program
// under test. It finds a visible top-level window by caption (class "#32770" unless --class
// says otherwise, "*" for any; --with-id N: only one that has control N; --wait MS: poll until
// it is shown), reads or drives it, and writes one JSON object to the file given with --out
// (capturing wine64 output through a pipe is slow). Exit code 0 when the command succeeded.
//
//   inspect  [--no-children] [--any-visibility]   caption, class, styles, rect, owner, centring,
//                                                  focus, and every child control with its text
//   click    --id N [--how command|bm]            press a button
//   answer   --id N                               end a message box or dialog with a button id
//   close    [--how syscommand|wmclose]           the close box
//   key      --key escape|enter|tab|space [--how post|input]   to the focused control
//   settext  --id N --text TEXT                   WM_SETTEXT on a control
//   picker   [--set-name TEXT] [--ok]             the Save dialog's current folder, its name box
//   (inspect --quick: children by GetWindowTextA and no icon query, for a program blocked in a
//   wait; click --time-until CAPTION [--within MS]: milliseconds until that window is shown)
//
// Commands that need no window (no --caption):
//   hold     --path P [--seconds N] [--ready F] [--release G]   open P with share mode 0, create F
//            once it is open, keep it open N seconds (default 60) or until G exists
//   launch   --exe P [--dir D] --caption C [--within MS]  start P, milliseconds until C is shown
//   copyrun  --from F --to T [--args A]            CopyFileA, then run T A once and wait for it
//   watch    --image NAME --caption C [--within MS]   wait for the running NAME.exe to end, then
//            milliseconds until C is shown
#include <windows.h>
#include <commdlg.h>
#include <commctrl.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

using Options = std::map<std::string, std::string>;

// Cross-process SendMessage must never wait on a program that is blocked in its own loop.
const UINT kSendTimeoutMs = 500;

class Json {
  public:
    void Key(const char* name) {
        Separate();
        Quote(name);
        out += ':';
        afterKey = true;
    }
    void Str(const std::string& s) {
        Separate();
        Quote(s);
    }
    void Num(long long v) {
        Separate();
        out += std::to_string(v);
    }
    void Bool(bool v) {
        Separate();
        out += v ? "true" : "false";
    }
    void Null() {
        Separate();
        out += "null";
    }
    void Open(char c) {
        Separate();
        out += c;
        first = true;
    }
    void Close(char c) {
        out += c;
        first = false;
    }
    void Rect(const RECT& r) {
        Open('[');
        Num(r.left);
        Num(r.top);
        Num(r.right);
        Num(r.bottom);
        Close(']');
    }
    std::string out;

  private:
    void Separate() {
        if (afterKey) {
            afterKey = false;
            return;
        }
        if (!first && !out.empty())
            out += ',';
        first = false;
    }
    void Quote(const std::string& s) {
        out += '"';
        for (unsigned char c : s) {
            if (c == '"' || c == '\\') {
                out += '\\';
                out += static_cast<char>(c);
            } else if (c < 0x20 || c >= 0x7f) {
                // Bytes are shown as code points 0-255, so the runner sees the exact ANSI bytes.
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            } else {
                out += static_cast<char>(c);
            }
        }
        out += '"';
    }
    bool first = true;
    bool afterKey = false;
};

std::string Opt(const Options& o, const char* name, const char* fallback = "") {
    auto it = o.find(name);
    return it == o.end() ? fallback : it->second;
}

long OptNum(const Options& o, const char* name, long fallback) {
    auto it = o.find(name);
    return it == o.end() ? fallback : std::strtol(it->second.c_str(), nullptr, 0);
}

std::string ClassOf(HWND w) {
    char buf[256] = {};
    GetClassNameA(w, buf, sizeof buf);
    return buf;
}

std::string CaptionOf(HWND w) {
    char buf[1024] = {};
    GetWindowTextA(w, buf, sizeof buf);
    return buf;
}

// WM_GETTEXT is marshalled across processes; GetWindowText is not for another program's edits.
bool TextOf(HWND w, std::string& text) {
    DWORD_PTR len = 0;
    if (!SendMessageTimeoutA(w, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &len))
        return false;
    std::vector<char> buf(len + 2, '\0');
    DWORD_PTR got = 0;
    if (!SendMessageTimeoutA(w, WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data()),
                             SMTO_ABORTIFHUNG, kSendTimeoutMs, &got))
        return false;
    text.assign(buf.data(), got < buf.size() ? got : buf.size() - 1);
    return true;
}

struct FindRequest {
    std::string caption;
    std::string cls;
    long withId;
    bool anyVisibility;
    HWND found;
    int count;
};

BOOL CALLBACK MatchTopLevel(HWND w, LPARAM p) {
    auto* req = reinterpret_cast<FindRequest*>(p);
    if (!req->anyVisibility && !IsWindowVisible(w))
        return TRUE;
    if (!req->cls.empty() && ClassOf(w) != req->cls)
        return TRUE;
    if (CaptionOf(w) != req->caption)
        return TRUE;
    if (req->withId >= 0 && !GetDlgItem(w, static_cast<int>(req->withId)))
        return TRUE;
    if (!req->found)
        req->found = w;
    ++req->count;
    return TRUE;
}

// Polls until a matching visible window exists or --wait (default 0) has passed.
HWND FindTarget(const Options& o, int* count, std::string& err) {
    FindRequest req{Opt(o, "caption"),
                    Opt(o, "class", "#32770"),
                    OptNum(o, "with-id", -1),
                    o.count("any-visibility") > 0,
                    nullptr,
                    0};
    if (req.cls == "*")
        req.cls.clear();
    DWORD deadline = GetTickCount() + static_cast<DWORD>(OptNum(o, "wait", 0));
    for (;;) {
        req.found = nullptr;
        req.count = 0;
        EnumWindows(MatchTopLevel, reinterpret_cast<LPARAM>(&req));
        if (req.found || static_cast<LONG>(GetTickCount() - deadline) >= 0)
            break;
        Sleep(20);
    }
    if (count)
        *count = req.count;
    if (!req.found)
        err = "no visible window \"" + req.caption + "\" of class \"" + req.cls + "\"";
    return req.found;
}

HWND FocusOf(HWND top) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(top, nullptr), &info))
        return nullptr;
    return info.hwndFocus;
}

// Whether an icon static holds an icon. Icon handles differ between processes under Wine, so
// which icon it is comes from the screenshot.
bool HasIcon(HWND w) {
    DWORD_PTR icon = 0;
    return SendMessageTimeoutA(w, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &icon) &&
           icon != 0;
}

// withText: the text by WM_GETTEXT and the icon query (both wait on the owning thread), else the
// text by GetWindowTextA, which does not.
void WriteWindowFields(Json& j, HWND w, bool withText) {
    RECT r{};
    GetWindowRect(w, &r);
    j.Key("id");
    j.Num(GetDlgCtrlID(w));
    j.Key("class");
    j.Str(ClassOf(w));
    j.Key("text");
    std::string text;
    if (withText && TextOf(w, text))
        j.Str(text);
    else if (withText)
        j.Null();
    else
        j.Str(CaptionOf(w));
    j.Key("style");
    j.Num(static_cast<DWORD>(GetWindowLongA(w, GWL_STYLE)));
    j.Key("exstyle");
    j.Num(static_cast<DWORD>(GetWindowLongA(w, GWL_EXSTYLE)));
    j.Key("rect");
    j.Rect(r);
    j.Key("visible");
    j.Bool(IsWindowVisible(w) != FALSE);
    j.Key("enabled");
    j.Bool(IsWindowEnabled(w) != FALSE);
    if (withText && ClassOf(w) == "Static" &&
        (GetWindowLongA(w, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
        j.Key("has_icon");
        j.Bool(HasIcon(w));
    }
}

BOOL CALLBACK CollectChild(HWND w, LPARAM p) {
    auto* list = reinterpret_cast<std::vector<HWND>*>(p);
    if (GetParent(w) == list->front())
        list->push_back(w);
    return TRUE;
}

// Everything about one top-level window and its direct children, in Z (= tab) order.
bool CmdInspect(const Options& o, HWND w, Json& j, std::string&) {
    RECT r{};
    GetWindowRect(w, &r);
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    HWND owner = GetWindow(w, GW_OWNER);
    HWND focus = FocusOf(w);

    WriteWindowFields(j, w, false);
    j.Key("hwnd");
    j.Num(reinterpret_cast<LONG_PTR>(w));
    j.Key("pid");
    j.Num(pid);
    j.Key("owner");
    j.Num(reinterpret_cast<LONG_PTR>(owner));
    j.Key("owner_caption");
    owner ? j.Str(CaptionOf(owner)) : j.Null();
    j.Key("screen");
    j.Open('[');
    j.Num(sw);
    j.Num(sh);
    j.Close(']');
    j.Key("workarea");
    j.Rect(work);
    // Centred within a pixel of rounding either way.
    long dx = (r.left + r.right) - sw, dy = (r.top + r.bottom) - sh;
    j.Key("centred");
    j.Bool(dx >= -2 && dx <= 2 && dy >= -2 && dy <= 2);
    j.Key("focus_id");
    focus ? j.Num(GetDlgCtrlID(focus)) : j.Null();
    j.Key("foreground");
    j.Bool(GetForegroundWindow() == w);

    std::vector<HWND> children{w};
    if (!o.count("no-children"))
        EnumChildWindows(w, CollectChild, reinterpret_cast<LPARAM>(&children));
    j.Key("children");
    j.Open('[');
    const bool quick = o.count("quick") > 0;
    for (size_t i = 1; i < children.size(); ++i) {
        j.Open('{');
        WriteWindowFields(j, children[i], !quick);
        j.Close('}');
    }
    j.Close(']');
    return true;
}

HWND Control(HWND w, const Options& o, std::string& err) {
    HWND c = GetDlgItem(w, static_cast<int>(OptNum(o, "id", 0)));
    if (!c)
        err = "no control with id " + Opt(o, "id");
    return c;
}

double NowMs() {
    static LARGE_INTEGER freq;
    if (freq.QuadPart == 0)
        QueryPerformanceFrequency(&freq);
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(freq.QuadPart);
}

BOOL CALLBACK MatchShown(HWND w, LPARAM p) {
    auto* req = reinterpret_cast<std::pair<std::string, HWND>*>(p);
    if (IsWindowVisible(w) && ClassOf(w) == "#32770" && CaptionOf(w) == req->first) {
        req->second = w;
        return FALSE;
    }
    return TRUE;
}

// Polls every millisecond for a visible dialog with that caption; false after withinMs.
bool WaitShown(const std::string& caption, double startMs, long withinMs, double* elapsedMs) {
    for (;;) {
        std::pair<std::string, HWND> req{caption, nullptr};
        EnumWindows(MatchShown, reinterpret_cast<LPARAM>(&req));
        *elapsedMs = NowMs() - startMs;
        if (req.second)
            return true;
        if (*elapsedMs > withinMs)
            return false;
        Sleep(1);
    }
}

void Milliseconds(Json& j, const char* key, double ms) {
    j.Key(key);
    j.Num(static_cast<long long>(ms * 1000.0 + 0.5));  // in microseconds: JSON has no floats here
}

// Waits for a window to be shown after `startMs` and reports the time it took as "elapsed_us".
bool ReportShown(const Options& o, const std::string& caption, double startMs, Json& j,
                 std::string& err) {
    double elapsed = 0;
    bool shown = WaitShown(caption, startMs, OptNum(o, "within", 20000), &elapsed);
    Milliseconds(j, "elapsed_us", elapsed);
    if (!shown)
        err = "\"" + caption + "\" not shown in time";
    return shown;
}

bool CmdClick(const Options& o, HWND w, Json& j, std::string& err) {
    HWND c = Control(w, o, err);
    if (!c)
        return false;
    int id = GetDlgCtrlID(c);
    const double start = NowMs();
    // Posting keeps the driver free when the click opens a modal window.
    bool posted;
    if (Opt(o, "how", "command") == "bm")
        posted = PostMessageA(c, BM_CLICK, 0, 0) != FALSE;
    else
        posted = PostMessageA(w, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                              reinterpret_cast<LPARAM>(c)) != FALSE;
    if (!posted || !o.count("time-until"))
        return posted;
    return ReportShown(o, Opt(o, "time-until"), start, j, err);
}

bool CmdAnswer(const Options& o, HWND w, Json&, std::string&) {
    // Message boxes and dialogs end on WM_COMMAND with the button id, whether or not it exists.
    return PostMessageA(w, WM_COMMAND, static_cast<WPARAM>(OptNum(o, "id", IDOK)), 0) != FALSE;
}

bool CmdClose(const Options& o, HWND w, Json&, std::string&) {
    if (Opt(o, "how", "syscommand") == "wmclose")
        return PostMessageA(w, WM_CLOSE, 0, 0) != FALSE;
    return PostMessageA(w, WM_SYSCOMMAND, SC_CLOSE, 0) != FALSE;
}

bool SendKeyInput(WORD vk) {
    INPUT in[2] = {};
    in[0].type = in[1].type = INPUT_KEYBOARD;
    in[0].ki.wVk = in[1].ki.wVk = vk;
    in[1].ki.dwFlags = KEYEVENTF_KEYUP;
    return SendInput(2, in, sizeof(INPUT)) == 2;
}

bool CmdKey(const Options& o, HWND w, Json& j, std::string& err) {
    static const std::map<std::string, WORD> keys = {
        {"escape", VK_ESCAPE}, {"enter", VK_RETURN}, {"tab", VK_TAB}, {"space", VK_SPACE}};
    auto k = keys.find(Opt(o, "key"));
    if (k == keys.end()) {
        err = "unknown key \"" + Opt(o, "key") + "\"";
        return false;
    }
    HWND target = FocusOf(w);
    if (!target)
        target = w;
    j.Key("target_id");
    j.Num(GetDlgCtrlID(target));
    if (Opt(o, "how", "post") == "input") {
        SetForegroundWindow(w);
        return SendKeyInput(k->second);
    }
    // The dialog's own loop hands posted keys to IsDialogMessage, like typed ones.
    LPARAM down = 1 | (static_cast<LPARAM>(MapVirtualKeyA(k->second, 0)) << 16);
    LPARAM up = down | (1L << 30) | (1L << 31);
    return PostMessageA(target, WM_KEYDOWN, k->second, down) &&
           PostMessageA(target, WM_KEYUP, k->second, up);
}

bool CmdSetText(const Options& o, HWND w, Json&, std::string& err) {
    HWND c = Control(w, o, err);
    if (!c)
        return false;
    std::string text = Opt(o, "text");
    DWORD_PTR res = 0;
    if (!SendMessageTimeoutA(c, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                             SMTO_ABORTIFHUNG, kSendTimeoutMs, &res)) {
        err = "WM_SETTEXT timed out";
        return false;
    }
    return true;
}

// Memory in another process, released on every path.
class RemoteBuffer {
  public:
    RemoteBuffer(HANDLE process, SIZE_T size)
        : process(process),
          ptr(VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)) {}
    ~RemoteBuffer() {
        if (ptr)
            VirtualFreeEx(process, ptr, 0, MEM_RELEASE);
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;
    HANDLE process;
    void* ptr;
};

class ProcessHandle {
  public:
    explicit ProcessHandle(HANDLE h) : h(h) {}
    ~ProcessHandle() {
        if (h)
            CloseHandle(h);
    }
    ProcessHandle(const ProcessHandle&) = delete;
    ProcessHandle& operator=(const ProcessHandle&) = delete;
    HANDLE h;
};

// The explorer-style picker: its current folder, and optionally a name typed into box 1148.
bool CmdPicker(const Options& o, HWND w, Json& j, std::string& err) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    ProcessHandle proc(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ, FALSE, pid));
    if (!proc.h) {
        err = "OpenProcess failed";
        return false;
    }
    const SIZE_T size = MAX_PATH * 2;
    RemoteBuffer remote(proc.h, size);
    if (!remote.ptr) {
        err = "VirtualAllocEx failed";
        return false;
    }
    DWORD_PTR len = 0;
    if (!SendMessageTimeoutA(w, CDM_GETFOLDERPATH, size, reinterpret_cast<LPARAM>(remote.ptr),
                             SMTO_ABORTIFHUNG, kSendTimeoutMs, &len)) {
        err = "CDM_GETFOLDERPATH timed out";
        return false;
    }
    std::vector<char> buf(size + 1, '\0');
    SIZE_T got = 0;
    ReadProcessMemory(proc.h, remote.ptr, buf.data(), size, &got);
    j.Key("result");
    j.Num(static_cast<LONG_PTR>(len));
    j.Key("folder");
    j.Str(buf.data());

    if (o.count("set-name")) {
        HWND combo = GetDlgItem(w, 1148);
        DWORD_PTR edit = 0;
        if (!combo ||
            !SendMessageTimeoutA(combo, CBEM_GETEDITCONTROL, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                                 &edit) ||
            !edit) {
            err = "no file-name box 1148";
            return false;
        }
        std::string name = Opt(o, "set-name");
        DWORD_PTR res = 0;
        SendMessageTimeoutA(reinterpret_cast<HWND>(edit), WM_SETTEXT, 0,
                            reinterpret_cast<LPARAM>(name.c_str()), SMTO_ABORTIFHUNG,
                            kSendTimeoutMs, &res);
        std::string back;
        TextOf(reinterpret_cast<HWND>(edit), back);
        j.Key("name");
        j.Str(back);
    }
    // Never BM_CLICK here: it does not return while an overwrite prompt is open.
    if (o.count("ok"))
        PostMessageA(w, WM_COMMAND, IDOK, 0);
    return true;
}

class Handle {
  public:
    explicit Handle(HANDLE h) : h(h) {}
    ~Handle() {
        if (h && h != INVALID_HANDLE_VALUE)
            CloseHandle(h);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    bool Valid() const { return h && h != INVALID_HANDLE_VALUE; }
    HANDLE h;
};

bool Exists(const std::string& path) {
    return !path.empty() && GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool TouchFile(const std::string& path) {
    Handle f(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    return f.Valid();
}

// Keeps a file open with no sharing, as a running program that holds its file would.
bool CmdHold(const Options& o, Json& j, std::string& err) {
    Handle f(
        CreateFileA(Opt(o, "path").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    j.Key("open_error");
    j.Num(f.Valid() ? 0 : GetLastError());
    if (!f.Valid()) {
        err = "cannot open " + Opt(o, "path");
        TouchFile(Opt(o, "ready"));  // the scenario must not wait for a hold that never began
        return false;
    }
    if (o.count("ready") && !TouchFile(Opt(o, "ready"))) {
        err = "cannot create " + Opt(o, "ready");
        return false;
    }
    const DWORD until = GetTickCount() + 1000 * static_cast<DWORD>(OptNum(o, "seconds", 60));
    bool released = false;
    while (static_cast<LONG>(GetTickCount() - until) < 0) {
        if (Exists(Opt(o, "release"))) {
            released = true;
            break;
        }
        Sleep(20);
    }
    j.Key("released");
    j.Bool(released);
    return true;
}

bool Start(const std::string& exe, const std::string& commandLine, const char* dir,
           PROCESS_INFORMATION& pi) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    return CreateProcessA(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, dir, &si,
                          &pi) != FALSE;
}

// Start-up time as a user sees it: from the process's creation to its window on the screen.
bool CmdLaunch(const Options& o, Json& j, std::string& err) {
    PROCESS_INFORMATION pi{};
    const std::string dir = Opt(o, "dir");
    const double start = NowMs();
    if (!Start(Opt(o, "exe"), Opt(o, "exe"), dir.empty() ? nullptr : dir.c_str(), pi)) {
        err = "cannot start " + Opt(o, "exe");
        return false;
    }
    Handle process(pi.hProcess), thread(pi.hThread);
    return ReportShown(o, Opt(o, "caption"), start, j, err);
}

// The floor of an installation: copy the expanded program into place and start it once.
bool CmdCopyRun(const Options& o, Json& j, std::string& err) {
    const std::string to = Opt(o, "to");
    const double start = NowMs();
    if (!CopyFileA(Opt(o, "from").c_str(), to.c_str(), FALSE)) {
        err = "CopyFileA failed";
        return false;
    }
    const double copied = NowMs();
    PROCESS_INFORMATION pi{};
    if (!Start(to, to + " " + Opt(o, "args"), nullptr, pi)) {
        err = "cannot start " + to;
        return false;
    }
    Handle process(pi.hProcess), thread(pi.hThread);
    WaitForSingleObject(pi.hProcess, INFINITE);
    const double ended = NowMs();
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    Milliseconds(j, "copy_us", copied - start);
    Milliseconds(j, "run_us", ended - copied);
    Milliseconds(j, "elapsed_us", ended - start);
    j.Key("exit_code");
    j.Num(code);
    return true;
}

DWORD FindProcess(const std::string& image) {
    Handle snap(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snap.Valid())
        return 0;
    PROCESSENTRY32 e{};
    e.dwSize = sizeof e;
    for (BOOL more = Process32First(snap.h, &e); more; more = Process32Next(snap.h, &e))
        if (_stricmp(e.szExeFile, image.c_str()) == 0)
            return e.th32ProcessID;
    return 0;
}

// How soon a message follows the end of a program: the program must be running when called.
bool CmdWatch(const Options& o, Json& j, std::string& err) {
    const long within = OptNum(o, "within", 20000);
    const DWORD deadline = GetTickCount() + static_cast<DWORD>(within);
    DWORD pid = 0;
    while (!(pid = FindProcess(Opt(o, "image"))) &&
           static_cast<LONG>(GetTickCount() - deadline) < 0)
        Sleep(5);
    Handle process(pid ? OpenProcess(SYNCHRONIZE, FALSE, pid) : nullptr);
    if (!process.Valid()) {
        err = "no running " + Opt(o, "image");
        return false;
    }
    if (WaitForSingleObject(process.h, static_cast<DWORD>(within)) != WAIT_OBJECT_0) {
        err = Opt(o, "image") + " did not end in time";
        return false;
    }
    double elapsed = 0;
    bool shown = WaitShown(Opt(o, "caption"), NowMs(), within, &elapsed);
    Milliseconds(j, "elapsed_us", elapsed);
    if (!shown)
        err = "\"" + Opt(o, "caption") + "\" not shown in time";
    return shown;
}

struct Command {
    const char* name;
    bool (*run)(const Options&, HWND, Json&, std::string&);
};

struct FreeCommand {
    const char* name;
    bool (*run)(const Options&, Json&, std::string&);
};

const FreeCommand kFreeCommands[] = {
    {"hold", CmdHold}, {"launch", CmdLaunch}, {"copyrun", CmdCopyRun}, {"watch", CmdWatch}};

const Command kCommands[] = {
    {"inspect", CmdInspect}, {"click", CmdClick},     {"answer", CmdAnswer}, {"close", CmdClose},
    {"key", CmdKey},         {"settext", CmdSetText}, {"picker", CmdPicker},
};

bool SaveText(const std::string& path, const std::string& text) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: tolvane-driver COMMAND [--option value]... --out FILE\n");
        return 2;
    }
    Options o;
    for (int i = 2; i < argc; ++i) {
        std::string a = argv[i];
        if (a.rfind("--", 0) != 0)
            continue;
        bool hasValue = i + 1 < argc && std::strncmp(argv[i + 1], "--", 2) != 0;
        o[a.substr(2)] = hasValue ? argv[++i] : "";
    }
    const Command* cmd = nullptr;
    for (const Command& c : kCommands)
        if (std::strcmp(c.name, argv[1]) == 0)
            cmd = &c;
    const FreeCommand* windowless = nullptr;
    for (const FreeCommand& c : kFreeCommands)
        if (std::strcmp(c.name, argv[1]) == 0)
            windowless = &c;

    Json j;
    j.Open('{');
    j.Key("command");
    j.Str(argv[1]);
    std::string err;
    bool ok = false;
    if (windowless) {
        j.Key("result");
        j.Open('{');
        ok = windowless->run(o, j, err);
        j.Close('}');
    } else if (!cmd) {
        err = std::string("unknown command ") + argv[1];
    } else {
        int count = 0;
        HWND w = FindTarget(o, &count, err);
        j.Key("matches");
        j.Num(count);
        if (w) {
            j.Key("window");
            j.Open('{');
            ok = cmd->run(o, w, j, err);
            j.Close('}');
        }
    }
    j.Key("ok");
    j.Bool(ok);
    j.Key("error");
    j.Str(err);
    j.Close('}');
    j.out += '\n';

    std::string out = Opt(o, "out");
    if (out.empty()) {
        std::fputs(j.out.c_str(), stdout);
    } else if (!SaveText(out, j.out)) {
        std::fprintf(stderr, "cannot write %s\n", out.c_str());
        return 2;
    }
    return ok ? 0 : 1;
}
