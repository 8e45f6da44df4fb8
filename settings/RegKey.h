#pragma once
// Owner of one open registry key: closed on every way out of its scope.
#include "../platform/win32.h"

class RegKey {
public:
    RegKey() = default;
    ~RegKey() {
        if (key_ != nullptr) {
            ::RegCloseKey(key_);
        }
    }
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;

    // Opens an existing key; the status of RegOpenKeyA.
    LONG Open(HKEY root, LPCSTR path) { return ::RegOpenKeyA(root, path, Receive()); }
    // Opens the key, creating it and every missing key above it; the status of RegCreateKeyA.
    LONG Create(HKEY root, LPCSTR path) { return ::RegCreateKeyA(root, path, Receive()); }
    HKEY Get() const { return key_; }

private:
    PHKEY Receive() {
        if (key_ != nullptr) {
            ::RegCloseKey(key_);
            key_ = nullptr;
        }
        return &key_;
    }
    HKEY key_ = nullptr;
};
