// Version, modules, last error and the exit list of the simulated Windows.
#include <cctype>
#include <cstring>

#include "Machine.h"

using host::Arg;
using host::Hex;
using host::TheMachine;

DWORD GetLastError() {
    return TheMachine().lastError;
}

void SetLastError(DWORD error) {
    TheMachine().lastError = error;
}

BOOL GetVersionExA(LPOSVERSIONINFOA info) {
    host::Machine& m = TheMachine();
    int fault = m.Enter("GetVersionExA",
                        "size " + std::to_string(info == nullptr ? 0 : info->dwOSVersionInfoSize));
    if (fault >= 0 || info == nullptr || m.version.queryFails ||
        info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA)) {
        m.lastError = ERROR_INVALID_PARAMETER;
        return FALSE;
    }
    info->dwMajorVersion = m.version.major;
    info->dwMinorVersion = m.version.minor;
    info->dwBuildNumber = m.version.build;
    info->dwPlatformId = m.version.platformId;
    std::memset(info->szCSDVersion, 0, sizeof info->szCSDVersion);
    return TRUE;
}

DWORD GetVersion() {
    host::Machine& m = TheMachine();
    m.Enter("GetVersion", "");
    DWORD version = (m.version.major & 0xff) | ((m.version.minor & 0xff) << 8);
    if (m.version.platformId != VER_PLATFORM_WIN32_NT) {
        version |= 0x80000000u;
    }
    return version;
}

HMODULE GetModuleHandleA(LPCSTR name) {
    host::Machine& m = TheMachine();
    m.Enter("GetModuleHandleA", Arg(name));
    return name == nullptr ? m.instance : nullptr;
}

DWORD GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD capacity) {
    host::Machine& m = TheMachine();
    int fault = m.Enter("GetModuleFileNameA", Hex(reinterpret_cast<UINT_PTR>(module)));
    if (fault >= 0 || (module != nullptr && module != m.instance) || buffer == nullptr ||
        capacity == 0) {
        m.lastError = ERROR_INVALID_HANDLE;
        return 0;
    }
    std::size_t length = std::min<std::size_t>(m.exePath.size(), capacity - 1);
    std::memcpy(buffer, m.exePath.data(), length);
    buffer[length] = '\0';
    return static_cast<DWORD>(length);
}

namespace {

// The system's 3-D control library, when the machine has one: a module whose two entry points
// record that the program registered and subclassed.
HMODULE const kCtl3dModule = reinterpret_cast<HMODULE>(static_cast<UINT_PTR>(0x7000000));

BOOL Ctl3dRegister(HINSTANCE) {
    TheMachine().ctl3dCalls.push_back("Ctl3dRegister");
    return TRUE;
}

BOOL Ctl3dAutoSubclass(HINSTANCE) {
    TheMachine().ctl3dCalls.push_back("Ctl3dAutoSubclass");
    return TRUE;
}

BOOL Ctl3dUnregister(HINSTANCE) {
    TheMachine().ctl3dCalls.push_back("Ctl3dUnregister");
    return TRUE;
}

FARPROC AsFarProc(BOOL (*function)(HINSTANCE)) {
    return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(function));
}

bool SameName(const char* a, const char* b) {
    for (; *a != '\0' && *b != '\0'; ++a, ++b) {
        if (std::toupper(static_cast<unsigned char>(*a)) !=
            std::toupper(static_cast<unsigned char>(*b))) {
            return false;
        }
    }
    return *a == *b;
}

}  // namespace

HMODULE LoadLibraryA(LPCSTR name) {
    host::Machine& m = TheMachine();
    int fault = m.Enter("LoadLibraryA", Arg(name));
    if (fault < 0 && name != nullptr && m.ctl3dPresent && SameName(name, "CTL3D32.DLL")) {
        m.ctl3dCalls.push_back("load");
        return kCtl3dModule;
    }
    m.lastError = ERROR_FILE_NOT_FOUND;
    return nullptr;
}

FARPROC GetProcAddress(HMODULE module, LPCSTR name) {
    host::Machine& m = TheMachine();
    m.Enter("GetProcAddress", Hex(reinterpret_cast<UINT_PTR>(module)) + ", " + Arg(name));
    if (module == kCtl3dModule && name != nullptr && !IS_INTRESOURCE(name)) {
        if (SameName(name, "Ctl3dRegister")) {
            return AsFarProc(&Ctl3dRegister);
        }
        if (SameName(name, "Ctl3dUnregister")) {
            return AsFarProc(&Ctl3dUnregister);
        }
        if (SameName(name, "Ctl3dAutoSubclass")) {
            return AsFarProc(&Ctl3dAutoSubclass);
        }
    }
    m.lastError = 127;  // ERROR_PROC_NOT_FOUND
    return nullptr;
}

BOOL FreeLibrary(HMODULE module) {
    host::Machine& m = TheMachine();
    m.Enter("FreeLibrary", Hex(reinterpret_cast<UINT_PTR>(module)));
    if (module == kCtl3dModule) {
        m.ctl3dCalls.push_back("free");
        return TRUE;
    }
    return FALSE;
}

int tolvane_host_atexit(void (*function)()) {
    host::Machine& m = TheMachine();
    m.Enter("atexit", "");
    m.exitFunctions.push_back(function);
    return 0;
}
