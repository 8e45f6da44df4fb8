#pragma once
// Owner of one LZ32 file handle. A negative value is the error of a failed open and owns nothing.
#include "../platform/win32.h"

class LzHandle {
public:
    explicit LzHandle(INT value) : value_(value) {}
    ~LzHandle() { Release(); }
    LzHandle(const LzHandle&) = delete;
    LzHandle& operator=(const LzHandle&) = delete;

    INT Get() const { return value_; }
    bool IsOpen() const { return value_ >= 0; }
    // Closes the handle now; later releases do nothing.
    void Release() {
        if (value_ >= 0) {
            ::LZClose(value_);
            value_ = -1;
        }
    }

private:
    INT value_;
};
