#pragma once
// Runs the installed program once with "/AutoRegister" and waits for it, while the dialog shows
// that registration is under way.
#include "../platform/framework/CDialog.h"
#include "../platform/framework/CStatic.h"

enum class RegistrationOutcome {
    Completed,  // it ended (or the wait failed) and did not report 100
    Removed,    // it ended with exit code 100: it has removed itself
    TimedOut,   // still running after every slice of the wait; it is left running
};

constexpr int kRegistrationSlices = 600;
constexpr DWORD kRegistrationSliceMs = 250;
constexpr int kRegistrationHeight = 94;
constexpr DWORD kRemovedExitCode = 100;

// Ends the process through FatalInstallError when the program cannot be started.
RegistrationOutcome RunRegistration(CDialog& dialog, const CStatic& progressIcon,
                                    const CString& executablePath);
