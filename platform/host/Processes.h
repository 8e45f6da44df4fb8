#pragma once
// Simulated processes and virtual time: programs a test places at a path, each with an exit code
// and a running time; WaitForSingleObject advances the clock instead of sleeping.
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "HostWin32.h"

namespace host {

class Machine;

struct Program {
    DWORD exitCode = 0;
    std::uint64_t runMs = 0;  // running time after its start; UINT64_MAX: never ends by itself
    // Runs once when the process starts (for example to register itself in the registry).
    std::function<void(Machine&)> onStart;
};

struct CreatedProcess {
    std::string application;  // "(null)" when none was given
    std::string commandLine;
    bool processAttributes = false;  // non-null pointers given
    bool threadAttributes = false;
    BOOL inheritHandles = FALSE;
    DWORD flags = 0;
    bool environment = false;
    std::string currentDirectory;  // "" when none
    bool startupGiven = false;
    DWORD startupCb = 0;
    std::uint64_t startMs = 0;
    std::uint64_t endMs = 0;  // startMs + runMs
    DWORD exitCode = 0;
    int openHandles = 0;  // process and thread handles not yet closed
};

class Processes {
  public:
    // ---- for tests ---------------------------------------------------------------------------
    // The program that runs when a process is created from this path (resolved like a file name of
    // TheMachine(); the file must also exist there when the process is created). A path with no
    // placed program runs `defaultProgram` if a file exists there; a missing file fails the
    // creation with ERROR_FILE_NOT_FOUND. Only successful creations are recorded in `created`.
    void Place(const std::string& path, Program program);
    Program defaultProgram;
    std::uint64_t nowMs = 0;  // the virtual clock
    // An INFINITE wait for a process that never ends would hang the test: it throws
    // std::logic_error instead.
    std::vector<CreatedProcess> created;
    bool IsRunning(std::size_t index) const { return created[index].endMs > nowMs; }

    // ---- for the API implementation -----------------------------------------------------------
    BOOL Create(Machine& machine, LPCSTR application, LPSTR commandLine,
                LPSECURITY_ATTRIBUTES processAttributes, LPSECURITY_ATTRIBUTES threadAttributes,
                BOOL inheritHandles, DWORD flags, LPVOID environment, LPCSTR currentDirectory,
                LPSTARTUPINFOA startup, LPPROCESS_INFORMATION info);
    DWORD Wait(HANDLE handle, DWORD milliseconds);
    BOOL ExitCode(HANDLE process, LPDWORD exitCode);
    BOOL Close(HANDLE handle);

  private:
    struct HandleEntry {
        std::size_t index;  // into created
        bool thread;
    };
    std::map<std::string, Program> placed_;  // by upper-cased canonical path
    std::map<UINT_PTR, HandleEntry> handles_;
    UINT_PTR nextHandle_ = 0x2000;
};

// Thrown by ExitProcess to end the simulated run; the test's run harness catches it.
struct ProcessExit {
    UINT exitCode;
};

}  // namespace host
