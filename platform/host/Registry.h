#pragma once
// The simulated registry: keys and typed values under the predefined roots.
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "HostWin32.h"

namespace host {

struct RegValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

class Registry {
public:
    // ---- for tests: set up and inspect --------------------------------------------------------
    // Key paths are relative to the root, components separated by backslashes, case-insensitive.
    // A value name of "" is the key's default value.
    void CreateKey(HKEY root, const std::string& path);
    void SetValue(HKEY root, const std::string& path, const std::string& name, DWORD type,
                  std::vector<BYTE> data);
    // REG_SZ with its terminating zero.
    void SetString(HKEY root, const std::string& path, const std::string& name,
                   const std::string& text);
    bool KeyExists(HKEY root, const std::string& path) const;
    const RegValue* FindValue(HKEY root, const std::string& path, const std::string& name) const;
    // Canonical listing of every key and value, for before/after comparisons.
    std::string Dump() const;
    int OpenKeyCount() const;

    // Writes (RegCreateKeyA, RegSetValueExA) fail with ERROR_ACCESS_DENIED.
    bool refuseWrites = false;
    // Keys (root-relative, case-insensitive) that RegOpenKeyA cannot open (ERROR_ACCESS_DENIED).
    std::set<std::string> unopenableKeys;
    // Called after each successful size query (RegQueryValueExA without a buffer) with the key's
    // path and the value name: a test may change the value there, as another process could.
    std::function<void(const std::string& path, const std::string& name)> afterSizeQuery;

    // ---- for the API implementation -----------------------------------------------------------
    LONG Open(HKEY root, LPCSTR subKey, PHKEY result);
    LONG Create(HKEY root, LPCSTR subKey, PHKEY result);
    LONG Query(HKEY key, LPCSTR name, LPDWORD type, LPBYTE data, LPDWORD size);
    LONG Set(HKEY key, LPCSTR name, DWORD type, const BYTE* data, DWORD size);
    LONG Close(HKEY key);

private:
    struct Key;
    struct Key {
        std::string name;
        std::map<std::string, RegValue> values;          // by upper-cased name
        std::map<std::string, std::unique_ptr<Key>> subkeys;  // by upper-cased name
    };
    Key* Root(HKEY root);
    const Key* Root(HKEY root) const;
    Key* Walk(Key* from, const std::string& path, bool create);
    const Key* Walk(const Key* from, const std::string& path) const;
    Key roots_[4];
    std::map<UINT_PTR, std::pair<Key*, std::string>> open_;  // handle -> key, full path
    UINT_PTR nextHandle_ = 0x1000;
};

}  // namespace host
