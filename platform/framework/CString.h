#pragma once
// The framework's single-byte string. Running out of memory raises std::bad_alloc, which the
// framework's dialog procedure catches and reports.
#include <cstdarg>
#include <string>

#include "../win32.h"

class CString {
public:
    CString() = default;
    CString(LPCSTR text) : text_(text == nullptr ? "" : text) {}  // NOLINT: implicit as usual
    CString(LPCSTR text, int length) : text_(text, static_cast<std::size_t>(length)) {}

    int GetLength() const { return static_cast<int>(text_.size()); }
    bool IsEmpty() const { return text_.empty(); }
    void Empty() { text_.clear(); }
    operator LPCSTR() const { return text_.c_str(); }  // NOLINT: implicit as usual
    char operator[](int index) const { return text_[static_cast<std::size_t>(index)]; }
    CString Left(int count) const;

    // A writable buffer of at least minLength characters plus the terminating zero; the current
    // content stays in it. ReleaseBuffer ends the text at the first zero (or at newLength).
    LPSTR GetBuffer(int minLength);
    void ReleaseBuffer(int newLength = -1);

    void Format(LPCSTR format, ...);
    void AppendFormat(LPCSTR format, ...);

    CString& operator=(LPCSTR text);
    CString& operator+=(const CString& other);
    CString& operator+=(LPCSTR text);
    CString& operator+=(char c);
    friend CString operator+(const CString& a, const CString& b);
    friend CString operator+(const CString& a, LPCSTR b);
    friend CString operator+(LPCSTR a, const CString& b);
    bool operator==(LPCSTR text) const { return text_ == (text == nullptr ? "" : text); }
    bool operator!=(LPCSTR text) const { return !(*this == text); }

private:
    void AppendV(LPCSTR format, va_list args);
    std::string text_;
};
