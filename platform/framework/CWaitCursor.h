#pragma once
// Shows the wait cursor for the lifetime of the object.
#include "../win32.h"

class CWaitCursor {
public:
    CWaitCursor() : previous_(::SetCursor(::LoadCursorA(nullptr, IDC_WAIT))) {}
    ~CWaitCursor() {
        ::SetCursor(previous_ != nullptr ? previous_ : ::LoadCursorA(nullptr, IDC_ARROW));
    }
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;

private:
    HCURSOR previous_;
};
