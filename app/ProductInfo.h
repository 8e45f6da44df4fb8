#pragma once
// Names and numbers of the product the installer installs.

#define TOLVANE_EXECUTABLE "Tolvane.exe"
#define TOLVANE_PAYLOAD_NAME "Tolvane"
#define TOLVANE_PAYLOAD_TYPE "EXE"
#define TOLVANE_DEFAULT_SUBDIR "\\Brindlecot\\Tolvane"

constexpr int kVersionMajor = 4;
constexpr int kVersionMinor = 2;
constexpr int kRevision = 1;
