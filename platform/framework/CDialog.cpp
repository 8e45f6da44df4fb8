#include "CDialog.h"

#include <new>
#include <utility>
#include <vector>

#include "CWinApp.h"

namespace {

// The dialog objects whose windows exist, so the one procedure finds the object for a handle.
std::vector<std::pair<HWND, CDialog*>>& LiveDialogs() {
    static std::vector<std::pair<HWND, CDialog*>> dialogs;
    return dialogs;
}

CDialog* FindDialog(HWND window) {
    for (const auto& [handle, dialog] : LiveDialogs()) {
        if (handle == window) {
            return dialog;
        }
    }
    return nullptr;
}

void Forget(HWND window) {
    std::vector<std::pair<HWND, CDialog*>>& dialogs = LiveDialogs();
    for (auto it = dialogs.begin(); it != dialogs.end(); ++it) {
        if (it->first == window) {
            dialogs.erase(it);
            return;
        }
    }
}

}  // namespace

CDialog::CDialog(UINT templateId, CWnd* parent) : templateId_(templateId), parent_(parent) {}

INT_PTR CDialog::DoModal() {
    // The window is gone when the modal run ends, however it ends.
    struct Unbind {
        CDialog& dialog;
        ~Unbind() {
            if (dialog.m_hWnd != nullptr) {
                Forget(dialog.m_hWnd);
                dialog.m_hWnd = nullptr;
            }
        }
    } unbind{*this};
    HWND owner = parent_ != nullptr ? parent_->m_hWnd : nullptr;
    return ::DialogBoxParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(templateId_), owner,
                             &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
}

BOOL CDialog::UpdateData(BOOL saveAndValidate) {
    CDataExchange dx = {saveAndValidate, this};
    DoDataExchange(&dx);
    return TRUE;
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    if (!UpdateData(TRUE)) {
        return;
    }
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

void CDialog::DoDataExchange(CDataExchange*) {}

const CDialog::CommandEntry* CDialog::GetCommandMap() const {
    static const CommandEntry none[] = {{0, 0, nullptr}};
    return none;
}

BOOL CDialog::OnCommand(WPARAM wParam, LPARAM) {
    UINT id = LOWORD(wParam);
    UINT code = HIWORD(wParam);
    if (code == BN_CLICKED && id == IDOK) {
        OnOK();
        return TRUE;
    }
    if (code == BN_CLICKED && id == IDCANCEL) {
        OnCancel();
        return TRUE;
    }
    for (const CommandEntry* entry = GetCommandMap(); entry->handler != nullptr; ++entry) {
        if (entry->id == id && entry->code == code) {
            entry->handler(*this);
            return TRUE;
        }
    }
    CWinApp* app = AfxGetApp();
    return app != nullptr && code == 0 && app->OnCmdMsg(id);
}

void CDialog::CenterWindow() const {
    RECT rect;
    if (!GetWindowRect(&rect)) {
        return;
    }
    int width = rect.right - rect.left;
    int height = rect.bottom - rect.top;
    int x = (::GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    int y = (::GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    ::SetWindowPos(m_hWnd, nullptr, x < 0 ? 0 : x, y < 0 ? 0 : y, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CDialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        switch (message) {
            case WM_INITDIALOG: {
                BOOL focusDefault = OnInitDialog();
                // A dialog the template leaves at (0, 0) with no owner and no centring style
                // would sit in the screen's corner.
                if ((::GetWindowLongA(m_hWnd, GWL_STYLE) & DS_CENTER) == 0 &&
                    ::GetParent(m_hWnd) == nullptr) {
                    CenterWindow();
                }
                return focusDefault;
            }
            case WM_COMMAND:
                return OnCommand(wParam, lParam);
            case WM_HELP: {
                CWinApp* app = AfxGetApp();
                return app != nullptr && app->OnCmdMsg(ID_HELP);
            }
            case WM_DESTROY: {
                CWinApp* app = AfxGetApp();
                if (app != nullptr && app->m_pMainWnd == this) {
                    app->m_pMainWnd = nullptr;
                }
                return FALSE;
            }
            default:
                return FALSE;
        }
    } catch (const std::bad_alloc&) {
        ::MessageBoxA(m_hWnd, "Out of memory.", AfxGetAppName(), MB_OK | MB_ICONHAND);
        return FALSE;
    }
}

INT_PTR CALLBACK CDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CDialog* dialog = FindDialog(window);
    if (message == WM_INITDIALOG && dialog == nullptr) {
        dialog = reinterpret_cast<CDialog*>(lParam);
        dialog->m_hWnd = window;
        LiveDialogs().emplace_back(window, dialog);
    }
    return dialog == nullptr ? FALSE : dialog->Dispatch(message, wParam, lParam);
}
