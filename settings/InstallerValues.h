#pragma once
// The registry values the installer reads and writes.
#include "Registry.h"

#define TOLVANE_SETTINGS_KEY "SOFTWARE\\Brindlecot\\Tolvane\\ActiveX"
#define WINDOWS_CURRENT_VERSION_KEY "SOFTWARE\\Microsoft\\Windows\\CurrentVersion"
#define PROGRAM_FILES_DIR_VALUE "ProgramFilesDir"

// Names one registry value; a null name is the key's default value.
struct RegistryValueRef {
    HKEY root;
    LPCSTR path;
    LPCSTR name;

    bool WriteString(CString text) const { return RegWriteString(root, path, name, text); }
};

// Records the directory of a completed installation; the next run proposes it.
void SaveInstallDir(const CString& directory);
