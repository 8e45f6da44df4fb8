// A minimal modal dialog program built the same way as the installer: the harness's own
// smoke-test target and the floor of the start-up benchmark. The edit box shows the platform
// and version that GetVersionExA reports. The exit code is the dialog's
// result (1 OK, 2 Cancel); with "/box" it shows one message box without owner instead and
// exits with the answer; with "/pick" it runs the explorer-style Save dialog and shows the
// chosen path in that message box (exit code 0 when the picker was cancelled).
#include <windows.h>
#include <commdlg.h>

#include <cstring>

namespace {

INT_PTR CALLBACK MiniProc(HWND dlg, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
        case WM_INITDIALOG: {
            // The version the program sees, so the harness can check its per-program setting.
            OSVERSIONINFOA v{};
            v.dwOSVersionInfoSize = sizeof v;
            GetVersionExA(&v);
            char text[64];
            wsprintfA(text, "platform %lu version %lu.%lu", v.dwPlatformId, v.dwMajorVersion,
                      v.dwMinorVersion);
            SetDlgItemTextA(dlg, 1000, text);
            RECT r;
            GetWindowRect(dlg, &r);
            int w = r.right - r.left, h = r.bottom - r.top;
            MoveWindow(dlg, (GetSystemMetrics(SM_CXSCREEN) - w) / 2,
                       (GetSystemMetrics(SM_CYSCREEN) - h) / 2, w, h, FALSE);
            return TRUE;
        }
        case WM_COMMAND:
            if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) {
                EndDialog(dlg, LOWORD(wp));
                return TRUE;
            }
            break;
        default:
            break;
    }
    return FALSE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR cmdLine, int) {
    if (std::strstr(cmdLine, "/pick")) {
        char file[MAX_PATH] = "_______";
        OPENFILENAMEA ofn{};
        ofn.lStructSize = sizeof ofn;
        ofn.hInstance = instance;
        ofn.lpstrFile = file;
        ofn.nMaxFile = sizeof file;
        ofn.lpstrInitialDir = "C:\\windows";
        ofn.lpstrTitle = "Mini Pick";
        ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
        if (!GetSaveFileNameA(&ofn))
            return 0;
        return MessageBoxA(nullptr, file, "Mini Box", MB_OK);
    }
    if (std::strstr(cmdLine, "/box"))
        return MessageBoxA(nullptr, "First line.\r\nSecond line.", "Mini Box", MB_OK | MB_ICONHAND);
    return static_cast<int>(DialogBoxParamA(instance, MAKEINTRESOURCEA(100), nullptr, MiniProc, 0));
}
