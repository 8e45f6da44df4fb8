#pragma once
// The one way out for errors the installer cannot recover from.
#include "../platform/framework/CWnd.h"

// Tells the user, takes back every recorded change and ends the process with exit code 1.
[[noreturn]] void FatalInstallError(const CWnd& owner, LPCSTR detail);
