// The registry calls of the simulated Windows.
#include "Machine.h"

using host::Arg;
using host::Hex;
using host::TheMachine;

LONG RegOpenKeyA(HKEY root, LPCSTR subKey, PHKEY result) {
    host::Machine& m = TheMachine();
    if (m.Enter("RegOpenKeyA", Hex(reinterpret_cast<UINT_PTR>(root)) + ", " + Arg(subKey)) >= 0) {
        return ERROR_ACCESS_DENIED;
    }
    return m.registry.Open(root, subKey, result);
}

LONG RegCreateKeyA(HKEY root, LPCSTR subKey, PHKEY result) {
    host::Machine& m = TheMachine();
    if (m.Enter("RegCreateKeyA", Hex(reinterpret_cast<UINT_PTR>(root)) + ", " + Arg(subKey)) >= 0) {
        return ERROR_ACCESS_DENIED;
    }
    return m.registry.Create(root, subKey, result);
}

// Fault mode 0: the value is reported missing; 1: ERROR_MORE_DATA, as when it grew meanwhile.
LONG RegQueryValueExA(HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                      LPDWORD size) {
    host::Machine& m = TheMachine();
    int fault =
        m.Enter("RegQueryValueExA", Arg(name) + (data == nullptr ? ", size" : ", data") +
                                        (size == nullptr ? "" : ", " + std::to_string(*size)));
    if (fault == 0) {
        return ERROR_FILE_NOT_FOUND;
    }
    if (fault == 1) {
        return ERROR_MORE_DATA;
    }
    if (reserved != nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    return m.registry.Query(key, name, type, data, size);
}

LONG RegSetValueExA(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE* data,
                    DWORD size) {
    host::Machine& m = TheMachine();
    if (m.Enter("RegSetValueExA", Arg(name) + ", " + std::to_string(reserved) + ", " +
                                      std::to_string(type) + ", " + std::to_string(size)) >= 0) {
        return ERROR_ACCESS_DENIED;
    }
    return m.registry.Set(key, name, type, data, size);
}

LONG RegCloseKey(HKEY key) {
    host::Machine& m = TheMachine();
    m.Enter("RegCloseKey", Hex(reinterpret_cast<UINT_PTR>(key)));
    return m.registry.Close(key);
}
