#pragma once
// The static-control wrapper.
#include "CWnd.h"

class CStatic : public CWnd {
public:
    HICON SetIcon(HICON icon) const {
        return reinterpret_cast<HICON>(SendMessage(STM_SETICON, reinterpret_cast<WPARAM>(icon), 0));
    }
    HBITMAP SetBitmap(HBITMAP bitmap) const {
        return reinterpret_cast<HBITMAP>(
            SendMessage(STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap)));
    }
};
