#pragma once
// A thin window wrapper: the handle and the few operations the program uses on it.
#include "../win32.h"
#include "CString.h"

class CWnd {
public:
    CWnd() = default;
    virtual ~CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND GetSafeHwnd() const { return m_hWnd; }
    HWND GetParentHwnd() const { return ::GetParent(m_hWnd); }
    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendMessageA(m_hWnd, message, wParam, lParam);
    }
    BOOL SetWindowText(LPCSTR text) const { return ::SetWindowTextA(m_hWnd, text); }
    BOOL ShowWindow(int command) const { return ::ShowWindow(m_hWnd, command); }
    BOOL UpdateWindow() const { return ::UpdateWindow(m_hWnd); }
    BOOL GetWindowRect(LPRECT rect) const { return ::GetWindowRect(m_hWnd, rect); }
    BOOL MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE) const {
        return ::MoveWindow(m_hWnd, x, y, width, height, repaint);
    }
    // A modal message box owned by this window.
    int MessageBox(LPCSTR text, LPCSTR caption, UINT type) const {
        return ::MessageBoxA(m_hWnd, text, caption, type);
    }

    HWND m_hWnd = nullptr;
};
