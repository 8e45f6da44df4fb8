#pragma once
// Runs the installer as a process of the simulated machine and tells how it ended.
#include <string>

#include "platform/host/Machine.h"

struct InstallerRun {
    bool exitedThroughExitProcess = false;
    UINT exitCode = 0;         // ExitProcess's code, or AfxWinMain's result at a normal end
    std::string mismatch;      // the script did not fit what the program did
};

// A machine as a fresh Windows NT 4.0 installation has it: C: with "C:\Program Files" and a
// temporary directory, the programs directory in the registry, and a started program that
// registers itself within 300 ms and exits 0.
host::Machine& StandardMachine();

// Static initialisation of a new process, AfxWinMain, then the exit functions at a normal end.
InstallerRun RunInstaller(host::Machine& machine);

// The path the installer proposes on a standard machine.
extern const char kDefaultDir[];
