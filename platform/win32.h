#pragma once
// The one include for Win32 names. The Windows build takes the system's own headers; the host build
// takes the declarations of our simulated Windows, so the code above platform/ reads the same in both.
#if defined(_WIN32)
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <lzexpand.h>
#include <direct.h>
#include <cstdio>
#include <cstdlib>
#else
#include "host/HostWin32.h"
#endif
