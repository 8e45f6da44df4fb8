#pragma once
// Small helpers for tests that drive a whole installation through the dialog.
#include <string>
#include <vector>

#include "support/InstallerRun.h"

// The texts of every message box shown, in order.
std::vector<std::string> MessageTexts(const host::Machine& machine);
// The install dialog's window (the last dialog created).
host::Window* InstallWindow(host::Machine& machine);
// The icon resource ids sent to the progress icon control, with the virtual time of each.
std::vector<std::pair<std::uint64_t, int>> FramesSent(host::Machine& machine);
// The bytes of the payload's original, as the expansion must give them.
std::vector<BYTE> PayloadOriginal();
