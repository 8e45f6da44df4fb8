#include "CFileDialog.h"

#include <cstring>

#include "CWinApp.h"

CFileDialog::CFileDialog(LPCSTR defaultExtension, LPCSTR fileName, DWORD flags, LPCSTR filter,
                         CWnd* parent)
    : CDialog(0, parent) {
    std::memset(&m_ofn, 0, sizeof m_ofn);
    std::memset(fileName_, 0, sizeof fileName_);
    m_ofn.lStructSize = sizeof m_ofn;
    m_ofn.hInstance = AfxGetInstanceHandle();
    m_ofn.lpstrFile = fileName_;
    m_ofn.nMaxFile = MAX_PATH;
    m_ofn.Flags = flags | OFN_ENABLEHOOK;
    // The explorer-style dialog exists from version 4 on.
    if ((::GetVersion() & 0xff) >= 4) {
        m_ofn.Flags |= OFN_EXPLORER;
    }
    m_ofn.lpfnHook = &CFileDialog::HookProc;
    m_ofn.lCustData = reinterpret_cast<LPARAM>(this);
    if (defaultExtension != nullptr) {
        defaultExtension_ = defaultExtension;
        m_ofn.lpstrDefExt = defaultExtension_;
    }
    if (fileName != nullptr) {
        std::strncpy(fileName_, fileName, sizeof fileName_ - 1);
    }
    if (filter != nullptr) {
        filter_ = filter;
        int length = filter_.GetLength();
        LPSTR text = filter_.GetBuffer(length);
        for (int i = 0; i < length; ++i) {
            if (text[i] == '|') {
                text[i] = '\0';
            }
        }
        filter_.ReleaseBuffer(length);
        m_ofn.lpstrFilter = filter_;
    }
}

INT_PTR CFileDialog::DoModal() {
    m_ofn.hwndOwner = parent_ != nullptr ? parent_->m_hWnd : nullptr;
    BOOL chosen = ::GetSaveFileNameA(&m_ofn);
    m_hWnd = nullptr;
    return chosen ? IDOK : IDCANCEL;
}

UINT_PTR CALLBACK CFileDialog::HookProc(HWND window, UINT message, WPARAM, LPARAM lParam) {
    if (message != WM_INITDIALOG) {
        return 0;
    }
    const OPENFILENAMEA* ofn = reinterpret_cast<const OPENFILENAMEA*>(lParam);
    CFileDialog* dialog = reinterpret_cast<CFileDialog*>(ofn->lCustData);
    dialog->m_hWnd = window;
    return dialog->OnInitDialog();
}
