#pragma once
// The simulated Windows a host test sets up, runs the program against, and inspects afterwards.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "FileSystem.h"
#include "HostWin32.h"
#include "Lz32.h"
#include "Processes.h"
#include "Registry.h"
#include "Resources.h"
#include "Ui.h"

namespace host {

struct VersionInfo {
    DWORD platformId = VER_PLATFORM_WIN32_NT;
    DWORD major = 4;
    DWORD minor = 0;
    DWORD build = 1381;
    bool queryFails = false;  // GetVersionExA returns FALSE and fills nothing
};

struct CallRecord {
    std::string api;
    std::string args;
};

class Machine {
public:
    Machine();

    Registry registry;
    FileSystem files;
    Processes processes;
    Lz32 lz;
    Resources resources;
    Ui ui;
    VersionInfo version;

    // The executable's own path (GetModuleFileNameA) and instance handle.
    std::string exePath = "C:\\SETUP\\TolvaneSetup.exe";
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(static_cast<UINT_PTR>(0x400000));
    DWORD threadId = 0x2c;
    UINT codePage = 1252;  // 932 gives the Shift-JIS lead-byte ranges
    // The system's 3-D control library: present or not, and what the program asked of it.
    bool ctl3dPresent = false;
    std::vector<std::string> ctl3dCalls;
    DWORD lastError = 0;

    // Every platform call the program made, in order, with its arguments.
    std::vector<CallRecord> calls;
    // Make the n-th call (1-based) of `api` fail, in the way `mode` names (0: the call's ordinary
    // failure; other values are documented where the call is implemented).
    void FailCall(const std::string& api, int nth, int mode = 0);
    // Records the call and tells how it must fail: -1 not at all, else the mode.
    int Enter(const char* api, const std::string& args);
    int CallCount(const std::string& api) const;

    // Functions registered with atexit, run in reverse order by RunExitFunctions at a normal end.
    std::vector<void (*)()> exitFunctions;
    void RunExitFunctions();

private:
    struct Fault {
        int nth;
        int mode;
    };
    std::map<std::string, std::vector<Fault>> faults_;
    std::map<std::string, int> counts_;
};

// Argument texts for the call log: a quoted string (or NULL), a number in hexadecimal.
std::string Arg(LPCSTR text);
std::string Hex(UINT_PTR value);

// The machine the simulated program runs on. NewMachine replaces it with a fresh one (loaded with
// the program's resources) and returns it.
Machine& TheMachine();
Machine& NewMachine();

}  // namespace host
