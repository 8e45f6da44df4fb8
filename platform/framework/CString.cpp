#include "CString.h"

#include <cstdio>
#include <cstring>

CString CString::Left(int count) const {
    if (count < 0) {
        count = 0;
    }
    return CString(text_.c_str(), std::min(count, GetLength()));
}

LPSTR CString::GetBuffer(int minLength) {
    if (minLength > GetLength()) {
        text_.resize(static_cast<std::size_t>(minLength));
    }
    return &text_[0];
}

void CString::ReleaseBuffer(int newLength) {
    if (newLength < 0) {
        newLength = static_cast<int>(std::strlen(text_.c_str()));
    }
    text_.resize(static_cast<std::size_t>(std::min(newLength, GetLength())));
}

void CString::AppendV(LPCSTR format, va_list args) {
    va_list measure;
    va_copy(measure, args);
    int length = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    if (length <= 0) {
        return;
    }
    std::size_t start = text_.size();
    text_.resize(start + static_cast<std::size_t>(length) + 1);
    std::vsnprintf(&text_[start], static_cast<std::size_t>(length) + 1, format, args);
    text_.resize(start + static_cast<std::size_t>(length));
}

void CString::Format(LPCSTR format, ...) {
    text_.clear();
    va_list args;
    va_start(args, format);
    AppendV(format, args);
    va_end(args);
}

void CString::AppendFormat(LPCSTR format, ...) {
    va_list args;
    va_start(args, format);
    AppendV(format, args);
    va_end(args);
}

CString& CString::operator=(LPCSTR text) {
    text_ = text == nullptr ? "" : text;
    return *this;
}

CString& CString::operator+=(const CString& other) {
    text_ += other.text_;
    return *this;
}

CString& CString::operator+=(LPCSTR text) {
    text_ += text == nullptr ? "" : text;
    return *this;
}

CString& CString::operator+=(char c) {
    text_ += c;
    return *this;
}

CString operator+(const CString& a, const CString& b) {
    CString result(a);
    result += b;
    return result;
}

CString operator+(const CString& a, LPCSTR b) {
    CString result(a);
    result += b;
    return result;
}

CString operator+(LPCSTR a, const CString& b) {
    CString result(a);
    result += b;
    return result;
}
