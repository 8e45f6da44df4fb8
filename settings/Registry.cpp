#include "Registry.h"

#include <cstring>

#include "RegKey.h"

bool RegReadString(HKEY root, LPCSTR path, LPCSTR name, CString& text) {
    RegKey key;
    if (key.Open(root, path) != ERROR_SUCCESS) {
        return false;
    }
    DWORD type = REG_NONE;
    DWORD size = 0;
    LONG status = ::RegQueryValueExA(key.Get(), name, nullptr, &type, nullptr, &size);
    // A size the string cannot hold counts as unreadable rather than overflowing the buffer.
    if (status == ERROR_SUCCESS && type == REG_SZ && size >= 0x7FFFFFFFu) {
        status = ERROR_MORE_DATA;
    }
    if (status == ERROR_SUCCESS && type == REG_SZ) {
        const CString before = text;
        // One character more than the value, so that a value stored without its terminating
        // zero still ends as a text.
        LPSTR buffer = text.GetBuffer(static_cast<int>(size) + 1);
        DWORD received = size;
        status = ::RegQueryValueExA(key.Get(), name, nullptr, &type,
                                    reinterpret_cast<LPBYTE>(buffer), &received);
        if (status == ERROR_SUCCESS) {
            const void* zero = std::memchr(buffer, 0, received);
            text.ReleaseBuffer(zero != nullptr ? static_cast<int>(static_cast<const char*>(zero) - buffer)
                                               : static_cast<int>(received));
        } else {
            text.ReleaseBuffer(0);
            text = before;
        }
    }
    return status == ERROR_SUCCESS && type == REG_SZ;
}

bool RegWriteValue(HKEY root, LPCSTR path, LPCSTR name, DWORD type, const BYTE* data,
                   DWORD count) {
    RegKey key;
    if (key.Create(root, path) != ERROR_SUCCESS) {
        return false;
    }
    return ::RegSetValueExA(key.Get(), name, 0, type, data, count) == ERROR_SUCCESS;
}

bool RegWriteString(HKEY root, LPCSTR path, LPCSTR name, const CString& text) {
    return RegWriteValue(root, path, name, REG_SZ, reinterpret_cast<const BYTE*>(
                                                       static_cast<LPCSTR>(text)),
                         static_cast<DWORD>(text.GetLength()) + 1);
}
