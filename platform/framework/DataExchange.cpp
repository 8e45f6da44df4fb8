#include "DataExchange.h"

void DDX_Control(CDataExchange* dx, int id, CWnd& control) {
    if (control.m_hWnd == nullptr) {
        control.m_hWnd = dx->m_pDlgWnd->GetDlgItem(id);
    }
}

void DDX_Text(CDataExchange* dx, int id, CString& value) {
    HWND control = dx->m_pDlgWnd->GetDlgItem(id);
    if (!dx->m_bSaveAndValidate) {
        ::SetWindowTextA(control, value);
        return;
    }
    int length = ::GetWindowTextLengthA(control);
    int copied = ::GetWindowTextA(control, value.GetBuffer(length), length + 1);
    value.ReleaseBuffer(copied < 0 ? 0 : copied);
}
