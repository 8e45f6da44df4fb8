// Process calls of the simulated Windows.
//
// Fault modes (Machine::FailCall), all mode 0:
//   CreateProcessA: FALSE with ERROR_ACCESS_DENIED, nothing started or recorded.
//   WaitForSingleObject: WAIT_FAILED with ERROR_INVALID_HANDLE; the clock does not move.
//   GetExitCodeProcess: FALSE with ERROR_ACCESS_DENIED, the code untouched.
//   CloseHandle: FALSE with ERROR_INVALID_HANDLE; the handle stays open.
//   GetStartupInfoA and ExitProcess cannot fail; they are only logged.
#include <cstring>
#include <string>

#include "Machine.h"

using host::Arg;
using host::Hex;
using host::TheMachine;

void GetStartupInfoA(LPSTARTUPINFOA info) {
    TheMachine().Enter("GetStartupInfoA", "");
    if (info != nullptr) {
        std::memset(info, 0, sizeof *info);
        info->cb = sizeof *info;
    }
}

BOOL CreateProcessA(LPCSTR application, LPSTR commandLine, LPSECURITY_ATTRIBUTES processAttributes,
                    LPSECURITY_ATTRIBUTES threadAttributes, BOOL inheritHandles, DWORD flags,
                    LPVOID environment, LPCSTR currentDirectory, LPSTARTUPINFOA startup,
                    LPPROCESS_INFORMATION info) {
    host::Machine& m = TheMachine();
    std::string args = Arg(application) + ", " + Arg(commandLine) + ", " +
                       (processAttributes == nullptr ? "NULL" : "attributes") + ", " +
                       (threadAttributes == nullptr ? "NULL" : "attributes") + ", " +
                       std::to_string(inheritHandles) + ", " + Hex(flags) + ", " +
                       (environment == nullptr ? "NULL" : "environment") + ", " +
                       Arg(currentDirectory) + ", " +
                       (startup == nullptr ? "NULL" : "cb " + std::to_string(startup->cb));
    if (m.Enter("CreateProcessA", args) >= 0) {
        m.lastError = ERROR_ACCESS_DENIED;
        return FALSE;
    }
    return m.processes.Create(m, application, commandLine, processAttributes, threadAttributes,
                              inheritHandles, flags, environment, currentDirectory, startup, info);
}

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
    host::Machine& m = TheMachine();
    if (m.Enter("WaitForSingleObject", Hex(reinterpret_cast<UINT_PTR>(handle)) + ", " +
                                           std::to_string(milliseconds)) >= 0) {
        m.lastError = ERROR_INVALID_HANDLE;
        return WAIT_FAILED;
    }
    return m.processes.Wait(handle, milliseconds);
}

BOOL GetExitCodeProcess(HANDLE process, LPDWORD exitCode) {
    host::Machine& m = TheMachine();
    if (m.Enter("GetExitCodeProcess", Hex(reinterpret_cast<UINT_PTR>(process))) >= 0) {
        m.lastError = ERROR_ACCESS_DENIED;
        return FALSE;
    }
    return m.processes.ExitCode(process, exitCode);
}

BOOL CloseHandle(HANDLE handle) {
    host::Machine& m = TheMachine();
    if (m.Enter("CloseHandle", Hex(reinterpret_cast<UINT_PTR>(handle))) >= 0) {
        m.lastError = ERROR_INVALID_HANDLE;
        return FALSE;
    }
    return m.processes.Close(handle);
}

// Ends the simulated run; the test's run harness catches host::ProcessExit.
void ExitProcess(UINT exitCode) {
    TheMachine().Enter("ExitProcess", std::to_string(exitCode));
    throw host::ProcessExit{exitCode};
}
