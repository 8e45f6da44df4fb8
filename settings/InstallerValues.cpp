#include "InstallerValues.h"

void SaveInstallDir(const CString& directory) {
    const RegistryValueRef installDir = {HKEY_LOCAL_MACHINE, TOLVANE_SETTINGS_KEY, nullptr};
    installDir.WriteString(directory);
}
