#pragma once
// The common Save dialog (the only kind the program uses), with the framework's hook so that a
// derived class can set the dialog up in its initialisation handler.
#include "CDialog.h"

class CFileDialog : public CDialog {
public:
    CFileDialog(LPCSTR defaultExtension = nullptr, LPCSTR fileName = nullptr,
                DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, LPCSTR filter = nullptr,
                CWnd* parent = nullptr);
    ~CFileDialog() override = default;

    // IDOK when the platform dialog returned a file, IDCANCEL on Cancel and on failure.
    INT_PTR DoModal() override;
    // The full path of the chosen file: the file-name buffer's content.
    CString GetPathName() const { return CString(m_ofn.lpstrFile); }

    OPENFILENAMEA m_ofn;

protected:
    static UINT_PTR CALLBACK HookProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

private:
    CString defaultExtension_;
    CString filter_;  // with its bars turned into NUL bytes
    char fileName_[MAX_PATH];
};
